#pragma once

#include "console/Console.h"
#include "console/IssueRequete.h"

namespace zef30 {

// "Ecouter Mode Maintenance": listens to the terminal until "Sortie Ecoute", then shows the whole
// traffic in txtSelection and appends it to the log (nothing when it is empty).
IssueRequete cmdLitPuceSync_Click(Console& console);

// "Sortie Ecoute": stops the listening that runs; Label6 is blank again on the window's colour.
IssueRequete Command1_Click(Console& console);

}  // namespace zef30
