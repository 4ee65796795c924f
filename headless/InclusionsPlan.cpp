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

  std::optional<std::vector<RequeteScriptee>> Lire(std::string_view texte,
                                                   const std::string& chemin, std::string& erreur) {
    chaine.push_back(chemin);
    const auto inclure = [&](std::string_view inclus, std::string& raison) {
      return Inclure(chemin, inclus, raison);
    };
    auto requetes = LireScript(texte, erreur, inclure);
    chaine.pop_back();
    return requetes;
  }

  std::optional<std::vector<RequeteScriptee>> Inclure(const std::string& depuis,
                                                      std::string_view inclus,
                                                      std::string& erreur) {
    namespace fs = std::filesystem;
    const fs::path nom{std::string(inclus)};
    const std::string chemin = (nom.is_absolute() ? nom : fs::path(depuis).parent_path() / nom)
                                   .lexically_normal()
                                   .string();
    if (std::find(chaine.begin(), chaine.end(), chemin) != chaine.end()) {
      erreur = "inclusion en boucle : " + Chaine(chemin);
      return std::nullopt;
    }
    if (static_cast<int>(chaine.size()) > kProfondeurInclusions) {
      erreur = "inclusions trop profondes (plus de " + std::to_string(kProfondeurInclusions) +
               ") : " + Chaine(chemin);
      return std::nullopt;
    }
    if (++lus > kInclusionsMax) {
      erreur = "plus de " + std::to_string(kInclusionsMax) + " inclusions";
      return std::nullopt;
    }
    const auto texte = lire(chemin, erreur);
    auto requetes =
        texte ? Lire(std::string(SansBom(*texte)) + "\n", chemin, erreur) : std::nullopt;
    if (!requetes) erreur = chemin + " : " + erreur;
    return requetes;
  }
};

}  // namespace

std::optional<std::vector<RequeteScriptee>> LirePlan(std::string_view texte,
                                                     const std::string& chemin,
                                                     const LecteurFichier& lire,
                                                     std::string& erreur) {
  Inclusions inclusions{lire, {}, 0};
  return inclusions.Lire(texte, std::filesystem::path(chemin).lexically_normal().string(), erreur);
}

}  // namespace zef30
