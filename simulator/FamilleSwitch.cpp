#include "simulator/Familles.h"

namespace zef30::simulateur {

// Availability, card presence, work in progress, security state: one character each.
Deroulement RepondreSwitch(std::string_view, const Scenario& scenario) {
  return BlocsReponse(MessageReponse("AA", AjusterChamp(scenario.statutSwitch, 4)));
}

}  // namespace zef30::simulateur
