#pragma once

#include <vector>

#include "simulator/CleScenario.h"

namespace zef30::simulateur {

// The keys of tele-collection, reports, ISO 2 track, clock and speed ("tc.code1", "iso2.piste"...).
std::vector<CleScenario> ClesSoins();

}  // namespace zef30::simulateur
