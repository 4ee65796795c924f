#include "app/OptionsLigne.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "app/OptionsDecrites.h"
#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "headless/RequetesScriptees.h"
#include "link/PortReseau.h"
#include "link/TablePorts.h"

namespace zef30 {

namespace {

// What is wrong with a line given as "scheme://…" whose scheme the console does not speak: a
// path of this machine never starts so, and taking it for one would only say "no such file".
std::string RefuserSchema(std::string_view chemin) {
  const auto separateur = chemin.find("://");
  if (separateur == std::string_view::npos || separateur == 0) return {};
  const std::string_view schema = chemin.substr(0, separateur);
  const bool lettres =
      std::isalpha(static_cast<unsigned char>(schema.front())) != 0 &&
      std::all_of(schema.begin(), schema.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
      });
  if (!lettres || EstAdresseReseau(chemin)) return {};
  std::string minuscules(schema);
  for (char& c : minuscules) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (minuscules == "telnet") {
    return "« " + Citer(chemin) +
           " » : utilisez rfc2217:// (Telnet avec le contrôle du port série) ou tcp://";
  }
  return "schéma « " + Citer(schema) +
         ":// » inconnu : utilisez rfc2217:// (Telnet avec le "
         "contrôle du port série) ou tcp://";
}

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
  if (const std::string refus = RefuserSchema(chemin); !refus.empty()) return "--port : " + refus;
  if (EstAdresseReseau(chemin)) {
    if (const auto adresse = LireAdresseReseau(chemin); !adresse)
      return "--port : " + adresse.Erreur().texte;
  }
  if (!options.ports.emplace(numero, chemin).second) {
    return "--port : le port " + std::to_string(numero) + " est donné deux fois";
  }
  return {};
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

// A piloted run reads its requests as commands and answers in JSON lines on one line of its own.
std::string VerifierPilote(const OptionsConsole& o) {
  if (o.script) return "--pilote lit ses requêtes en commandes : pas de --run";
  if (o.json) return "--pilote répond déjà en JSON, une ligne par réponse : pas de --json";
  if (o.campagne.lignes.size() > 1) return "--pilote tient une seule ligne : --lines d’un port";
  const auto& c = o.campagne;
  if (c.repetitionsDonnees || c.duree || c.junit || c.rapport || c.bavard || c.depuisJournal) {
    return "--repeat, --for, --junit, --report, --report-from et --verbose ne vont pas avec "
           "--pilote (--report-from JOURNAL refait les rapports de son journal)";
  }
  return {};
}

}  // namespace

LectureOptions LireOptions(const std::vector<std::string>& arguments, bool programmeFenetre) {
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
                              nom == "--pilote-socket" || OptionLectureTrace(nom) ||
                              OptionCampagneAvecValeur(nom);
    // An option that is none of these says so, whatever follows it.
    const bool sansValeur = nom == "--simulator" || nom == "--headless" || nom == "--json" ||
                            nom == "--sans-operateur" || nom == "--pilote" || nom == "--help" ||
                            nom == "-h" || nom == "--version";
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
    } else if (nom == "--trace" || nom == "--run" || nom == "--sim-scenario" ||
               nom == "--pilote-socket") {
      auto& champ = nom == "--trace"           ? options.fichierTrace
                    : nom == "--run"           ? options.script
                    : nom == "--pilote-socket" ? options.socketPilote
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
    } else if (nom == "--pilote") {
      options.pilote = true;
    } else if (nom == "--json") {
      options.json = true;
    } else if (nom == "--sans-operateur") {
      options.sansOperateur = true;
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
  // The window program serves a socket in its window; elsewhere the socket is a piloted run.
  if (options.socketPilote && !(programmeFenetre && !options.sansFenetre && !options.pilote)) {
    options.pilote = true;
  }
  if (options.pilote) {
    options.sansFenetre = true;
    if (auto erreur = VerifierPilote(options); !erreur.empty()) return {std::nullopt, erreur};
  }
  if (!options.pilote && options.sansFenetre != options.script.has_value()) {
    return {std::nullopt, "--headless et --run vont ensemble : --headless --run REQUÊTES|FICHIER"};
  }
  if (options.json && !options.sansFenetre) return {std::nullopt, "--json va avec --headless"};
  if (auto erreur = VerifierOptionsCampagne(options.campagne, options.sansFenetre); !erreur.empty())
    return {std::nullopt, erreur};
  return {options, {}};
}

std::string TexteAide(const std::string& programme) {
  return TexteSynopsis("Usage : ", programme, SynopsisConsole()) +
         "Console de test du terminal de paiement ZEF30 sur une ligne série.\n\n" +
         TexteOptions(OptionsConsoleDecrites()) + "\n" + NotesAideConsole();
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

std::vector<std::string> ArgumentsLigne(const std::vector<std::string>& arguments, int ligne,
                                        const std::string& dossier, const std::string& trace) {
  std::vector<std::string> enfant;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    const std::string nom = a.substr(0, a.find('='));
    const bool avecValeur = nom == "--lines" || nom == "--junit" || nom == "--report" ||
                            nom == "--data-dir" || nom == "--trace";
    if (avecValeur) {
      if (nom == a) ++i;  // its value is the next argument
      continue;
    }
    if (a == "--json" || a == "--verbose") continue;
    enfant.push_back(a);
  }
  for (const std::string& a : {std::string("--lines"), std::to_string(ligne),
                               std::string("--data-dir"), dossier, std::string("--json")}) {
    enfant.push_back(a);
  }
  if (!trace.empty()) {
    enfant.push_back("--trace");
    enfant.push_back(trace);
  }
  return enfant;
}

}  // namespace zef30
