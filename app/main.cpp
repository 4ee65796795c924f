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
#include "base/Resultat.h"
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

// What a run asks besides its options: the script's requests (none without --run) and the
// simulated terminal's scenario.
struct Demande {
  std::vector<zef30::RequeteScriptee> requetes;
  zef30::simulateur::Scenario scenario;
};

// The modes that need no line: --help, --version, --decode, --chart, and --report-from once the
// files it writes are checked. The exit code when the run ends here.
std::optional<int> ExecuterSansLigne(const zef30::OptionsConsole& options) {
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
  std::vector<std::pair<std::string, std::string>> fichiers, lus;
  if (options.fichierTrace) fichiers.emplace_back("--trace", *options.fichierTrace);
  if (options.campagne.junit) fichiers.emplace_back("--junit", *options.campagne.junit);
  if (options.campagne.rapport) fichiers.emplace_back("--report", *options.campagne.rapport);
  if (options.campagne.depuisJournal)
    lus.emplace_back("--report-from", *options.campagne.depuisJournal);
  if (const std::string erreur = zef30::VerifierFichiersSortie(fichiers, lus); !erreur.empty())
    return Refuser(erreur);
  if (options.campagne.depuisJournal) {
    return zef30::RefaireRapports(options.campagne, std::cout, std::cerr);
  }
  return std::nullopt;
}

// The data folder: with --data-dir, that folder alone (nothing is tried in the program's own).
// A headless run is warned when nothing it writes can go there.
zef30::Resultat<std::string> ChoisirDossierDonnees(const zef30::OptionsConsole& options) {
  std::string dossier;
  if (options.dossierDonnees) {
    std::error_code erreur;
    if (!std::filesystem::is_directory(*options.dossierDonnees, erreur)) {
      return zef30::Invalide("--data-dir " + *options.dossierDonnees +
                             " : ce n’est pas un dossier");
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
  return dossier;
}

// The script of --run and the simulated terminal's scenario, or why the run is refused.
zef30::Resultat<Demande> LireDemande(const zef30::OptionsConsole& options) {
  Demande demande;
  if (options.script) {
    auto lus = zef30::LireScriptDeRun(*options.script, std::cin);
    if (!lus) return zef30::Invalide("--run : " + lus.Erreur().texte);
    demande.requetes = std::move(*lus);
    // Standard input is the operator's only when the plan was not read from it.
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && *options.script != "-";
    const std::string refus = zef30::RefusOperateur(demande.requetes, options.sansOperateur,
                                                    terminal, options.campagne.lignes.size() > 1);
    if (!refus.empty()) return zef30::Invalide("--run : " + refus);
  }
  if (const auto compose =
          zef30::simulateur::ComposerScenario(options.scenarioSimulateur.value_or(""),
                                              options.clesSimulateur, "--sim ", demande.scenario);
      !compose) {
    return zef30::Invalide(compose.Erreur().texte);
  }
  return demande;
}

// A window asked for: refused without a display; zef30-console hands over to its window program.
// The exit code when the run ends here.
std::optional<int> VerifierFenetre(const zef30::OptionsConsole& options, char** argv) {
  if (options.sansFenetre) return std::nullopt;
  if (!zef30::AffichageDisponible([](const char* nom) { return std::getenv(nom); })) {
    std::cerr << kProgramme
              << " : pas d’affichage (ni DISPLAY ni WAYLAND_DISPLAY) : lancez-la sous "
                 "xvfb-run, ou avec QT_QPA_PLATFORM=offscreen\n";
    return 1;
  }
#ifndef ZEF30_FENETRE
  return PasserALaFenetre(argv);
#else
  static_cast<void>(argv);
  return std::nullopt;
#endif
}

// With --simulator and line `numeroLigne` not mapped: the simulated terminal on a pseudo-terminal,
// mapped as that line. The exit code when it cannot start.
std::optional<int> DemarrerSimulateur(
    const zef30::OptionsConsole& options, int numeroLigne, zef30::simulateur::Scenario scenario,
    zef30::TablePorts& table, std::optional<zef30::simulateur::TerminalSimule>& simulateur) {
  if (!options.simulateur || options.ports.count(numeroLigne) != 0) return std::nullopt;
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
  return std::nullopt;
}

// One line's run stands on these, built in this order once its table is complete: the clock, a
// device of this machine or a line served over the network as each number is mapped, and the tap
// over it, always there for the Trace window, naming each frame in words from the messages'
// layouts.
struct Ligne {
  explicit Ligne(const zef30::TablePorts& table)
      : aiguillage(table), port(aiguillage, horloge, debut.texte) {
    port.NommerTrames();
  }
  zef30::HorlogeSysteme horloge;
  zef30::PortAiguillage aiguillage;
  const zef30::DebutMural debut = zef30::MaintenantMural();
  zef30::PortTrace port;
};

// The headless run on one line. No QApplication: nothing of Qt is started, no display or platform
// plugin is needed.
int ExecuterLigneSansFenetre(const zef30::OptionsConsole& options, const Demande& demande,
                             const std::string& dossier, int numeroLigne,
                             const zef30::TablePorts& table, Ligne& ligne) {
  // The whole story with --verbose; otherwise the run tells a line a request itself.
  zef30::FenetreTexte fenetre(options.json || !options.campagne.bavard ? nullptr : &std::cout);
  zef30::Poste poste(ligne.port, ligne.horloge, fenetre, dossier);
  poste.ChoisirPort(numeroLigne);
  poste.liaison.NommerLigne([&table](int numero) { return table.Chemin(numero); });
  zef30::SignalerErreursPort(poste.liaison, fenetre);
  zef30::SignalerEchecTrace(ligne.port, fenetre, std::cerr);
  if (options.pilote) {
    return zef30::ExecuterPilote(options, poste.console, fenetre, dossier, ligne.debut, std::cerr);
  }
  return zef30::ExecuterSansFenetre(options, poste.console, fenetre, demande.requetes, dossier,
                                    ligne.port.Fichier(), ligne.debut, std::cout, std::cerr);
}

// Several lines: this program again for each one, and this one gathers them.
int ExecuterCampagneDeLignes(const zef30::OptionsConsole& options,
                             const std::vector<std::string>& arguments, const Demande& demande,
                             const std::string& dossier) {
  const auto argumentsLigne = [&arguments](int ligne, const std::string& sien,
                                           const std::string& trace) {
    return zef30::ArgumentsLigne(arguments, ligne, sien, trace);
  };
  return zef30::ExecuterLignes(options, argumentsLigne, demande.requetes, dossier, std::cout,
                               std::cerr);
}

}  // namespace

// Read the options (or refuse them), choose the data folder, build the line, run.
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
  if (const auto fin = ExecuterSansLigne(options)) return *fin;

  const auto dossier = ChoisirDossierDonnees(options);
  if (!dossier) return Refuser(dossier.Erreur().texte);
  auto demande = LireDemande(options);
  if (!demande) return Refuser(demande.Erreur().texte);
  const auto& lignes = options.campagne.lignes;
  if (lignes.size() > 1) return ExecuterCampagneDeLignes(options, arguments, *demande, *dossier);
  const int numeroLigne = lignes.empty() ? 1 : lignes.front();
  if (const auto fin = VerifierFenetre(options, argv)) return *fin;

  zef30::TablePorts table = options.Table();
  std::optional<zef30::simulateur::TerminalSimule> simulateur;
  if (const auto fin =
          DemarrerSimulateur(options, numeroLigne, std::move(demande->scenario), table, simulateur))
    return *fin;
  Ligne ligne(table);
  if (options.fichierTrace) {
    if (const auto ecrite = ligne.port.EcrireDans(*options.fichierTrace); !ecrite)
      return Refuser("--trace " + ecrite.Erreur().texte);
  }

  if (options.sansFenetre)
    return ExecuterLigneSansFenetre(options, *demande, *dossier, numeroLigne, table, ligne);
#ifdef ZEF30_FENETRE
  // --pilote-socket: a script drives the window a person watches.
  zef30::OuvreurPilotage pilotage;
  if (options.socketPilote) {
    pilotage =
        zef30::OuvrirPilotageEnFenetre(*options.socketPilote, *dossier, ligne.debut, &std::cerr);
  }
  return zef30::ExecuterFenetre(argc, argv, kProgramme, numeroLigne, ligne.horloge, ligne.port,
                                *dossier, &zef30::ExecuterPlanDeFichier, pilotage);
#endif
}
