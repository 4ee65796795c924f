#pragma once

#include <vector>

#include "simulator/CleScenario.h"

namespace zef30::simulateur {

// The keys of the payments ("paiement.ecran-hote", "paiement.validite"...).
std::vector<CleScenario> ClesPaiement();

}  // namespace zef30::simulateur
