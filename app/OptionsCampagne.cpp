#include "app/OptionsCampagne.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "app/OptionsLigne.h"
#include "base/Texte.h"
#include "headless/Campagne.h"
#include "link/FichierRegulier.h"
#include "link/TablePorts.h"

namespace zef30 {

namespace {

// A month: longer than any campaign would want, short enough to stay a sane deadline.
constexpr double kDureeMaximale = 31 * 86'400.0;

}  // namespace

bool OptionCampagneAvecValeur(const std::string& nom) {
  return nom == "--repeat" || nom == "--for" || nom == "--lines" || nom == "--junit" ||
         nom == "--report" || nom == "--report-from";
}

ResultatSiConcerne LireOptionCampagne(OptionsCampagne& options, const std::string& nom,
                                      const std::optional<std::string>& valeur) {
  if (nom == "--verbose") {
    options.bavard = true;
    return Resultat<void>();
  }
  if (!OptionCampagneAvecValeur(nom) || !valeur) return std::nullopt;
  if (nom == "--repeat") {
    const auto fois = LireEntierStrict(*valeur);
    if (!fois) return Invalide("--repeat demande un nombre de tours (0 : jusqu’à --for ou Ctrl-C)");
    if (options.repetitionsDonnees) return Invalide("--repeat est donné deux fois");
    options.repetitions = *fois;
    options.repetitionsDonnees = true;
  } else if (nom == "--for") {
    const auto secondes = LireDuree(*valeur);
    if (!secondes || *secondes <= 0 || *secondes > kDureeMaximale) {
      return Invalide("--for demande une durée (45s, 30m, 8h, 1h30m), pas « " + Citer(*valeur) +
                      " »");
    }
    options.duree = *secondes;
  } else if (nom == "--lines") {
    options.lignes.clear();
    for (const std::string_view morceau : Decouper(*valeur, ",")) {
      const auto numero = LireEntierStrict(SansBlancs(morceau));
      if (!numero || *numero < TablePorts::kPremier || *numero > TablePorts::kDernier) {
        return Invalide("--lines : « " + Citer(morceau) + " » n’est pas un port de 1 à 20");
      }
      if (std::find(options.lignes.begin(), options.lignes.end(), *numero) !=
          options.lignes.end()) {
        return Invalide("--lines : le port " + std::to_string(*numero) + " est donné deux fois");
      }
      options.lignes.push_back(*numero);
    }
    if (options.lignes.empty()) return Invalide("--lines demande des numéros de port");
  } else {
    auto& champ = nom == "--junit"    ? options.junit
                  : nom == "--report" ? options.rapport
                                      : options.depuisJournal;
    if (valeur->empty()) return Invalide(nom + " demande un fichier");
    champ = *valeur;
  }
  return Resultat<void>();
}

std::string VerifierOptionsCampagne(const OptionsCampagne& options, bool sansFenetre) {
  if (options.depuisJournal) {
    if (sansFenetre || options.repetitionsDonnees || options.duree || !options.lignes.empty() ||
        options.bavard) {
      return "--report-from refait les rapports d’un journal : seuls --junit et --report vont "
             "avec lui";
    }
    return {};
  }
  const bool donnee = options.repetitionsDonnees || options.duree || !options.lignes.empty() ||
                      options.junit || options.rapport || options.bavard;
  if (donnee && !sansFenetre) {
    return "--repeat, --for, --lines, --junit, --report et --verbose vont avec --headless";
  }
  return {};
}

std::string VerifierFichiersSortie(const std::vector<std::pair<std::string, std::string>>& fichiers,
                                   const std::vector<std::pair<std::string, std::string>>& lus) {
  namespace fs = std::filesystem;
  // The same file under two names (a "./", a "..", a link to it) is one file.
  const auto canonique = [](const std::string& chemin) {
    std::error_code erreur;
    return fs::weakly_canonical(fs::absolute(chemin, erreur), erreur).lexically_normal().string();
  };
  std::vector<std::pair<std::string, std::string>> vus;  // option, the file as the system has it
  for (const auto& [option, chemin] : lus) vus.emplace_back(option, canonique(chemin));
  for (const auto& [option, chemin] : fichiers) {
    const std::string dossier = DossierDe(chemin);
    std::error_code erreur;
    if (!fs::is_directory(dossier, erreur)) {
      return option + " " + chemin + " : le dossier " + dossier + " n’existe pas";
    }
    if (::access(dossier.c_str(), W_OK | X_OK) != 0) {
      return option + " " + chemin + " : le dossier " + dossier +
             " ne peut pas être écrit : " + DecrireErreur(errno);
    }
    struct stat etat {};
    if (::lstat(chemin.c_str(), &etat) == 0 && !S_ISREG(etat.st_mode)) {
      return option + " " + chemin + " : " + NatureNonReguliere(etat.st_mode);
    }
    const std::string sien = canonique(chemin);
    for (const auto& [autre, vu] : vus) {
      if (vu == sien) {
        return option + " " + chemin + " : le même fichier que " + autre +
               " (chacun le remplacerait)";
      }
    }
    vus.emplace_back(option, sien);
  }
  return {};
}

}  // namespace zef30
