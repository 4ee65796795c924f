#pragma once

#include <locale>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "headless/ExecutionRequete.h"
#include "headless/FenetreTexte.h"
#include "headless/RapportHtml.h"

namespace zef30 {

// Where a run's accounts go besides its lines, and what they say of it.
struct SortiesCampagne {
  bool json = false;
  std::locale locale = std::locale::classic();
  bool tableau = false;  // the table of the families in the text summary (a campaign's)
  std::vector<std::string> dossiers;   // the data folders: one, or one a line
  std::vector<std::string> traces;     // the trace files, when --trace was given
  std::string enregistrements;         // the file of the runs' records, when there is one
  std::optional<std::string> junit;    // --junit FILE
  std::optional<std::string> rapport;  // --report FILE.html
  std::string horodatage;              // when it began, "2026-12-08T23:10:00", for JUnit
  DescriptionCampagne description;
  FinCampagne fin;  // how it ended: stopped before its end, runs its journal lacks
};

// The end of a run, for one line or several: the summary (text, or one last JSON object), the
// JUnit and HTML reports written (each in place of what the file held: a write that fails
// leaves the old file whole, and `fenetre` gets the line that says why), and, in text, where the
// log, receipts, records, reports and trace went. False when a report could not be written.
bool ConclureCampagne(const ParcoursExecutions& executions, const SortiesCampagne& sorties,
                      FenetreTexte& fenetre, std::ostream& sortie, std::ostream& erreurs);

}  // namespace zef30
