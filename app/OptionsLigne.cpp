#include "app/OptionsLigne.h"

#include <filesystem>
#include <system_error>

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "headless/RequetesScriptees.h"
#include "link/PortReseau.h"
#include "link/TablePorts.h"

namespace zef30 {

namespace {

// "N=PATH" maps port N; anything else is a path for port 1.
std::string AssocierPort(OptionsConsole& options, const std::string& valeur) {
  int numero = 1;
  std::string chemin = valeur;
  const auto egal = valeur.find('=');
  const std::string_view avant = std::string_view(valeur).substr(0, egal);
  // Digits before '=' make a port number, however many there are.
  if (egal != std::string::npos && !avant.empty() &&
      avant.find_first_not_of("0123456789") == std::string_view::npos) {
    const auto lu = LireEntierStrict(avant);
    if (!lu || *lu < TablePorts::kPremier || *lu > TablePorts::kDernier) {
      return "--port : le numéro de port " + Citer(avant) + " n’est pas entre 1 et 20";
    }
    numero = *lu;
    chemin = valeur.substr(egal + 1);
  }
  if (chemin.empty())
    return "--port : il faut un chemin de ligne (--port N=CHEMIN ou --port CHEMIN)";
  if (EstAdresseReseau(chemin)) {
    if (const auto adresse = LireAdresseReseau(chemin); !adresse)
      return "--port : " + adresse.Erreur().texte;
  }
  if (!options.ports.emplace(numero, chemin).second) {
    return "--port : le port " + std::to_string(numero) + " est donné deux fois";
  }
  return {};
}

// Every family a run knows, as --run takes them.
std::string NomsFamilles() {
  std::string noms;
  for (const BoutonConsole* famille : FamillesRequetes())
    noms += (noms.empty() ? "" : ",") + std::string(famille->famille);
  return noms;
}

// --decode, --chart and theirs.
bool OptionLectureTrace(const std::string& nom) {
  return nom == "--decode" || nom == "--chart" || nom == "--from" || nom == "--to" || nom == "-o";
}

std::string LireOptionTrace(OptionsConsole& options, const std::string& nom,
                            const std::string& valeur) {
  if (nom == "--from" || nom == "--to") {
    const auto ms = LireNombre(valeur);
    if (!ms) return nom + " demande un moment de la trace en ms, pas « " + Citer(valeur) + " »";
    (nom == "--from" ? options.depuisMs : options.jusquaMs) = *ms;
    return {};
  }
  auto& champ = nom == "--decode"  ? options.traceADecoder
                : nom == "--chart" ? options.traceADessiner
                                   : options.fichierSvg;
  if (champ) return nom + " est donné deux fois";
  if (valeur.empty()) return nom + " demande une valeur";
  champ = valeur;
  return {};
}

std::string VerifierLectureTrace(const OptionsConsole& o) {
  if (o.traceADecoder && o.traceADessiner) return "--decode et --chart : l’un ou l’autre";
  const bool dessin = o.depuisMs || o.jusquaMs || o.fichierSvg;
  if (dessin && !o.traceADessiner) return "--from, --to et -o vont avec --chart";
  if (o.traceADessiner && !o.fichierSvg) return "--chart demande -o FICHIER.svg";
  return {};
}

}  // namespace

LectureOptions LireOptions(const std::vector<std::string>& arguments) {
  OptionsConsole options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string nom = arguments[i];
    std::optional<std::string> valeur;
    if (const auto egal = nom.find('='); nom.rfind("--", 0) == 0 && egal != std::string::npos) {
      valeur = nom.substr(egal + 1);
      nom = nom.substr(0, egal);
    }
    const bool attendValeur = nom == "--port" || nom == "--data-dir" || nom == "--trace" ||
                              nom == "--run" || nom == "--sim" || nom == "--sim-scenario" ||
                              OptionLectureTrace(nom) || OptionCampagneAvecValeur(nom);
    // An option that is none of these says so, whatever follows it.
    const bool sansValeur = nom == "--simulator" || nom == "--headless" || nom == "--json" ||
                            nom == "--help" || nom == "-h" || nom == "--version";
    if (attendValeur && !valeur) {
      if (i + 1 >= arguments.size()) return {std::nullopt, nom + " demande une valeur"};
      valeur = arguments[++i];
    } else if (sansValeur && valeur) {
      return {std::nullopt, nom + " ne prend pas de valeur"};
    }

    if (auto campagne = LireOptionCampagne(options.campagne, nom, valeur)) {
      if (!*campagne) return {std::nullopt, campagne->Erreur().texte};
    } else if (nom == "--port") {
      if (auto erreur = AssocierPort(options, *valeur); !erreur.empty()) {
        return {std::nullopt, erreur};
      }
    } else if (nom == "--data-dir") {
      if (options.dossierDonnees) return {std::nullopt, "--data-dir est donné deux fois"};
      if (valeur->empty()) return {std::nullopt, "--data-dir demande un dossier"};
      options.dossierDonnees = *valeur;
    } else if (nom == "--simulator") {
      options.simulateur = true;
    } else if (nom == "--sim") {
      const auto egal = valeur->find('=');
      if (egal == 0 || egal == std::string::npos) {
        return {std::nullopt, "--sim demande CLÉ=VALEUR (les clés : zef30-simulator --help)"};
      }
      options.clesSimulateur.emplace_back(valeur->substr(0, egal), valeur->substr(egal + 1));
    } else if (nom == "--trace" || nom == "--run" || nom == "--sim-scenario") {
      auto& champ = nom == "--trace" ? options.fichierTrace
                    : nom == "--run" ? options.script
                                     : options.scenarioSimulateur;
      if (champ) return {std::nullopt, nom + " est donné deux fois"};
      if (valeur->empty()) return {std::nullopt, nom + " demande une valeur"};
      champ = *valeur;
    } else if (OptionLectureTrace(nom)) {
      if (auto erreur = LireOptionTrace(options, nom, *valeur); !erreur.empty()) {
        return {std::nullopt, erreur};
      }
    } else if (nom == "--headless") {
      options.sansFenetre = true;
    } else if (nom == "--json") {
      options.json = true;
    } else if (nom == "--help" || nom == "-h") {
      options.aide = true;
    } else if (nom == "--version") {
      options.version = true;
    } else {
      return {std::nullopt, "option inconnue « " + Citer(nom) + " » (voir --help)"};
    }
  }
  if (auto erreur = VerifierLectureTrace(options); !erreur.empty()) return {std::nullopt, erreur};
  if (options.simulateur && options.ports.count(1) != 0) {
    return {std::nullopt, "--simulator prend le port 1 : associez l’autre ligne à un autre numéro"};
  }
  if ((!options.clesSimulateur.empty() || options.scenarioSimulateur) && !options.simulateur) {
    return {std::nullopt, "--sim et --sim-scenario vont avec --simulator"};
  }
  if (options.sansFenetre != options.script.has_value()) {
    return {std::nullopt, "--headless et --run vont ensemble : --headless --run REQUÊTES|FICHIER"};
  }
  if (options.json && !options.sansFenetre) return {std::nullopt, "--json va avec --headless"};
  if (auto erreur = VerifierOptionsCampagne(options.campagne, options.sansFenetre); !erreur.empty())
    return {std::nullopt, erreur};
  return {options, {}};
}

std::string TexteAide(const std::string& programme) {
  return "Usage : " + programme +
         " [--port N=CHEMIN]... [--port CHEMIN] [--data-dir DOSSIER]\n"
         "       [--simulator [--sim CLÉ=VALEUR]... [--sim-scenario FICHIER]]\n"
         "       [--trace FICHIER] [--headless --run REQUÊTES|FICHIER|- [--json]]\n"
         "       [--verbose] [--repeat N] [--for DURÉE] [--lines N,N...] [--junit FICHIER]\n"
         "       [--report FICHIER.html]\n"
         "       " +
         programme +
         " --decode TRACE\n"
         "       " +
         programme +
         " --chart TRACE [--from T] [--to T] -o FICHIER.svg\n"
         "Console de test du terminal de paiement ZEF30 sur une ligne série.\n"
         "\n"
         "  --port N=CHEMIN     le port numéro N (1 à 20) de la liste est la ligne CHEMIN\n"
         "  --port CHEMIN       le port 1 est la ligne CHEMIN (par exemple /dev/ttyUSB0) ;\n"
         "                      un numéro non associé est le port /dev/ttyS<N-1> de la machine\n"
         "  --port N=rfc2217://HÔTE:PORT, --port N=tcp://HÔTE:PORT\n"
         "                      une ligne servie sur le réseau (Telnet RFC 2217, ou TCP brut)\n"
         "  --data-dir DOSSIER  dossier du journal, du compteur de dossiers, des tickets et des\n"
         "                      rapports (par défaut : le dossier du programme, ou\n"
         "                      ~/.local/share/zef30 pour un programme installé sous /usr)\n"
         "  --simulator         un terminal simulé sur un pseudo-terminal, comme port 1\n"
         "  --sim CLÉ=VALEUR    une clé du scénario du terminal simulé, autant de fois qu’il\n"
         "                      faut (les clés : zef30-simulator --help), par exemple\n"
         "                      paiement.ecran-hote=non : il garde son afficheur pour lui\n"
         "  --sim-scenario FICHIER\n"
         "                      un fichier de scénario du terminal simulé, sous les --sim\n"
         "  --trace FICHIER     chaque octet de la ligne, dans les deux sens, horodaté, ajouté\n"
         "                      au FICHIER (F12 dans la fenêtre : la trace en direct)\n"
         "  --headless          sans fenêtre : les requêtes de --run, dans l’ordre, racontées\n"
         "                      sur la sortie standard ; code de sortie 0 si toutes réussissent,\n"
         "                      sinon 10 + le rang de la première en échec\n"
         "  --run REQUÊTES      des noms séparés par des virgules, parmi :\n"
         "                      " +
         NomsFamilles() +
         "\n"
         "  --run FICHIER       une requête par ligne avec ses entrées, par exemple\n"
         "                      « validite prix=1250 dossier=12 ecran=oui mode=video »,\n"
         "                      « maintenance duree=30 » (« Sortie Ecoute » après 30 s) ;\n"
         "                      un fichier se donne par un chemin : il contient « / » ou finit\n"
         "                      par « .txt » (./switch, script.txt) ; sinon, ce sont des noms\n"
         "  --run -             le script lu sur l’entrée standard\n"
         "  --json              un objet JSON par requête, une ligne chacun\n" +
         AideCampagne() +
         "  --decode TRACE      la trace, chaque trame nommée champ par champ sous son\n"
         "                      enregistrement\n"
         "  --chart TRACE       le diagramme de séquence de la trace, en SVG dans le FICHIER\n"
         "                      de -o ; --from et --to en bornent les moments (en ms)\n"
         "  --help, --version\n"
         "\n"
         "La fenêtre demande un affichage : sans lui, lancez-la sous xvfb-run, avec\n"
         "QT_QPA_PLATFORM=offscreen, ou en --headless.\n";
}

bool AffichageDisponible(const std::function<const char*(const char*)>& variable) {
  for (const char* nom : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* valeur = variable(nom);
    if (valeur != nullptr && *valeur != '\0') return true;
  }
  return false;
}

std::string DossierDonneesParDefaut(const std::string& dossierProgramme,
                                    const std::function<const char*(const char*)>& variable) {
  // Under /usr, programs never keep their files, even where they could (as root).
  const bool systeme = dossierProgramme.rfind("/usr/", 0) == 0;
  if (!systeme && TesterEcritureRepertoire(dossierProgramme)) return dossierProgramme;
  const char* donnees = variable("XDG_DATA_HOME");
  const char* maison = variable("HOME");
  std::filesystem::path dossier;
  if (donnees != nullptr && donnees[0] == '/') {
    dossier = std::filesystem::path(donnees) / "zef30";
  } else if (maison != nullptr && maison[0] == '/') {
    dossier = std::filesystem::path(maison) / ".local/share/zef30";
  } else {
    return dossierProgramme;
  }
  std::error_code erreur;
  std::filesystem::create_directories(dossier, erreur);
  return TesterEcritureRepertoire(dossier.string()) ? dossier.string() : dossierProgramme;
}

std::string DossierDe(const std::string& cheminProgramme) {
  const auto barre = cheminProgramme.find_last_of('/');
  if (barre == std::string::npos) return ".";
  if (barre == 0) return "/";
  return cheminProgramme.substr(0, barre);
}

}  // namespace zef30
