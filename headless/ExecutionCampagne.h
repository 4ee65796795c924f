#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "console/Console.h"
#include "headless/CommandeSansFenetre.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// When a run began, read once on the wall clock: as JUnit writes it (a campaign's journal is
// named after it), and as people read it (the trace's header too).
struct DebutMural {
  std::string horodatage;  // "2026-12-08T23:10:00"
  std::string texte;       // "2026-12-08 23:10:00"
};
DebutMural MaintenantMural();

// The arguments of the process of one line of a campaign: its port number, its folder and its
// trace file (empty for none).
using ArgumentsDeLigne = std::function<std::vector<std::string>(
    int ligne, const std::string& dossier, const std::string& trace)>;

// In a line's process of a campaign over several lines (started by ExecuterLignes), at start:
// it ends (SIGTERM) as soon as the campaign's process ends, however that one ends, so that no
// line goes on running alone. Nothing for any other process.
void SuivreCampagneParente();

// Neither a port nor the simulated terminal for port `numero`: the machine's own port, which may
// well be no terminal at all. Said on `erreurs` before anything is sent there.
void NommerPortParDefaut(const CommandeSansFenetre& options, int numero, std::ostream& erreurs);

// A headless run on one line, in this process: the script's turns, a line a request (or the
// whole story, or JSON), the live line on a terminal, the summary and the reports, the run begun
// at `debut`. The first
// Ctrl-C, or a closed standard output, ends it after the request under way. Its exit code: the
// first failure's (CodeSortie); otherwise 130 when stopped before its end, 1 when a record or a
// report could not be written.
int ExecuterSansFenetre(const CommandeSansFenetre& options, Console& console, FenetreTexte& fenetre,
                        const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                        const std::string& trace, const DebutMural& debut, std::ostream& sortie,
                        std::ostream& erreurs);

// A campaign over several lines (--lines): this program again for each line with the arguments
// `argumentsLigne` makes, at the same time,
// each in DOSSIER/ligne-N with its own trace; their records gathered as they come into one
// account, one summary and one set of reports. The first Ctrl-C (or SIGINT to this process
// alone) is passed on to every line, which ends after its request under way. The exit code of
// the first failure in time; otherwise 130 when stopped before its end, 3 when a line did not
// end by itself, 1 when a record or a report could not be written.
int ExecuterLignes(const CommandeSansFenetre& options, const ArgumentsDeLigne& argumentsLigne,
                   const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                   std::ostream& sortie, std::ostream& erreurs);

// --report-from: the summary on `sortie`, and the reports of --junit and --report, remade from
// the journal of an earlier campaign. The exit code of its first failure, 1 when a report could
// not be written, 2 when the journal cannot be read.
int RefaireRapports(const OptionsCampagne& campagne, std::ostream& sortie, std::ostream& erreurs);

}  // namespace zef30
