#pragma once

#include <string>

#include "console/Console.h"

namespace zef30 {

// The listeners of the terminal's own long work, once its ENQ has come. Each acknowledges every
// ENQ and block end, shows display frames, and ends on its own mark or its time limit.

// Restart: display frames on PanelRefus; ends on the fifth EOT or after 300 s. Returns the
// listening trace.
std::string EcouterDemarrage(Console& console);

// ISO 2 track read: display frames on PanelAnnulation, up to 60 s between two characters; ends
// on the "Ag" answer (an "Ag" block ended by ETB is left for the exchange to acknowledge) or
// after 120 s. Returns the last frame taken, normally the answer.
std::string EcouterDemISO2(Console& console);

// What a tele-collection listening leaves: the last frame taken (the display frame after the
// answer at its normal end), the terminal's "Aj" answer frame counted from its STX as it passed
// (empty when it never came), and the listening trace.
struct EcouteTelecollecte {
  std::string derniereTrame;
  std::string reponse;
  std::string trace;
};

// Tele-collection: every block goes to a report file of its own in Telec/ (named as
// FichiersConsole::OuvrirRapportTelecollecte says), one line each (a
// block ended by ETB too, so that no line of the file is left without its end); display frames on
// LabelTemps; ends at the first read after the first display frame that follows "Aj", or after
// 900 s. Returns the last frame taken (empty after an error).
std::string EcouterDemTC(Console& console);
EcouteTelecollecte EcouterDemTCDetaille(Console& console);

}  // namespace zef30
