#pragma once

#include <string>
#include <string_view>

#include "console/Console.h"

namespace zef30 {

// The listeners of a payment, once the terminal's ENQ has come: they mirror the terminal's
// display on PanelAnnulation while the card holder acts, collect the answer frame (both blocks of
// a long one) and end when the answer has come and the display has been blanked since, in either
// order, after one more second; or after 300 s. Their result is the answer, counted from its STX
// (empty when none came or after an error).

// Validity ("Ak"); a display frame holding both "EUR" and "CODE" shows its first line blank.
std::string EcouterDemVAl(Console& console);
// Registration ("Al"); an answer whose status is "9" ends the listening at once, as it stands.
std::string EcouterDemEnr(Console& console);

}  // namespace zef30
