#pragma once

#include <string_view>

#include "simulator/Deroulement.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// Tele-collection "AJ00204": display frames while the terminal calls the bank, a report frame if
// the scenario wants one, the "Aj" answer per acquirer, then a display frame after it.
Deroulement RepondreTelecollecte(std::string_view requete, const Scenario& scenario);
// Report of the last tele-collection "AJ00203": blocks with their remittances.
Deroulement RepondreRapportTelecollecte(std::string_view requete, const Scenario& scenario);
// Tele-parameter state "AJ00205": blocks with their tables.
Deroulement RepondreEtatTeleParam(std::string_view requete, const Scenario& scenario);
// ISO 2 track "AG000": display frames while it waits for the card, then the "Ag" answer.
Deroulement RepondrePisteIso2(std::string_view requete, const Scenario& scenario);
// Clock "AS" and line speed "AJ00701": the verdict.
Deroulement RepondreHeure(std::string_view requete, const Scenario& scenario);
Deroulement RepondreVitesse(std::string_view requete, const Scenario& scenario);

}  // namespace zef30::simulateur
