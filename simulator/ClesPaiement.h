#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/Scenario.h"

namespace zef30::simulateur {

// One scenario key of the payments: its name, its values and role for --help, and how its value
// sets the scenario (the message to show when it does not fit).
struct ClePaiement {
  std::string nom;
  std::string valeurs;
  std::string role;
  std::function<std::optional<std::string>(Scenario&, std::string_view valeur)> lire;
};

// The keys of the payments ("paiement.ecran-hote", "paiement.validite"...).
std::vector<ClePaiement> ClesPaiement();

}  // namespace zef30::simulateur
