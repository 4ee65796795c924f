#pragma once

#include <string>
#include <vector>

#include "headless/ExecutionRequete.h"
#include "headless/ResumeCampagne.h"

namespace zef30 {

// What the page says of the campaign besides its runs.
struct DescriptionCampagne {
  std::string debut;                   // when it began, on the wall clock, as people read it
  std::string console;                 // "zef30-console 0.1.0"
  std::vector<std::string> terminaux;  // one line each: what each line's terminal is
  std::string script;                  // the requests of a turn
};

// The campaign as one self-contained HTML page (no script, no file from elsewhere): the summary
// table, an SVG strip chart of the durations with one mark per request run (a band per family and
// line, failures in red, the median and the 95th percentile drawn), the failures in time order
// with their reasons, and the versions of the console and terminals.
std::string RapportHtml(const ParcoursExecutions& executions, const ResumeCampagne& resume,
                        const DescriptionCampagne& description);
inline std::string RapportHtml(const std::vector<ExecutionRequete>& executions,
                               const ResumeCampagne& resume,
                               const DescriptionCampagne& description) {
  return RapportHtml(Parcourir(executions), resume, description);
}

}  // namespace zef30
