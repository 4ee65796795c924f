#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/OptionsLigne.h"
#include "console/Console.h"
#include "console/EtatConsole.h"
#include "console/FenPresentation.h"
#include "console/FichiersConsole.h"
#include "link/Horloge.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "link/TablePorts.h"
#include "simulator/TerminalSimule.h"

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

}  // namespace

int main(int argc, char** argv) {
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

  if (!zef30::AffichageDisponible([](const char* nom) { return std::getenv(nom); })) {
    std::cerr << kProgramme
              << " : pas d’affichage (ni DISPLAY ni WAYLAND_DISPLAY) : lancez-la sous "
                 "xvfb-run, ou avec QT_QPA_PLATFORM=offscreen\n";
    return 1;
  }

  zef30::TablePorts table;
  for (const auto& [numero, chemin] : options.ports) table.Associer(numero, chemin);

  std::optional<zef30::simulateur::TerminalSimule> simulateur;
  if (options.simulateur) {
    simulateur.emplace();
    std::string erreur;
    const std::string chemin = simulateur->OuvrirPseudoTerminal(erreur);
    if (chemin.empty()) {
      std::cerr << kProgramme << " : le terminal simulé ne peut pas démarrer : " << erreur << '\n';
      return 1;
    }
    table.Associer(1, chemin);
    simulateur->Demarrer();
    std::cout << kProgramme << " : terminal simulé sur " << chemin << " (port 1)" << std::endl;
  }

  QApplication application(argc, argv);
  // Desktops find the console's entry and icon by this name.
  QApplication::setDesktopFileName(QString::fromLatin1(kProgramme));
  zef30::HorlogeSysteme horloge;
  zef30::PortPosix port(table);
  zef30::EtatConsole etat;
  zef30::Liaison liaison(port, horloge, etat.NumeroPortCom);
  zef30::FenPresentation fenetre;
  zef30::FichiersConsole fichiers(dossier, fenetre);
  zef30::Console console{etat, liaison, fenetre, fichiers};
  zef30::SignalerErreursPort(liaison, fenetre);

  fenetre.AttacherConsole(console);
  fenetre.Form_Load();
  fenetre.show();
  return application.exec();
}
