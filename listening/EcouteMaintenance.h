#pragma once

#include <ctime>
#include <string>

#include "console/Console.h"

namespace zef30 {

// Maintenance listening: acknowledges and records everything the terminal sends until
// ArretEcoute is set; display frames go to PanelAnnulation, other frames to txtSelection, and
// Label6 shows the time spent listening. Returns the listening trace (empty after an error).
std::string EcouterModeMaintenance(Console& console);

// Label6's clock: "EN ECOUTE " minutes ":" seconds since the start (`minute0`, `seconde0`),
// the start second moving up to the current one whenever the difference is 0 or less, so that
// after the first turn of the minute the seconds are the wall clock's own.
std::string LegendeHorlogeEcoute(const std::tm& maintenant, int minute0, int& seconde0);

}  // namespace zef30
