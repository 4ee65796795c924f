#pragma once

#include <functional>
#include <locale>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "console/Console.h"
#include "headless/ExecutionRequete.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// How a script is run: how many turns, for how long, and how each request is told.
struct ReglagesCampagne {
  int repetitions = 1;  // turns of the script; 0: no count, until `duree` or a stop
  std::optional<Horloge::Secondes> duree;  // from the start, after which no request begins
  int ligne = 0;      // the line's port number, in a campaign over several lines
  bool json = false;  // one JSON object a request instead of text
  // Text: the whole story of each request ("[n] nom", all it shows, then its outcome) rather
  // than one line a request.
  bool raconter = false;
  std::locale locale = std::locale::classic();  // the decimal separator of the durations told
  // Where a warning goes with `json`, which keeps `sortie` for its objects; none: not said.
  std::ostream* avertissements = nullptr;
  // At an operator step, its text: true once the person says to go on, false to end the plan as
  // a stop does. None: the step is passed over.
  std::function<bool(const std::string&)> operateur;
  // Operator steps left out, and the steps marked for one recorded as skipped.
  bool sansOperateur = false;
};

class JournalCampagne;

struct ResultatCampagne {
  // In the order they ran; empty when they went to a journal.
  std::vector<ExecutionRequete> executions;
  bool interrompue = false;  // stopped by the operator before its end
};

// Runs the script's turns, telling each request on `sortie` as it ends. `arret` is asked before
// each request: true ends the campaign there (the request under way always runs to its end).
// `suivi` hears of each record as it is made. With a `journal`, the records go there instead of
// into memory.
ResultatCampagne ExecuterCampagne(Console& console, FenetreTexte& fenetre,
                                  const std::vector<RequeteScriptee>& requetes,
                                  const ReglagesCampagne& reglages, std::ostream& sortie,
                                  const std::function<bool()>& arret = {},
                                  const std::function<void(const ExecutionRequete&)>& suivi = {},
                                  JournalCampagne* journal = nullptr);

// Why the plan cannot run as it is, or empty: it has operator steps, nobody at a `terminal` to
// answer them, and no `sansOperateur`; or it has them and runs over several lines at once.
std::string RefusOperateur(const std::vector<RequeteScriptee>& requetes, bool sansOperateur,
                           bool terminal, bool plusieursLignes);

// 0 when every request succeeded, otherwise 10 + the rank of the first that did not in
// `executions`' order (at most 250), named on `erreurs`.
int CodeSortie(const std::vector<ExecutionRequete>& executions, std::ostream& erreurs);
// The same for the first failure `echec`, none when null.
int CodeSortie(const ExecutionRequete* echec, std::ostream& erreurs);

// The one line of a request: "[rang] famille : réussie — ligne de résultat (0,052 s)" or
// "… : ÉCHEC — raison (…)".
std::string LigneRequete(const ExecutionRequete& execution, const std::locale& locale);

// Seconds as people read them, with the locale's decimal separator: "0,052 s", "12,3 s",
// "2 min 05 s", "1 h 02 min".
std::string FormaterSecondes(double secondes, const std::locale& locale);

// A duration as --for takes it: "45" or "45s", "30m" or "30min", "8h", or such parts one after
// the other ("1h30m"). nullopt for anything else or for nothing at all.
std::optional<double> LireDuree(std::string_view texte);

}  // namespace zef30
