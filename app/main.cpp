#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/OptionsLigne.h"
#include "app/ScriptDeRun.h"
#include "base/Horloge.h"
#include "console/Console.h"
#include "console/FichiersConsole.h"
#include "console/Poste.h"
#include "headless/Campagne.h"
#include "headless/ExecutionCampagne.h"
#include "headless/FenetreTexte.h"
#include "headless/LectureTrace.h"
#include "headless/Pilotage.h"
#include "headless/RequetesScriptees.h"
#include "link/FichierRegulier.h"
#include "link/PortAiguillage.h"
#include "link/PortTrace.h"
#include "link/Signaux.h"
#include "link/TablePorts.h"
#include "simulator/LectureScenario.h"
#include "simulator/TerminalSimule.h"
#ifdef ZEF30_FENETRE
#include "app/PilotageEnFenetre.h"
#include "window/ExecutionFenetre.h"
#endif

namespace {

constexpr const char* kProgramme = "zef30-console";
// How zef30-console tells its window program the folder it lies in.
constexpr const char* kVariableDossier = "ZEF30_DOSSIER_PROGRAMME";

// The folder of the running executable (the window program's: that of its zef30-console), or the
// current folder when the system does not say.
std::string DossierExecutable() {
#ifdef ZEF30_FENETRE
  if (const char* dossier = std::getenv(kVariableDossier)) return dossier;
#endif
  std::error_code erreur;
  const auto chemin = std::filesystem::read_symlink("/proc/self/exe", erreur);
  if (erreur) return ".";
  return zef30::DossierDe(chemin.string());
}

int Refuser(const std::string& raison) {
  std::cerr << kProgramme << " : " << raison << '\n';
  return 2;
}

#ifndef ZEF30_FENETRE
// zef30-console links no Qt: a window asked for, it becomes zef30-console-fenetre, this program
// built with the window, with the same arguments. That program lies next to zef30-console in the
// build, in a folder of its own once installed. Comes back only when it cannot.
int PasserALaFenetre(char** argv) {
  const std::string dossier = DossierExecutable();
  ::setenv(kVariableDossier, dossier.c_str(), 1);
  for (const std::string& chemin :
       {dossier + "/zef30-console-fenetre",
        dossier + "/" ZEF30_FENETRE_INSTALLEE "/zef30-console-fenetre"}) {
    if (::access(chemin.c_str(), X_OK) == 0) ::execv(chemin.c_str(), argv);
  }
  std::cerr << kProgramme << " : la fenêtre ne peut pas démarrer : zef30-console-fenetre : "
            << zef30::DecrireErreur(errno) << '\n';
  return 1;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  // Before any thread: every signal that would end the console gives its line back first; SIGPIPE
  // and SIGXFSZ are ignored, so a reader gone away (`| head -1`) or a file past the session's size
  // limit is a failed write, which the console says (a campaign takes a closed output as a stop).
  zef30::TerminerSurSignaux();
  // A line's process of a campaign ends with its campaign.
  zef30::SuivreCampagneParente();
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
#ifdef ZEF30_FENETRE
  const auto lecture = zef30::LireOptions(arguments, true);
#else
  const auto lecture = zef30::LireOptions(arguments);
#endif
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
  if (options.traceADecoder) {
    return zef30::AfficherTraceDecodee(*options.traceADecoder, std::cout, std::cerr);
  }
  if (options.traceADessiner) {
    return zef30::DessinerTrace(*options.traceADessiner, {options.depuisMs, options.jusquaMs},
                                *options.fichierSvg, std::cout, std::cerr);
  }

  // Every file the run writes besides its data folder, checked before anything is sent: a report
  // that cannot be written is said now, not after a campaign of hours.
  {
    std::vector<std::pair<std::string, std::string>> fichiers, lus;
    if (options.fichierTrace) fichiers.emplace_back("--trace", *options.fichierTrace);
    if (options.campagne.junit) fichiers.emplace_back("--junit", *options.campagne.junit);
    if (options.campagne.rapport) fichiers.emplace_back("--report", *options.campagne.rapport);
    if (options.campagne.depuisJournal)
      lus.emplace_back("--report-from", *options.campagne.depuisJournal);
    if (const std::string erreur = zef30::VerifierFichiersSortie(fichiers, lus); !erreur.empty())
      return Refuser(erreur);
  }
  if (options.campagne.depuisJournal) {
    return zef30::RefaireRapports(options.campagne, std::cout, std::cerr);
  }

  // With --data-dir, that folder alone: nothing is tried in the program's own.
  std::string dossier;
  if (options.dossierDonnees) {
    std::error_code erreur;
    if (!std::filesystem::is_directory(*options.dossierDonnees, erreur)) {
      return Refuser("--data-dir " + *options.dossierDonnees + " : ce n’est pas un dossier");
    }
    dossier = *options.dossierDonnees;
  } else {
    dossier = zef30::DossierDonneesParDefaut(DossierExecutable(), std::getenv);
  }
  if (options.sansFenetre && !zef30::TesterEcritureRepertoire(dossier)) {
    std::cerr << kProgramme << " : le dossier de données " << dossier
              << " ne peut pas être écrit : ni le journal de la campagne, ni " << zef30::kNomJournal
              << ", ni les tickets, ni le compteur de dossiers n’y iront\n";
  }

  std::optional<std::vector<zef30::RequeteScriptee>> requetes;
  if (options.script) {
    auto lus = zef30::LireScriptDeRun(*options.script, std::cin);
    if (!lus) return Refuser("--run : " + lus.Erreur().texte);
    requetes = std::move(*lus);
    // Standard input is the operator's only when the plan was not read from it.
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && *options.script != "-";
    const std::string refus = zef30::RefusOperateur(*requetes, options.sansOperateur, terminal,
                                                    options.campagne.lignes.size() > 1);
    if (!refus.empty()) return Refuser("--run : " + refus);
  }
  zef30::simulateur::Scenario scenario;
  if (const auto compose = zef30::simulateur::ComposerScenario(
          options.scenarioSimulateur.value_or(""), options.clesSimulateur, "--sim ", scenario);
      !compose) {
    return Refuser(compose.Erreur().texte);
  }
  // Several lines: this program again for each one, and this one gathers them.
  const auto& lignes = options.campagne.lignes;
  if (lignes.size() > 1) {
    const auto argumentsLigne = [&arguments](int ligne, const std::string& sien,
                                             const std::string& trace) {
      return zef30::ArgumentsLigne(arguments, ligne, sien, trace);
    };
    return zef30::ExecuterLignes(options, argumentsLigne, *requetes, dossier, std::cout, std::cerr);
  }
  const int numeroLigne = lignes.empty() ? 1 : lignes.front();

  if (!options.sansFenetre &&
      !zef30::AffichageDisponible([](const char* nom) { return std::getenv(nom); })) {
    std::cerr << kProgramme
              << " : pas d’affichage (ni DISPLAY ni WAYLAND_DISPLAY) : lancez-la sous "
                 "xvfb-run, ou avec QT_QPA_PLATFORM=offscreen\n";
    return 1;
  }
#ifndef ZEF30_FENETRE
  if (!options.sansFenetre) return PasserALaFenetre(argv);
#endif

  zef30::TablePorts table = options.Table();

  std::optional<zef30::simulateur::TerminalSimule> simulateur;
  if (options.simulateur && options.ports.count(numeroLigne) == 0) {
    simulateur.emplace(std::move(scenario));
    const auto chemin = simulateur->OuvrirPseudoTerminal();
    if (!chemin) {
      std::cerr << kProgramme
                << " : le terminal simulé ne peut pas démarrer : " << chemin.Erreur().texte << '\n';
      return 1;
    }
    table.Associer(numeroLigne, *chemin);
    table.Decrire(numeroLigne, "terminal simulé");
    simulateur->Demarrer();
    if (!options.json && !options.pilote) {
      std::cout << kProgramme << " : terminal simulé sur " << *chemin << " (port " << numeroLigne
                << ")" << std::endl;
    }
  }

  zef30::HorlogeSysteme horloge;
  // A device of this machine, or a line served over the network, as each number is mapped.
  zef30::PortAiguillage ligne(table);
  // The tap is always there, for the Trace window; it writes a file only with --trace. Each
  // frame goes into it in words too, from the layouts of the messages.
  const zef30::DebutMural debut = zef30::MaintenantMural();
  zef30::PortTrace port(ligne, horloge, debut.texte);
  port.NommerTrames();
  if (options.fichierTrace) {
    if (const auto ecrite = port.EcrireDans(*options.fichierTrace); !ecrite)
      return Refuser("--trace " + ecrite.Erreur().texte);
  }

  if (options.sansFenetre) {
    // No QApplication: nothing of Qt is started, no display or platform plugin is needed.
    // The whole story with --verbose; otherwise the run tells a line a request itself.
    zef30::FenetreTexte fenetre(options.json || !options.campagne.bavard ? nullptr : &std::cout);
    zef30::Poste poste(port, horloge, fenetre, dossier);
    poste.ChoisirPort(numeroLigne);
    poste.liaison.NommerLigne([&table](int numero) { return table.Chemin(numero); });
    zef30::SignalerErreursPort(poste.liaison, fenetre);
    zef30::SignalerEchecTrace(port, fenetre, std::cerr);
    if (options.pilote) {
      return zef30::ExecuterPilote(options, poste.console, fenetre, dossier, debut, std::cerr);
    }
    return zef30::ExecuterSansFenetre(options, poste.console, fenetre, *requetes, dossier,
                                      port.Fichier(), debut, std::cout, std::cerr);
  }

#ifdef ZEF30_FENETRE
  // --pilote-socket: a script drives the window a person watches.
  zef30::OuvreurPilotage pilotage;
  if (options.socketPilote) {
    pilotage = zef30::OuvrirPilotageEnFenetre(*options.socketPilote, dossier, debut, &std::cerr);
  }
  return zef30::ExecuterFenetre(argc, argv, kProgramme, numeroLigne, horloge, port, dossier,
                                &zef30::ExecuterPlanDeFichier, pilotage);
#endif
}
