#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/Scenario.h"

namespace zef30::simulateur {

// One scenario key of the terminal-care requests: its name, its values and role for --help, and
// how it sets the scenario (the message to show when the value does not fit).
struct CleSoins {
  std::string nom;
  std::string valeurs;
  std::string role;
  std::function<std::optional<std::string>(Scenario&, std::string_view valeur)> lire;
};

// The keys of tele-collection, reports, ISO 2 track, clock and speed ("tc.code1", "iso2.piste"...).
std::vector<CleSoins> ClesSoins();

}  // namespace zef30::simulateur
