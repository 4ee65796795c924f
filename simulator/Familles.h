#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "simulator/Deroulement.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// A family of requests: what the terminal sends, once it holds the line, for the request
// message `requete` (code, length, data), as the scenario wants it. The ENQ before and the
// closing character after are added by the terminal.
using Famille = std::function<Deroulement(std::string_view requete, const Scenario& scenario)>;

// The families the terminal knows, each under the beginning of the request messages it serves
// (its code and the start of its data: "AA000", "AJ00202"...). A later family is one more entry.
class TableFamilles {
 public:
  void Ajouter(std::string debut, Famille famille);
  // The family of the longest beginning that matches `requete`, or nullptr.
  const Famille* Trouver(std::string_view requete) const;

 private:
  std::map<std::string, Famille, std::less<>> familles_;
};

// Every family the terminal serves out of the box.
TableFamilles FamillesConnues();

// Card switch "AA000": "Aa004" and the scenario's four status characters.
Deroulement RepondreSwitch(std::string_view requete, const Scenario& scenario);
// Consultation "AJ00202": the 102-character frame of the terminal's identity and applications.
Deroulement RepondreConsultation(std::string_view requete, const Scenario& scenario);

// The whole of the terminal's side after the console's EOT on an accepted request: its reply to
// EOT, then (after ENQ) the answer chosen by the scenario, a family, or for a request nobody
// knows an answer with no data; finally the closing character on the console's last ACK.
Deroulement PreparerDeroulement(std::string_view requete, const Scenario& scenario,
                                const TableFamilles& familles);

}  // namespace zef30::simulateur
