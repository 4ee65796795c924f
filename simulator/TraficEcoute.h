#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"
#include "simulator/Deroulement.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// The terminal's traffic while a console listens: frames it sends by itself around an answer,
// its own traffic in maintenance mode, the restart, and a flood of display frames.

// STX, message, DLE, ETB, check character: a block that more blocks follow.
std::string TrameFinEtb(std::string_view message);

// The answer of a request between the frames the scenario sends before and after it.
Deroulement EntourerReponse(std::string_view requete, const Scenario& scenario,
                            Deroulement reponse);

// Restart "AU000": its display frames, each on the console's ACK, then five EOTs in a row.
Deroulement RepondreRedemarrage(std::string_view requete, const Scenario& scenario);

// Its own traffic: ENQ, then each frame on the console's ACK of the one before.
Deroulement TraficSpontane(const std::vector<std::string>& trames);

// `nombre` display frames one after the other at the line's full speed, without waiting for
// any ACK, each showing its number.
Deroulement FluxAffichages(int nombre);

// A frame written in a scenario: "affichage:LIGNE1|LIGNE2" (a display frame), "trame:MESSAGE"
// (ended by ETX), "bloc:MESSAGE" (ended by ETB) or "octets:OCTETS" (as they stand); OCTETS and
// MESSAGE take \xHH. False when the form is not one of these.
bool LireTrameScenario(std::string_view valeur, std::string& trame);

// The keys of this traffic ("avant.DEBUT", "apres.DEBUT", "etb.DEBUT", "spontane",
// "spontane-periode"): nothing when the key is none of them; otherwise how its value was
// applied.
ResultatSiConcerne AppliquerCleEcoute(Scenario& scenario, std::string_view cle,
                                      std::string_view valeur);
std::string AideScenarioEcoute();

}  // namespace zef30::simulateur
