#include "requests/LigneResultat.h"

namespace zef30 {

std::string LigneResultat(std::string_view nom, std::int16_t resultat, std::string_view ok,
                          std::string_view pasOk) {
  std::string ligne = std::string(nom) + " = ";
  if (resultat == 0) return ligne + std::string(ok);
  if (resultat == 1) return ligne + std::string(pasOk);
  return ligne + "Erreur n°" + std::to_string(resultat);
}

}  // namespace zef30
