#include "simulator/CleScenario.h"

#include <cmath>

#include "base/Texte.h"
#include "simulator/LectureScenario.h"

namespace zef30::simulateur {

Resultat<void> LireSecondes(std::string_view valeur, int maximum, double& champ) {
  const auto n = LireNombre(valeur);
  if (!n || !std::isfinite(*n) || *n < 0 || *n > maximum) {
    return Invalide("un nombre de secondes de 0 à " + std::to_string(maximum) + " attendu");
  }
  champ = *n;
  return {};
}

Resultat<void> LireEntier(std::string_view valeur, int minimum, int maximum, int& champ) {
  const auto n = LireEntierStrict(valeur);
  if (!n || *n < minimum || *n > maximum) {
    return Invalide("un nombre entier de " + std::to_string(minimum) + " à " +
                    std::to_string(maximum) + " attendu");
  }
  champ = *n;
  return {};
}

Resultat<void> LireOctets(std::string_view valeur, std::string& champ) {
  std::string octets;
  if (!DecoderOctets(valeur, octets))
    return Invalide("\\xHH (deux chiffres hexadécimaux) ou \\\\ attendu");
  champ = std::move(octets);
  return {};
}

Resultat<void> LireDeux(std::string_view valeur, std::string_view oui, std::string_view non,
                        bool& champ) {
  if (valeur != oui && valeur != non)
    return Invalide(std::string(oui) + " ou " + std::string(non) + " attendu");
  champ = valeur == oui;
  return {};
}

}  // namespace zef30::simulateur
