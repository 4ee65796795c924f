#include "console/ListeDossiers.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "base/Texte.h"

namespace zef30 {

void List2_Click(Fenetre& fenetre, const std::string& entree) {
  const std::optional<double> nombre = LireNombre(entree);
  if (!nombre) return;
  // To the nearest whole number, a half going to the even neighbour as the usual conversion
  // to a whole number does.
  const double arrondi = std::nearbyint(*nombre);
  if (!(arrondi >= std::numeric_limits<std::int32_t>::min() &&
        arrondi <= std::numeric_limits<std::int32_t>::max())) {
    fenetre.AfficherEtat("List2", "numéro de dossier hors limites : " + entree);
    return;
  }
  fenetre.EcrireTexte(ZoneTexte::Text2, std::to_string(static_cast<std::int32_t>(arrondi)));
}

}  // namespace zef30
