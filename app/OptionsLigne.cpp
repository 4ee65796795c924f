#include "app/OptionsLigne.h"

#include "link/TablePorts.h"
#include "link/Texte.h"

namespace zef30 {

namespace {

// "N=PATH" maps port N; anything else is a path for port 1.
std::string AssocierPort(OptionsConsole& options, const std::string& valeur) {
  int numero = 1;
  std::string chemin = valeur;
  const auto egal = valeur.find('=');
  if (egal != std::string::npos) {
    if (const auto lu = LireEntierStrict(std::string_view(valeur).substr(0, egal))) {
      if (*lu < TablePorts::kPremier || *lu > TablePorts::kDernier) {
        return "--port: port number " + valeur.substr(0, egal) + " is not between 1 and 20";
      }
      numero = *lu;
      chemin = valeur.substr(egal + 1);
    }
  }
  if (chemin.empty()) return "--port: a device path is needed (--port N=PATH or --port PATH)";
  if (!options.ports.emplace(numero, chemin).second) {
    return "--port: port " + std::to_string(numero) + " is given twice";
  }
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
    const bool attendValeur = nom == "--port" || nom == "--data-dir";
    if (attendValeur && !valeur) {
      if (i + 1 >= arguments.size()) return {std::nullopt, nom + " needs a value"};
      valeur = arguments[++i];
    } else if (!attendValeur && valeur) {
      return {std::nullopt, nom + " takes no value"};
    }

    if (nom == "--port") {
      if (auto erreur = AssocierPort(options, *valeur); !erreur.empty()) {
        return {std::nullopt, erreur};
      }
    } else if (nom == "--data-dir") {
      if (options.dossierDonnees) return {std::nullopt, "--data-dir is given twice"};
      if (valeur->empty()) return {std::nullopt, "--data-dir needs a folder"};
      options.dossierDonnees = *valeur;
    } else if (nom == "--simulator") {
      options.simulateur = true;
    } else if (nom == "--help" || nom == "-h") {
      options.aide = true;
    } else if (nom == "--version") {
      options.version = true;
    } else {
      return {std::nullopt, "unknown option '" + nom + "' (see --help)"};
    }
  }
  if (options.simulateur && options.ports.count(1) != 0) {
    return {std::nullopt, "--simulator takes port 1: map the other device to another number"};
  }
  return {options, {}};
}

std::string TexteAide(const std::string& programme) {
  return "Usage: " + programme +
         " [--port N=PATH]... [--port PATH] [--data-dir DIR] [--simulator]\n"
         "Operator's test console for the ZEF30 card-payment terminal on a serial line.\n"
         "\n"
         "  --port N=PATH   port number N (1 to 20) of the port list is the device PATH\n"
         "  --port PATH     port 1 is the device PATH (e.g. /dev/ttyUSB0)\n"
         "                  a number not mapped is the machine's port /dev/ttyS<N-1>\n"
         "  --data-dir DIR  folder of the log, dossier counter, receipts and reports\n"
         "                  (default: the folder of the program)\n"
         "  --simulator     start a simulated terminal on a pseudo-terminal as port 1\n"
         "  --help          show this help and exit\n"
         "  --version       show the version and exit\n"
         "\n"
         "A display is needed: run under xvfb-run, or with QT_QPA_PLATFORM=offscreen.\n";
}

bool AffichageDisponible(const std::function<const char*(const char*)>& variable) {
  for (const char* nom : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* valeur = variable(nom);
    if (valeur != nullptr && *valeur != '\0') return true;
  }
  return false;
}

std::string DossierDe(const std::string& cheminProgramme) {
  const auto barre = cheminProgramme.find_last_of('/');
  if (barre == std::string::npos) return ".";
  if (barre == 0) return "/";
  return cheminProgramme.substr(0, barre);
}

}  // namespace zef30
