#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/Resultat.h"

namespace zef30::simulateur {

struct Scenario;

// A key's value turned into the scenario, or the message to show when it does not fit.
using Lecteur = std::function<Resultat<void>(Scenario&, std::string_view valeur)>;

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
Resultat<void> LireSecondes(std::string_view valeur, int maximum, double& champ);
// A whole number of digits only, from `minimum` to `maximum`.
Resultat<void> LireEntier(std::string_view valeur, int minimum, int maximum, int& champ);
// Bytes written as text (DecoderOctets).
Resultat<void> LireOctets(std::string_view valeur, std::string& champ);
// One of two words: true for `oui`, false for `non`.
Resultat<void> LireDeux(std::string_view valeur, std::string_view oui, std::string_view non,
                        bool& champ);

}  // namespace zef30::simulateur
