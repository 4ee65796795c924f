#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Resultat.h"
#include "console/Console.h"
#include "console/IssueRequete.h"

namespace zef30 {

// A request's result: its own number, or its failure (the terminal not ready, no answer that
// reads).
using ResultatRequete = Resultat<std::int16_t>;

// The numbers a request's result line shows for its failures, each request its own.
struct NumerosEchec {
  std::int16_t pasPret;  // the terminal did not say it was ready
  std::int16_t autre;    // the exchange failed, or its answer did not read
};

// The number the result line shows: the request's own, or its failure's.
std::int16_t NumeroResultat(const ResultatRequete& resultat, NumerosEchec numeros);

// A handler's result line: the request's name, " = ", then `ok` for 0, `pasOk` for 1, or
// "Erreur n°" followed by any other result.
std::string LigneResultat(std::string_view nom, std::int16_t resultat, std::string_view ok,
                          std::string_view pasOk);

// Follows one request from its click to its outcome, which it takes from the request's own result
// and from what the line and the listening did meanwhile.
class SuiviIssue {
 public:
  explicit SuiviIssue(Console& console);
  // `reussie`: the request's result says it succeeded; `pasEnvoye`: its result says nothing was
  // sent; `ligne`: the result line the handler added (empty when none). A failure is a lost line
  // when the line went meanwhile, a time-out when a listening ended on its limit with nothing,
  // else what the result says.
  IssueRequete Conclure(bool reussie, bool pasEnvoye, std::string ligne) const;
  // The same for a request whose number says it succeeded by 0, kept in the issue as its result
  // line shows it; a failure shown under the not-ready number counts as nothing sent.
  IssueRequete ConclureCode(const ResultatRequete& resultat, NumerosEchec numeros,
                            std::string ligne) const;
  // The same once its result line (LigneResultat of `nom`, `ok`, `pasOk`) is added.
  IssueRequete ConclureLigne(const ResultatRequete& resultat, NumerosEchec numeros,
                             std::string_view nom, std::string_view ok,
                             std::string_view pasOk) const;

 private:
  Console& console_;
};

// A listened exchange that brought no answer. The status line says why under `contexte`: the
// line's own words when it was lost, the listening's limit when it ended there; never a refusal
// of the card, since the terminal said nothing.
void ExpliquerSansReponse(Console& console, const char* contexte);

}  // namespace zef30
