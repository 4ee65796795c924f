// zef30-simulator as the operator runs it: its path on stdout, a terminal that serves, a clean
// end on SIGTERM, and exit code 2 with one line for a bad command line. And zef30-console on its
// line, ended by a signal in the middle of a request.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "link/Trame.h"
#include "requests/Consultation.h"
#include "requests/Switch.h"
#include "requests/Validite.h"
#include "simulator/TerminalSimule.h"
#include "tests/simulator/ConsoleTracee.h"
#include "tests/simulator/Reglages.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/Programme.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;

// A program, the simulator unless said otherwise.
struct Programme : essai::Programme {
  explicit Programme(std::vector<std::string> arguments,
                     const std::string& programme = ZEF30_SIMULATEUR)
      : essai::Programme(std::move(arguments), programme) {}
};

// The console's link alone, on the line at `chemin` as its port 1.
struct LiaisonSeule {
  explicit LiaisonSeule(const std::string& chemin) : port(essai::ConsoleTracee::Table(chemin)) {}
  PortPosix port;
  HorlogeSysteme horloge;
  const std::int32_t numero = 1;
  Liaison liaison{port, horloge, numero};
};

TEST(Executable, ServesOnItsPseudoTerminalAndEndsCleanlyOnSigterm) {
  Programme programme({"--switch=0000", "--rythme", "rafale"});
  ASSERT_TRUE(programme.Lance());
  const std::string chemin = programme.LigneSortie(5000);
  ASSERT_EQ(chemin.rfind("/dev/pts/", 0), 0u) << chemin;

  LiaisonSeule l(chemin);
  ASSERT_TRUE(l.liaison.AttendreTerminalPret());
  EXPECT_EQ(l.liaison.Echanger("AA000", 13, 10), EncadrerMessage("Aa0040000"));

  programme.Signaler(SIGTERM);
  EXPECT_EQ(programme.AttendreFin(5000), 0);
  EXPECT_EQ(programme.Tout(true), "");
}

// A console ended by a signal in the middle of a request ends with 128 + the signal, and the next
// console opens the same line and is served. The operator's and the session's signals give the
// line back as it was found, and so does every other signal whose default action ends a
// program; after SIGKILL, which nothing can catch, the simulated terminal
// lifts the exclusive mode left behind.
TEST(Executable, AConsoleEndedBySignalLeavesItsLineToTheNext) {
  for (const int signal :
       {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU, SIGPROF, SIGRTMIN, SIGKILL}) {
    const bool rendueParLaConsole = signal != SIGKILL;
    simulateur::Scenario scenario;
    scenario.sonde = simulateur::ReponseSonde::Silence;
    simulateur::TerminalSimule terminal(scenario);
    std::string erreur;
    const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
    ASSERT_FALSE(chemin.empty()) << erreur;
    terminal.Demarrer();
    // The settings another program left on the line, to be found again.
    const int autre = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(essai::ReglerCommeUnAutre(autre));
    const std::string trouves = essai::Reglages(autre);

    essai::DossierTemporaire dossier;
    Programme console(
        {"--headless", "--port", chemin, "--data-dir", dossier.Chemin(), "--run", "switch"},
        ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    // The console has the line and waits for the terminal's answer to its probe.
    ASSERT_TRUE(terminal.AttendreRecu(1, 5s)) << signal;
    console.Signaler(signal);
    EXPECT_EQ(console.AttendreFin(5000), 128 + signal);
    EXPECT_EQ(essai::Reglages(autre) == trouves, rendueParLaConsole) << signal;
    ::close(autre);
    EXPECT_TRUE(terminal.AttendreLignesRendues(rendueParLaConsole ? 0 : 1, 5s)) << signal;

    terminal.ModifierScenario([](simulateur::Scenario& s) { s = {}; });
    LiaisonSeule suivante(chemin);
    EXPECT_TRUE(suivante.liaison.AttendreTerminalPret())
        << signal << " " << suivante.port.DerniereErreur();
    suivante.port.Fermer();
    EXPECT_EQ(terminal.LignesRendues(), rendueParLaConsole ? 0 : 1) << signal;
  }
}

TEST(Executable, ABadCommandLineIsOneLineAndExitCodeTwo) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--naks=beaucoup"},
                                                    {"--scenario=/nonexistent/scenario.txt"},
                                                    {"inattendu"}}) {
    Programme programme(arguments);
    ASSERT_TRUE(programme.Lance());
    EXPECT_EQ(programme.AttendreFin(5000), 2) << arguments[0];
    const std::string erreurs = programme.Tout(true);
    EXPECT_EQ(erreurs.rfind("zef30-simulator : ", 0), 0u) << erreurs;
    EXPECT_EQ(erreurs.find('\n'), erreurs.size() - 1) << erreurs;
    EXPECT_EQ(programme.Tout(false), "");
  }
}

TEST(Executable, TellsItsVersionAndItsKeys) {
  Programme version({"--version"});
  ASSERT_TRUE(version.Lance());
  EXPECT_EQ(version.AttendreFin(5000), 0);
  EXPECT_EQ(version.Tout(false), std::string("zef30-simulator ") + ZEF30_VERSION + "\n");
  Programme aide({"--help"});
  ASSERT_TRUE(aide.Lance());
  EXPECT_EQ(aide.AttendreFin(5000), 0);
  EXPECT_NE(aide.Tout(false).find("--scenario FICHIER"), std::string::npos);
}

TEST(Executable, ADeviceThatIsNoSerialLineIsRefused) {
  Programme programme({"--device", "/dev/null"});
  ASSERT_TRUE(programme.Lance());
  EXPECT_EQ(programme.AttendreFin(5000), 1);
  EXPECT_EQ(programme.Tout(true), "zef30-simulator : /dev/null : ce n’est pas une ligne série\n");
}

TEST(Executable, ReplaysARecordedLineAndTellsWhereTheConsoleDiffers) {
  using Requete = void (*)(Console&);
  essai::DossierTemporaire dossier;
  const std::string trace = dossier.Fichier("ligne.trace");
  std::vector<std::string> enregistrees;
  {
    simulateur::Scenario scenario;
    scenario.paiement.pauseCarte = scenario.paiement.pauseCode = 0.05;
    scenario.paiement.pauseReponse = 0.05;
    simulateur::TerminalSimule terminal(scenario);
    std::string erreur;
    const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
    ASSERT_FALSE(chemin.empty()) << erreur;
    terminal.Demarrer();
    essai::ConsoleTracee c(chemin, trace);
    // A validity listened to, with the terminal's display frames, then a consultation.
    cmdDemSwi_Click(c.console);
    cmdDemVal_Click(c.console);
    cmdDemConsult_Click(c.console);
    enregistrees = c.fenetre.lignes;
    ASSERT_EQ(enregistrees.at(1), "Demande de Validité = OK");
  }
  struct Cas {
    std::vector<Requete> requetes;
    std::vector<std::string> options;
    int code;
    std::vector<std::string> compteRendu;  // pieces of the replay's report
  };
  const Cas cas[] = {
      {{cmdDemSwi_Click, cmdDemVal_Click, cmdDemConsult_Click},
       {},
       0,
       {"rejeu : la console a envoyé exactement les octets enregistrés"}},
      {{cmdDemConsult_Click},
       {"--compress"},
       1,
       {"rejeu : la console diffère à l’enregistrement 3 (",
        "C>T), octet 3 : attendu 41 A, reçu 4A J"}},
  };
  for (const Cas& k : cas) {
    std::vector<std::string> arguments = {"--replay", trace};
    arguments.insert(arguments.end(), k.options.begin(), k.options.end());
    Programme rejeu(arguments);
    ASSERT_TRUE(rejeu.Lance());
    const std::string chemin = rejeu.LigneSortie(5000);
    ASSERT_EQ(chemin.rfind("/dev/pts/", 0), 0u) << chemin;
    essai::ConsoleTracee c(chemin, dossier.Fichier("rejeu.trace"));
    for (Requete requete : k.requetes) requete(c.console);
    const std::string compteRendu = rejeu.LigneSortie(10000);
    for (const auto& morceau : k.compteRendu) {
      EXPECT_NE(compteRendu.find(morceau), std::string::npos) << compteRendu;
    }
    EXPECT_EQ(rejeu.AttendreFin(5000), k.code) << compteRendu;
    if (k.code == 0) {
      EXPECT_EQ(c.fenetre.lignes, enregistrees);
    }
  }
}

// A campaign ends by its duration, or on a first Ctrl-C after the request under way, with its
// reports written; a second Ctrl-C ends it at once.
TEST(Executable, ACampaignEndsCleanlyOnItsDurationOrCtrlC) {
  struct Cas {
    std::vector<std::string> arguments;
    std::string script;
    int ctrlC;  // sent once the first request has been told, in the listening after it
    int code;
    bool rapports;
  };
  const Cas cas[] = {
      {{"--for", "0.3s"}, "switch\n", 0, 0, true},
      {{"--repeat", "0"}, "switch\nmaintenance duree=1\n", 1, 0, true},
      // A listening that outlasts the two Ctrl-C however loaded the machine.
      {{"--repeat", "0"}, "switch\nmaintenance duree=60\n", 2, 128 + SIGINT, false},
  };
  for (const Cas& k : cas) {
    essai::DossierTemporaire dossier;
    // The Ctrl-C come while the listening after the first request runs.
    std::ofstream(dossier.Fichier("script.txt")) << k.script;
    std::vector<std::string> arguments = {
        "--headless", "--simulator",    "--run",   dossier.Fichier("script.txt"),
        "--data-dir", dossier.Chemin(), "--junit", dossier.Fichier("junit.xml")};
    arguments.insert(arguments.end(), k.arguments.begin(), k.arguments.end());
    Programme console(arguments, ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    if (k.ctrlC > 0) {
      ASSERT_TRUE(console.AttendreSortie("\n[1] switch : réussie", 10000));
      // The second once the first has been heard, as an operator's would come.
      for (int i = 0; i < k.ctrlC; ++i) {
        console.Signaler(SIGINT);
        if (i == 0) {
          EXPECT_TRUE(console.AttendreSortie("Ctrl-C encore", 10000, true));
        }
      }
    }
    EXPECT_EQ(console.AttendreFin(10000), k.code);
    std::ifstream junit(dossier.Fichier("junit.xml"));
    EXPECT_EQ(junit.is_open(), k.rapports);
    const std::string texte((std::istreambuf_iterator<char>(junit)), {});
    EXPECT_EQ(texte.find("failures=\"0\""),
              k.rapports ? texte.find("failures=") : std::string::npos);
  }
}

}  // namespace
}  // namespace zef30
