#include "headless/InclusionsPlan.h"

#include <algorithm>
#include <filesystem>

#include "base/Texte.h"

namespace zef30 {

namespace {

struct Inclusions {
  const LecteurFichier& lire;
  std::vector<std::string> chaine;  // the plans being read, the first at the bottom
  int lus = 0;

  std::string Chaine(const std::string& dernier) const {
    std::string dite;
    for (const auto& c : chaine) dite += c + " → ";
    return dite + dernier;
  }

  Resultat<std::vector<RequeteScriptee>> Lire(std::string_view texte, const std::string& chemin) {
    chaine.push_back(chemin);
    const auto inclure = [&](std::string_view inclus) { return Inclure(chemin, inclus); };
    auto requetes = LireScript(texte, inclure);
    chaine.pop_back();
    return requetes;
  }

  Resultat<std::vector<RequeteScriptee>> Inclure(const std::string& depuis,
                                                 std::string_view inclus) {
    namespace fs = std::filesystem;
    const fs::path nom{std::string(inclus)};
    const std::string chemin = (nom.is_absolute() ? nom : fs::path(depuis).parent_path() / nom)
                                   .lexically_normal()
                                   .string();
    if (std::find(chaine.begin(), chaine.end(), chemin) != chaine.end()) {
      return Invalide("inclusion en boucle : " + Chaine(chemin));
    }
    if (static_cast<int>(chaine.size()) > kProfondeurInclusions) {
      return Invalide("inclusions trop profondes (plus de " +
                      std::to_string(kProfondeurInclusions) + ") : " + Chaine(chemin));
    }
    if (++lus > kInclusionsMax) {
      return Invalide("plus de " + std::to_string(kInclusionsMax) + " inclusions");
    }
    const auto texte = lire(chemin);
    auto requetes = texte ? Lire(std::string(SansBom(*texte)) + "\n", chemin)
                          : Resultat<std::vector<RequeteScriptee>>(texte.Erreur());
    if (!requetes) return Echec{requetes.Erreur().genre, chemin + " : " + requetes.Erreur().texte};
    return requetes;
  }
};

}  // namespace

Resultat<std::vector<RequeteScriptee>> LirePlan(std::string_view texte, const std::string& chemin,
                                                const LecteurFichier& lire) {
  Inclusions inclusions{lire, {}, 0};
  return inclusions.Lire(texte, std::filesystem::path(chemin).lexically_normal().string());
}

}  // namespace zef30
