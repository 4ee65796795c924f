#pragma once

#include <cstdint>
#include <string>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// Restarts the terminal: the trace of what it sent while it started again, or an empty text
// when it was not ready.
std::string DemanderRedemarrage(Console& console);

// Sets the terminal's line speed, 9600 bauds for `choix` 1 and 19200 for any other: 0 accepted,
// 1 refused or terminal not ready. The console's own line keeps its speed.
std::int16_t DemanderVitesse(Console& console, std::int16_t choix);

// Sets the terminal's clock to the console's date and time, taken before anything is sent:
// 0 accepted, 1 refused; a failure when the terminal is not ready (its line shows -500).
ResultatRequete MettreAHeure(Console& console);

// "Dem Redemarrage": the trace in txtSelection, no line.
IssueRequete Command6_Click(Console& console);
// "Changer Vitesse -> 19200", a button the window keeps hidden.
IssueRequete cmdDemVitesse_Click(Console& console);
// "Mise à l'heure".
IssueRequete Command2_Click(Console& console);

}  // namespace zef30
