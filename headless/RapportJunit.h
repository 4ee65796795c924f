#pragma once

#include <string>
#include <vector>

#include "headless/ExecutionRequete.h"
#include "headless/ResumeCampagne.h"

namespace zef30 {

// The runs as a JUnit XML report for continuous integration (the common schema: testsuites,
// testsuite, testcase, failure, with tests, failures and time): one suite a line ("ligne N", or
// "zef30-console" for a run on one line), one case a request run (name: the family and its rank,
// class: the family) with its duration, and for a failure its reason as the message, the result
// and status lines as its text. `horodatage`: when the campaign began, "2026-12-08T23:10:00".
// A campaign stopped before its end has, in each suite, one case "interruption" whose error says
// after how many runs of how many; runs its journal could not hold, one case "journal" whose
// error says how many.
std::string RapportJunit(const ParcoursExecutions& executions, const std::string& horodatage,
                         const FinCampagne& fin = {});
inline std::string RapportJunit(const std::vector<ExecutionRequete>& executions,
                                const std::string& horodatage, const FinCampagne& fin = {}) {
  return RapportJunit(Parcourir(executions), horodatage, fin);
}

}  // namespace zef30
