#include "simulator/LigneCommande.h"

#include <utility>

#include "simulator/LectureScenario.h"

namespace zef30::simulateur {

Resultat<OptionsSimulateur> AnalyserLigneCommande(const std::vector<std::string>& arguments) {
  OptionsSimulateur lues;
  std::vector<std::pair<std::string, std::string>> cles;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      lues.aide = true;
      continue;
    }
    if (argument == "--version") {
      lues.version = true;
      continue;
    }
    if (argument == "--compress") {
      lues.pausesComprimees = true;
      continue;
    }
    if (!argument.starts_with("--") || argument.size() == 2) {
      return Invalide("argument inattendu « " + argument + " » (voir --help)");
    }
    // --nom=valeur, or --nom valeur.
    std::string nom = argument.substr(2);
    std::string valeur;
    const auto egal = nom.find('=');
    if (egal != std::string::npos) {
      valeur = nom.substr(egal + 1);
      nom.resize(egal);
    } else if (i + 1 < arguments.size()) {
      valeur = arguments[++i];
    } else {
      return Invalide("valeur manquante après « " + argument + " »");
    }
    if (nom == "device") {
      if (valeur.empty()) {
        return Invalide("--device demande le chemin d’une ligne série");
      }
      lues.peripherique = valeur;
    } else if (nom == "scenario") {
      if (valeur.empty()) {
        return Invalide("--scenario demande le chemin d’un fichier");
      }
      lues.fichierScenario = valeur;
    } else if (nom == "replay") {
      if (valeur.empty()) {
        return Invalide("--replay demande le chemin d’une trace");
      }
      lues.fichierRejeu = valeur;
    } else {
      cles.emplace_back(nom, valeur);
    }
  }
  if (!lues.fichierRejeu.empty() && (!lues.fichierScenario.empty() || !cles.empty())) {
    return Invalide("--replay joue la trace telle qu’elle est : ni --scenario ni clé avec lui");
  }
  if (lues.pausesComprimees && lues.fichierRejeu.empty()) {
    return Invalide("--compress va avec --replay");
  }
  if (lues.aide || lues.version) return lues;
  // The file first, then the command line over it, whatever their order.
  if (auto compose = ComposerScenario(lues.fichierScenario, cles, "--", lues.scenario); !compose)
    return std::move(compose).Erreur();
  return lues;
}

std::vector<OptionDecrite> OptionsSimulateurDecrites() {
  return {
      {"--device", "CHEMIN",
       "une vraie ligne série (9600 bauds, 8N1) au lieu d’un pseudo-terminal"},
      {"--scenario", "FICHIER",
       "un fichier de lignes « clé=valeur » (une ligne qui commence par # ou ; est un "
       "commentaire)"},
      {"--CLÉ=VALEUR", "",
       "une clé du scénario (la liste est plus bas), par-dessus le fichier, par exemple "
       "--naks=1 ou --paiement.ecran-hote=non"},
      {"--replay", "TRACE",
       "rejoue le côté terminal d’une trace de zef30-console --trace, avec ses pauses, et dit "
       "où les octets de la console diffèrent (code de sortie 0 : identiques jusqu’au bout, 1 : "
       "différents)"},
      {"--compress", "", "pauses du rejeu raccourcies (20 ms au plus)"},
      {"--help", "", "cette aide, avec les clés du scénario, puis la fin"},
      {"--version", "", "la version, puis la fin"},
  };
}

Synopsis SynopsisSimulateur() {
  return {
      {"[--device CHEMIN] [--scenario FICHIER] [--CLÉ=VALEUR]..."},
      {"[--device CHEMIN] --replay TRACE [--compress]"},
      {"--help | --version"},
  };
}

std::string TexteAide() {
  return TexteSynopsis("Usage : ", "zef30-simulator", SynopsisSimulateur()) +
         "Joue le terminal ZEF30 au bout d’une ligne série : un pseudo-terminal dont le chemin\n"
         "est écrit sur la sortie standard (par défaut), ou la ligne --device. S’arrête sur\n"
         "SIGINT ou SIGTERM.\n"
         "\n" +
         TexteOptions(OptionsSimulateurDecrites()) +
         "\n"
         "Clés du scénario :\n" +
         AideScenario();
}

}  // namespace zef30::simulateur
