#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/OptionsLigne.h"
#include "console/Console.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// A headless run on one line, in this process: the script's turns, a line a request (or the
// whole story, or JSON), the live line on a terminal, the summary and the reports. The first
// Ctrl-C ends it after the request under way. Its exit code (CodeSortie).
int ExecuterSansFenetre(const OptionsConsole& options, Console& console, FenetreTexte& fenetre,
                        const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                        const std::string& trace, std::ostream& sortie, std::ostream& erreurs);

// A campaign over several lines (--lines): this program again for each line, at the same time,
// each in DOSSIER/ligne-N with its own trace; their records gathered as they come into one
// account, one summary and one set of reports. The exit code of the first failure in time, 3
// when there was none but a line did not end by itself.
int ExecuterLignes(const OptionsConsole& options, const std::vector<std::string>& arguments,
                   const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                   std::ostream& sortie, std::ostream& erreurs);

}  // namespace zef30
