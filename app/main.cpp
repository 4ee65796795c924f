#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/ExecutionCampagne.h"
#include "app/OptionsLigne.h"
#include "base/Horloge.h"
#include "base/HorlogeMurale.h"
#include "console/Console.h"
#include "console/EtatConsole.h"
#include "console/FichiersConsole.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "link/PortTrace.h"
#include "link/Signaux.h"
#include "link/TablePorts.h"
#include "simulator/TerminalSimule.h"
#include "window/ExecutionFenetre.h"

namespace {

constexpr const char* kProgramme = "zef30-console";

// The folder of the running executable, or the current folder when the system does not say.
std::string DossierExecutable() {
  std::error_code erreur;
  const auto chemin = std::filesystem::read_symlink("/proc/self/exe", erreur);
  if (erreur) return ".";
  return zef30::DossierDe(chemin.string());
}

int Refuser(const std::string& raison) {
  std::cerr << kProgramme << " : " << raison << '\n';
  return 2;
}

// The local moment the trace begins, as its header says it.
std::string DebutMural() {
  const std::tm maintenant = zef30::HorlogeMuraleSysteme().MaintenantLocal();
  char texte[32];
  std::strftime(texte, sizeof texte, "%Y-%m-%d %H:%M:%S", &maintenant);
  return texte;
}

// The requests of --run: the file it names when there is one, the names it lists otherwise.
std::optional<std::vector<zef30::RequeteScriptee>> LireRequetes(const std::string& valeur,
                                                                std::string& erreur) {
  std::error_code ignore;
  if (!std::filesystem::is_regular_file(valeur, ignore)) return zef30::LireScript(valeur, erreur);
  std::ifstream fichier(valeur, std::ios::binary);
  const std::string texte((std::istreambuf_iterator<char>(fichier)),
                          std::istreambuf_iterator<char>());
  auto requetes = zef30::LireScript(texte.empty() ? "\n" : texte + "\n", erreur);
  if (!requetes) erreur = valeur + " : " + erreur;
  return requetes;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread: SIGINT, SIGTERM and SIGHUP end the console with its line given back.
  zef30::TerminerSurSignaux();
  // A file grown past the size limit set for the session fails its write, which the console
  // reports on a result line, instead of ending the console.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto lecture = zef30::LireOptions(arguments);
  if (!lecture.options) return Refuser(lecture.erreur);
  const zef30::OptionsConsole& options = *lecture.options;
  if (options.aide) {
    std::cout << zef30::TexteAide(kProgramme);
    return 0;
  }
  if (options.version) {
    std::cout << kProgramme << ' ' << ZEF30_VERSION << '\n';
    return 0;
  }

  std::string dossier = zef30::DossierDonneesParDefaut(DossierExecutable(), std::getenv);
  if (options.dossierDonnees) {
    std::error_code erreur;
    if (!std::filesystem::is_directory(*options.dossierDonnees, erreur)) {
      return Refuser("--data-dir " + *options.dossierDonnees + " : ce n’est pas un dossier");
    }
    dossier = *options.dossierDonnees;
  }

  std::optional<std::vector<zef30::RequeteScriptee>> requetes;
  if (options.script) {
    std::string erreur;
    requetes = LireRequetes(*options.script, erreur);
    if (!requetes) return Refuser("--run : " + erreur);
  }
  // Several lines: this program again for each one, and this one gathers them.
  const auto& lignes = options.campagne.lignes;
  if (lignes.size() > 1) {
    return zef30::ExecuterLignes(options, arguments, *requetes, dossier, std::cout, std::cerr);
  }
  const int numeroLigne = lignes.empty() ? 1 : lignes.front();

  if (!options.sansFenetre &&
      !zef30::AffichageDisponible([](const char* nom) { return std::getenv(nom); })) {
    std::cerr << kProgramme
              << " : pas d’affichage (ni DISPLAY ni WAYLAND_DISPLAY) : lancez-la sous "
                 "xvfb-run, ou avec QT_QPA_PLATFORM=offscreen\n";
    return 1;
  }

  zef30::TablePorts table;
  for (const auto& [numero, chemin] : options.ports) table.Associer(numero, chemin);

  std::optional<zef30::simulateur::TerminalSimule> simulateur;
  // In a campaign over several lines, the lines that --port maps are not simulated.
  if (options.simulateur && options.ports.count(numeroLigne) == 0) {
    simulateur.emplace();
    std::string erreur;
    const std::string chemin = simulateur->OuvrirPseudoTerminal(erreur);
    if (chemin.empty()) {
      std::cerr << kProgramme << " : le terminal simulé ne peut pas démarrer : " << erreur << '\n';
      return 1;
    }
    table.Associer(numeroLigne, chemin);
    simulateur->Demarrer();
    if (!options.json) {
      std::cout << kProgramme << " : terminal simulé sur " << chemin << " (port " << numeroLigne
                << ")" << std::endl;
    }
  }

  zef30::HorlogeSysteme horloge;
  zef30::PortPosix ligne(table);
  // The tap is always there, for the Trace window; it writes a file only with --trace.
  zef30::PortTrace port(ligne, horloge, DebutMural());
  if (options.fichierTrace) {
    std::string erreur;
    if (!port.EcrireDans(*options.fichierTrace, erreur)) return Refuser("--trace " + erreur);
  }
  zef30::EtatConsole etat;
  etat.NumeroPortCom = numeroLigne;
  zef30::Liaison liaison(port, horloge, etat.NumeroPortCom);

  if (options.sansFenetre) {
    // No QApplication: nothing of Qt is started, no display or platform plugin is needed.
    // The whole story with --verbose; otherwise the run tells a line a request itself.
    zef30::FenetreTexte fenetre(options.json || !options.campagne.bavard ? nullptr : &std::cout);
    zef30::FichiersConsole fichiers(dossier, fenetre);
    zef30::Console console{etat, liaison, fenetre, fichiers};
    zef30::SignalerErreursPort(liaison, fenetre);
    return zef30::ExecuterSansFenetre(options, console, fenetre, *requetes, dossier, port.Fichier(),
                                      std::cout, std::cerr);
  }

  return zef30::ExecuterFenetre(argc, argv, kProgramme, etat, liaison, port, dossier);
}
