// zef30-simulator as the operator runs it: its path on stdout, a terminal that serves, a clean
// end on SIGTERM, and exit code 2 with one line for a bad command line. And zef30-console on its
// line, ended by a signal in the middle of a request.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "console/Gestionnaires.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "protocol/Trame.h"
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
  Liaison liaison{port, horloge};
};

TEST(Executable, ServesOnItsPseudoTerminalAndEndsCleanlyOnSigterm) {
  Programme programme({"--switch=0000", "--rythme", "rafale"});
  ASSERT_TRUE(programme.Lance());
  const std::string chemin = programme.LigneSortie(5000);
  ASSERT_EQ(chemin.rfind("/dev/pts/", 0), 0u) << chemin;

  LiaisonSeule l(chemin);
  ASSERT_TRUE(l.liaison.AttendreTerminalPret());
  EXPECT_EQ(TexteReponse(l.liaison.Echanger("AA000", 13, 10s)), EncadrerMessage("Aa0040000"));

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
    const auto ouvert = terminal.OuvrirPseudoTerminal();
    const std::string chemin = ouvert.ValeurOu({});
    ASSERT_FALSE(chemin.empty()) << TexteEchec(ouvert);
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
  using Requete = Gestionnaire;
  essai::DossierTemporaire dossier;
  const std::string trace = dossier.Fichier("ligne.trace");
  std::vector<std::string> enregistrees;
  {
    simulateur::Scenario scenario;
    scenario.paiement.pauseCarte = scenario.paiement.pauseCode = 0.05;
    scenario.paiement.pauseReponse = 0.05;
    simulateur::TerminalSimule terminal(scenario);
    const auto ouvert = terminal.OuvrirPseudoTerminal();
    const std::string chemin = ouvert.ValeurOu({});
    ASSERT_FALSE(chemin.empty()) << TexteEchec(ouvert);
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

// A campaign ends by its duration, or on a first Ctrl-C (to it alone, even over several lines) or
// a closed standard output after the request under way, with its reports written and its
// interruption said, in its exit code too; a second Ctrl-C ends it at once.
TEST(Executable, ACampaignEndsCleanlyOnItsDurationOrCtrlC) {
  enum class Arret { Aucun, CtrlC, DeuxCtrlC, SortieFermee };
  struct Cas {
    std::vector<std::string> arguments;
    std::string script;
    Arret arret;  // once the first request has been told, in the listening after it
    int code;
    bool rapports;
    // How JUnit's error ends, after "campagne interrompue après N" (the stop may come before the
    // listening begins, or during it).
    std::string interruption = {};
  };
  const Cas cas[] = {
      {{"--for", "0.3s"}, "switch\n", Arret::Aucun, 0, true},
      {{"--repeat", "0"}, "switch\nmaintenance duree=1\n", Arret::CtrlC, 130, true, "(Ctrl-C)"},
      {{"--repeat", "500"},
       "switch\nmaintenance duree=1\n",
       Arret::CtrlC,
       130,
       true,
       " de 1000 (Ctrl-C)"},
      // A listening that outlasts the two Ctrl-C however loaded the machine.
      // Its story tells when the listening has begun: a Ctrl-C between two requests would end the
      // campaign softly before the second came.
      {{"--repeat", "0", "--verbose"},
       "switch\nmaintenance duree=60\n",
       Arret::DeuxCtrlC,
       128 + SIGINT,
       false},
      // The parent alone told: it tells its lines.
      {{"--lines", "1,2", "--repeat", "0"},
       "switch\nmaintenance duree=1\n",
       Arret::CtrlC,
       130,
       true,
       "(Ctrl-C)"},
      {{"--repeat", "0"},
       "switch\nmaintenance duree=1\n",
       Arret::SortieFermee,
       130,
       true,
       "(sortie standard fermée)"},
  };
  for (const Cas& k : cas) {
    essai::DossierTemporaire dossier;
    std::ofstream(dossier.Fichier("script.txt")) << k.script;
    std::vector<std::string> arguments = {
        "--headless", "--simulator",    "--run",   dossier.Fichier("script.txt"),
        "--data-dir", dossier.Chemin(), "--junit", dossier.Fichier("junit.xml")};
    arguments.insert(arguments.end(), k.arguments.begin(), k.arguments.end());
    Programme console(arguments, ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    if (k.arret != Arret::Aucun) {
      ASSERT_TRUE(console.AttendreSortie(
          k.arret == Arret::DeuxCtrlC ? "écoute : EN ECOUTE" : "[1] switch : réussie", 20000));
    }
    if (k.arret == Arret::SortieFermee) console.FermerSortie();
    if (k.arret == Arret::CtrlC || k.arret == Arret::DeuxCtrlC) {
      console.Signaler(SIGINT);
      EXPECT_TRUE(console.AttendreSortie("Ctrl-C encore", 10000, true));
      // The second once the first has been heard, as an operator's would come.
      if (k.arret == Arret::DeuxCtrlC) console.Signaler(SIGINT);
    }
    EXPECT_EQ(console.AttendreFin(20000), k.code) << k.arguments.front();
    std::ifstream junit(dossier.Fichier("junit.xml"));
    EXPECT_EQ(junit.is_open(), k.rapports);
    const std::string texte((std::istreambuf_iterator<char>(junit)), {});
    EXPECT_EQ(texte.find("failures=\"0\""),
              k.rapports ? texte.find("failures=") : std::string::npos);
    const auto dit = texte.find("<error message=\"campagne interrompue après ");
    EXPECT_EQ(dit != std::string::npos, !k.interruption.empty()) << texte;
    if (dit != std::string::npos) {
      EXPECT_NE(texte.find(k.interruption + "\"", dit), std::string::npos) << texte;
    }
  }
}

// Every family, its refusals included, followed by a card switch, back to back in one headless
// run at line speed and in bursts: whatever the exchange before, the switch gets its own answer.
// Nothing of one exchange may still be on its way when the next probe goes out.
TEST(Executable, EverySwitchAfterAnyFamilyGetsItsOwnAnswer) {
  const std::vector<std::string> rapides = {
      "--sim", "paiement.pause-carte=0",   "--sim", "paiement.pause-code=0",
      "--sim", "paiement.pause-reponse=0", "--sim", "pause=0"};
  const std::vector<std::string> refus = {
      "--sim", "paiement.validite=9", "--sim", "tc.statut=1",   "--sim", "rapport.statut=1",
      "--sim", "teleparam.statut=1",  "--sim", "iso2.statut=1", "--sim", "heure.verdict=1",
      "--sim", "vitesse.verdict=1"};
  // Without "Ecran Hote" the terminal keeps its display and shows no screen while it reads.
  const std::vector<std::string> sansEcran = {
      "--sim", "paiement.ecran-hote=non", "--sim", "iso2.ecrans=0", "--sim", "tc.ecrans=0"};
  const std::string familles[] = {"consultation",
                                  "prix",
                                  "validite",
                                  "liste-dossiers",
                                  "info-dossier",
                                  "enregistrement",
                                  "annulation",
                                  "validite mode=vente",
                                  "annulation",
                                  "telecollecte",
                                  "etat-telecollecte",
                                  "etat-teleparam",
                                  "iso2",
                                  "heure",
                                  "redemarrage",
                                  "vitesse",
                                  "maintenance duree=0.2"};
  struct Cas {
    const char* nom;
    bool ecouter;
    bool refuser;
  };
  for (const Cas& k : {Cas{"écoute", true, false}, Cas{"écoute, refus", true, true},
                       Cas{"sans écoute", false, false}, Cas{"sans écoute, refus", false, true}}) {
    for (const std::string rythme : {"ligne", "rafale"}) {
      essai::DossierTemporaire dossier;
      const std::string script = dossier.Chemin() + "/script.txt";
      int switchs = 0;
      {
        std::ofstream fichier(script);
        for (const std::string& famille : familles) {
          // The direct tele-collection read ends on 11 s of quiet: the listened one is enough.
          if (!k.ecouter && famille == "telecollecte") continue;
          const bool ecran = famille.starts_with("validite") || famille == "enregistrement" ||
                             famille == "annulation" || famille == "iso2";
          fichier << famille << (ecran && !k.ecouter ? " ecran=non" : "") << "\nswitch\n";
          ++switchs;
        }
      }
      std::vector<std::string> arguments = {"--headless",     "--simulator",     "--data-dir",
                                            dossier.Chemin(), "--run",           script,
                                            "--sim",          "rythme=" + rythme};
      arguments.insert(arguments.end(), rapides.begin(), rapides.end());
      if (k.refuser) arguments.insert(arguments.end(), refus.begin(), refus.end());
      if (!k.ecouter) arguments.insert(arguments.end(), sansEcran.begin(), sansEcran.end());
      Programme console(arguments, ZEF30_CONSOLE);
      ASSERT_TRUE(console.Lance());
      ASSERT_GE(console.AttendreFin(60000), 0) << k.nom << " " << rythme;
      const std::string sortie = console.Tout(false);
      std::istringstream lignes(sortie);
      int reussis = 0;
      for (std::string ligne; std::getline(lignes, ligne);) {
        if (ligne.find("] switch : ") == std::string::npos) continue;
        EXPECT_NE(ligne.find("réussie — Demande de Switch = Carte présente"), std::string::npos)
            << k.nom << " " << rythme << ": " << ligne << "\n"
            << sortie;
        ++reussis;
      }
      EXPECT_EQ(reussis, switchs) << k.nom << " " << rythme << "\n" << sortie;
    }
  }
}

// Every file a run writes is checked before anything is sent: one file for two of them, or one
// that cannot be written, ends the run with code 2 and a line, the line untouched.
TEST(Executable, OutputFilesAreCheckedBeforeTheFirstRequest) {
  essai::DossierTemporaire dossier;
  const std::string x = dossier.Fichier("x");
  ASSERT_EQ(::mkfifo(dossier.Fichier("tube").c_str(), 0600), 0);
  struct Cas {
    std::vector<std::string> arguments;
    std::string dit;
  };
  const Cas cas[] = {
      {{"--trace", x, "--junit", x, "--report", x},
       "--junit " + x + " : le même fichier que --trace"},
      {{"--junit", "/nonexistent-zef30/j.xml"}, "le dossier /nonexistent-zef30 n’existe pas"},
      {{"--report", dossier.Fichier("tube")}, "tube nommé, pas un fichier ordinaire"},
  };
  for (const Cas& k : cas) {
    std::vector<std::string> arguments = {"--headless", "--simulator", "--run",
                                          "switch",     "--data-dir",  dossier.Chemin()};
    arguments.insert(arguments.end(), k.arguments.begin(), k.arguments.end());
    Programme console(arguments, ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    EXPECT_EQ(console.AttendreFin(10000), 2);
    EXPECT_NE(console.Tout(true).find(k.dit), std::string::npos) << k.dit;
    EXPECT_EQ(console.Tout(false), "");
  }
  EXPECT_FALSE(std::ifstream(x).is_open());
}

// A plan on the simulated terminal: each step judged by what it expects, not by its request's
// outcome, the first step that fails in the exit code and JUnit saying what was expected and
// what came; a condition that cannot be read stops the plan before anything is sent.
TEST(Executable, APlanJudgesEachStepByWhatItExpects) {
  const std::string plan =
      "switch => réussie ; résultat contient \"Carte présente\"\n"
      "switch => résultat contient \"Carte absente\"\n"
      "annulation => échec ; état contient \"inconnu\"\n";
  struct Cas {
    std::string plan;
    int code;
    std::string dit;  // on the error stream
  } const cas[] = {
      {plan, 12, "requête 2 en échec (switch : attendu : résultat contient « Carte absente »"},
      {"switch\nswitch => résultat contient Carte\n", 2, "ligne 2 : condition : « Carte »"},
  };
  for (const Cas& k : cas) {
    essai::DossierTemporaire dossier;
    std::ofstream(dossier.Fichier("plan.txt")) << k.plan;
    Programme console({"--headless", "--simulator", "--run", dossier.Fichier("plan.txt"),
                       "--data-dir", dossier.Chemin(), "--junit", dossier.Fichier("junit.xml")},
                      ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    EXPECT_EQ(console.AttendreFin(20000), k.code);
    EXPECT_NE(console.Tout(true).find(k.dit), std::string::npos) << console.Tout(true);
    std::ifstream junit(dossier.Fichier("junit.xml"));
    const std::string texte((std::istreambuf_iterator<char>(junit)), {});
    if (k.code == 2) {
      EXPECT_EQ(console.Tout(false), "");
      EXPECT_FALSE(junit.is_open());
      continue;
    }
    EXPECT_NE(texte.find("tests=\"3\" failures=\"1\""), std::string::npos) << texte;
    EXPECT_NE(texte.find("<failure message=\"attendu : résultat contient « Carte absente » ; "
                         "obtenu : « Demande de Switch = Carte présente »\""),
              std::string::npos)
        << texte;
  }
}

}  // namespace
}  // namespace zef30
