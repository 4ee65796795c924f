#include "protocol/DispositionsMessages.h"
#include "simulator/Familles.h"

namespace zef30::simulateur {

// Availability, card presence, work in progress, security state: one character each.
Deroulement RepondreSwitch(std::string_view, const Scenario& scenario) {
  constexpr auto kLongueur = LongueurDonnees<Message::ReponseSwitch>();
  return BlocsReponse(MessageReponse("AA", AjusterChamp(scenario.statutSwitch, kLongueur)));
}

}  // namespace zef30::simulateur
