#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zef30::simulateur {

struct Scenario;

// A key's value turned into the scenario: nullopt when it fits, otherwise the message to show.
using Lecteur = std::function<std::optional<std::string>(Scenario&, std::string_view valeur)>;

// One scenario key ("naks", "paiement.carte", "faute.bruit"...): its name, its values and role
// for --help, and how its value sets the scenario.
struct CleScenario {
  std::string nom;
  std::string valeurs;
  std::string role;
  Lecteur lire;
};

// The readings the tables of keys share. Each puts what `valeur` says into `champ`, or leaves
// `champ` as it was and says what was expected.
// Seconds from 0 to `maximum`, as LireNombre reads them.
std::optional<std::string> LireSecondes(std::string_view valeur, int maximum, double& champ);
// A whole number of digits only, from `minimum` to `maximum`.
std::optional<std::string> LireEntier(std::string_view valeur, int minimum, int maximum,
                                      int& champ);
// Bytes written as text (DecoderOctets).
std::optional<std::string> LireOctets(std::string_view valeur, std::string& champ);
// One of two words: true for `oui`, false for `non`.
std::optional<std::string> LireDeux(std::string_view valeur, std::string_view oui,
                                    std::string_view non, bool& champ);

}  // namespace zef30::simulateur
