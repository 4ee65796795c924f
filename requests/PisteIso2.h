#pragma once

#include <cstdint>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// Has the terminal read the ISO 2 track of a swiped card, listened to when `afficherHote`:
// the status digit 0 to 9 (0: the 40 track characters in PisteIso2, 1 to 9: the reason on the
// status line), 1 when the status is not a digit; a failure when the exchange failed (its result
// line shows -400) or the terminal was not ready (-300). PisteIso2 is emptied first.
ResultatRequete DemanderPisteIso2(Console& console, bool afficherHote);

// "Demande ISO 2": one line, then the track (or nothing) in txtSelection.
IssueRequete Command5_Click(Console& console);

}  // namespace zef30
