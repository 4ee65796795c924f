// The console's real port, link and requests against the simulated terminal over a
// pseudo-terminal: what the operator gets, and what goes on the line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "base/Horloge.h"
#include "console/Console.h"
#include "console/Demarrage.h"
#include "console/Poste.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "protocol/Trame.h"
#include "requests/Consultation.h"
#include "requests/Switch.h"
#include "simulator/TerminalSimule.h"
#include "tests/simulator/Reglages.h"
#include "tests/support/FenetreMemoire.h"

namespace zef30 {
namespace {

using simulateur::Scenario;
using simulateur::TerminalSimule;
using namespace std::chrono_literals;

const std::string kEnq(1, ENQ), kAck(1, ACK), kNak(1, NAK), kEot(1, EOT);
const std::string kTrameSwitch("\x02\x41\x41\x30\x30\x30\x10\x03\x23");

TablePorts PortUn(const std::string& chemin) {
  TablePorts table;
  table.Associer(1, chemin);
  return table;
}

// A folder of its own for the console's files, removed at the end.
struct DossierTemporaire {
  DossierTemporaire() {
    char modele[] = "/tmp/zef30-console-XXXXXX";
    if (::mkdtemp(modele) != nullptr) chemin = modele;
  }
  ~DossierTemporaire() {
    std::error_code ignore;
    if (!chemin.empty()) std::filesystem::remove_all(chemin, ignore);
  }
  std::string chemin;
};

// A whole console whose port 1 is `chemin`, on the system's clock.
struct ConsoleReelle {
  explicit ConsoleReelle(const std::string& chemin)
      : port(PortUn(chemin)), poste(port, horloge, fenetre, dossier.chemin) {
    SignalerErreursPort(liaison, fenetre);
  }

  // The result line of one click on "Demande de switch".
  std::string Switch() {
    fenetre.lignes.clear();
    cmdDemSwi_Click(console);
    return fenetre.lignes.size() == 1 ? fenetre.lignes[0] : "(pas une ligne)";
  }

  DossierTemporaire dossier;
  HorlogeSysteme horloge;
  PortPosix port;
  essai::FenetreMemoire fenetre;
  Poste poste;
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

// The simulated terminal on its thread and a console on its pseudo-terminal.
class ConsoleSurPseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto ouvert = terminal_.OuvrirPseudoTerminal();
    chemin_ = ouvert.ValeurOu({});
    ASSERT_FALSE(chemin_.empty()) << TexteEchec(ouvert);
    terminal_.Demarrer();
    console_ = std::make_unique<ConsoleReelle>(chemin_);
  }

  void Modifier(const std::function<void(Scenario&)>& modification) {
    terminal_.ModifierScenario(modification);
  }

  TerminalSimule terminal_;
  std::string chemin_;
  std::unique_ptr<ConsoleReelle> console_;
};

TEST_F(ConsoleSurPseudoTerminal, CardSwitchShowsTheResultOfEachStatusAtLineSpeed) {
  struct Cas {
    std::string statut;
    std::string ligne;
    std::string etat;  // empty: the status line is left as it was
  };
  const Cas cas[] = {
      {"0100", "Demande de Switch = Carte présente", ""},
      {"0000", "Demande de Switch = Carte non-présente", ""},
      {"0113", "Demande de Switch = Erreur n°-403",
       "DemSwi Pin-pad et lecteur hors service, sécurité activée"},
      {"0021", "Demande de Switch = Erreur n°-403",
       "DemSwi Pin-pad hors service, sécurité activée"},
      {"2120", "Demande de Switch = Erreur n°-404", "DemSwi téléparamétrage en cours"},
      {"2000", "Demande de Switch = Erreur n°-405",
       "DemSwi ZEF30S non disponible et switch maintenance positionné"},
      {"0X00", "Demande de Switch = Erreur n°-400", ""},
  };
  ConsoleReelle& c = *console_;
  int servies = 0;
  for (const Cas& cas_ : cas) {
    Modifier([&](Scenario& s) { s.statutSwitch = cas_.statut; });
    c.fenetre.AfficherEtat("Avant", cas_.statut);
    EXPECT_EQ(c.Switch(), cas_.ligne) << cas_.statut;
    EXPECT_EQ(c.fenetre.etat, cas_.etat.empty() ? "Avant " + cas_.statut : cas_.etat)
        << cas_.statut;
    EXPECT_TRUE(terminal_.AttendreRequetesServies(++servies, 5s));
  }
  EXPECT_EQ(c.etat.CompteurNonDisponible, 0);
}

TEST_F(ConsoleSurPseudoTerminal, NotAvailableIsToldOnlyOnTheThousandthAnswer) {
  Modifier([](Scenario& s) {
    s.statutSwitch = "1000";
    s.rafale = true;
  });
  ConsoleReelle& c = *console_;
  c.fenetre.AfficherEtat("Avant", "rien");
  for (int i = 1; i < 1000; ++i) ASSERT_EQ(c.Switch(), "Demande de Switch = Erreur n°-405") << i;
  EXPECT_EQ(c.fenetre.etats.size(), 1u) << c.fenetre.etat;
  EXPECT_EQ(c.etat.CompteurNonDisponible, 999);
  EXPECT_EQ(c.Switch(), "Demande de Switch = Erreur n°-405");
  EXPECT_EQ(c.fenetre.etat, "DemSwi NON OK (ZEF30S non disponible)");
  EXPECT_EQ(c.etat.CompteurNonDisponible, 0);
  EXPECT_TRUE(terminal_.AttendreRequetesServies(1000, 5s));
}

TEST_F(ConsoleSurPseudoTerminal, TheLineCarriesExactlyTheHandshakeBytes) {
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte présente");
  ASSERT_TRUE(terminal_.AttendreRequetesServies(1, 5s));
  EXPECT_EQ(terminal_.Recu(), kEnq + kTrameSwitch + kEot + kAck + kAck);
  EXPECT_EQ(terminal_.Emis(), kAck + kAck + kEnq + EncadrerMessage("Aa0040100") + kEot);
}

TEST_F(ConsoleSurPseudoTerminal, RefusedFramesAreSentAgainAtMostThreeTimes) {
  Modifier([](Scenario& s) { s.naks = 2; });
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte présente");
  const std::string premier =
      kEnq + kTrameSwitch + kTrameSwitch + kTrameSwitch + kEot + kAck + kAck;
  EXPECT_EQ(terminal_.Recu(), premier);

  Modifier([](Scenario& s) { s.naks = 3; });
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Erreur n°-400");
  ASSERT_TRUE(terminal_.AttendreRequetesServies(2, 5s));
  EXPECT_EQ(terminal_.Recu().substr(premier.size()),
            kEnq + kTrameSwitch + kTrameSwitch + kTrameSwitch + kEot);
}

TEST_F(ConsoleSurPseudoTerminal, BurstAndDelayedRepliesGiveTheSameResult) {
  Modifier([](Scenario& s) {
    s.rafale = true;
    s.statutSwitch = "0000";
  });
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte non-présente");
  Modifier([](Scenario& s) {
    s.rafale = false;
    s.delaiEnq = 0.3;
  });
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte non-présente");
}

TEST_F(ConsoleSurPseudoTerminal, ConsultationListsTheTerminalsApplications) {
  Modifier([](Scenario& s) {
    s.applications[1].etat = "1";
    s.applications[1].etatFichier = "2";
  });
  ConsoleReelle& c = *console_;
  cmdDemConsult_Click(c.console);
  ASSERT_EQ(c.fenetre.lignes.size(), 26u);
  EXPECT_EQ(c.fenetre.lignes[0], "No Serie: ZEF30SIM0001");
  EXPECT_EQ(c.fenetre.lignes[1], "Nb application: 04");
  EXPECT_EQ(c.fenetre.lignes[3], "APP: PAIEM1");
  EXPECT_EQ(c.fenetre.lignes[12], "Etat:  pas initialisé");
  EXPECT_EQ(c.fenetre.lignes[13], "Etat fichier:  plein");
  EXPECT_EQ(c.fenetre.LireTexte(ZoneTexte::txtSelection).size(), 102u);
}

// An answer of `longueur` data characters to every request "AJ00203".
std::string ReponseLongue(int longueur) {
  std::string donnees;
  for (int i = 0; i < longueur; ++i) donnees += static_cast<char>('0' + i % 10);
  return simulateur::MessageReponse("AJ", donnees);
}

TEST_F(ConsoleSurPseudoTerminal, LongAnswersArriveWholeInOneOrTwoBlocks) {
  Liaison& liaison = console_->liaison;
  for (const int longueur : {100, 313}) {
    const std::string message = ReponseLongue(longueur);
    Modifier([&](Scenario& s) { s.reponses["AJ00203"] = {message}; });
    ASSERT_TRUE(liaison.AttendreTerminalPret());
    const std::string reponse = TexteReponse(liaison.EchangerReponseLongue("AJ00203", 10s));
    // Joined blocks keep the check character of the second block: compare up to ETX.
    ASSERT_EQ(reponse.size(), message.size() + 4u) << longueur;
    EXPECT_EQ(reponse.substr(0, reponse.size() - 1), "\x02" + message + "\x10\x03") << longueur;
  }
  // The plain exchange reads two blocks when it expects more than 248 characters.
  ASSERT_TRUE(liaison.AttendreTerminalPret());
  EXPECT_EQ(TexteReponse(liaison.Echanger("AJ00203", 322, 10s)).size(), 322u);
}

TEST(ConsoleSansTerminal, APortThatIsNoSerialLineSaysWhyAndTheRequestFails) {
  DossierTemporaire dossier;
  const std::string fichier = dossier.chemin + "/pas-une-ligne";
  std::ofstream(fichier) << "texte";
  struct Cas {
    std::string chemin;
    std::string raison;
  };
  for (const Cas& c : {Cas{"/nonexistent/ttyZEF30", "ouverture impossible"},
                       Cas{fichier, "ce n’est pas une ligne série"}}) {
    ConsoleReelle console(c.chemin);
    EXPECT_EQ(console.Switch(), "Demande de Switch = Erreur n°-400");
    EXPECT_EQ(console.fenetre.etat.rfind("Ligne port 1 (" + c.chemin + ") : ", 0), 0u)
        << console.fenetre.etat;
    EXPECT_NE(console.fenetre.etat.find(c.raison), std::string::npos) << console.fenetre.etat;
  }
}

TEST_F(ConsoleSurPseudoTerminal, ATerminalThatTalksNonsenseNeverHoldsTheConsole) {
  const std::function<void(Scenario&)> bavards[] = {
      [](Scenario& s) { s.bruit = "\x02\x10\x03\x15\x06garbage"; },
      [](Scenario& s) { s.sonde = simulateur::ReponseSonde::AckPuisAutre; },
      [](Scenario& s) { s.reponseEot = simulateur::ReponseEot::Autre; },
      [](Scenario& s) {
        s.reponses["AA"] = {"\x06\x02\x03\x10\x17\x15\x04\x05 noise noise", true};
      },
  };
  for (const auto& bavard : bavards) {
    terminal_.ModifierScenario([&](Scenario& s) {
      s = Scenario{};
      bavard(s);
    });
    const auto debut = std::chrono::steady_clock::now();
    const std::string ligne = console_->Switch();
    // None of these replies leaves the console waiting out a 10 s time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - debut, 9s) << ligne;
    EXPECT_EQ(ligne.rfind("Demande de Switch = ", 0), 0u);
  }
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Erreur n°-400") << "the last noise decodes";
}

TEST_F(ConsoleSurPseudoTerminal, NonsenseFromTheConsoleLeavesTheTerminalServing) {
  Modifier([](Scenario& s) { s.rafale = true; });
  ASSERT_TRUE(console_->liaison.OuvrirPort());
  std::mt19937 hasard(30);
  std::uniform_int_distribution<int> octet(0, 255);
  for (int tour = 0; tour < 20; ++tour) {
    std::string bruit;
    for (int i = 0; i < 400; ++i) bruit += static_cast<char>(octet(hasard));
    // Noise may end on DLE ETX, when the next byte is taken as a check character.
    bruit += "xx";
    const std::size_t avant = terminal_.Recu().size();
    console_->port.Ecrire(bruit);
    ASSERT_TRUE(terminal_.AttendreRecu(avant + bruit.size(), 5s));
    // Replies to the noise may still be on their way: the first request may be spoilt by them.
    console_->Switch();
    EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte présente") << tour;
  }
}

TEST_F(ConsoleSurPseudoTerminal, TrafficOfItsOwnReachesTheConsole) {
  const std::string affichage = simulateur::TrameAffichage("INSEREZ", "VOTRE CARTE");
  PortPosix& port = console_->port;
  // The line open first: opening it discards what was waiting, which would be the ENQ of a
  // terminal quicker than the console.
  ASSERT_TRUE(console_->liaison.OuvrirPort());
  terminal_.EmettreSpontanement({{kEnq, 0, false}, {affichage}});
  port.AttendreAuMoins(1, std::chrono::steady_clock::now() + 5s);
  EXPECT_EQ(port.Lire(), kEnq);
  port.Ecrire(kAck);
  port.AttendreAuMoins(static_cast<int>(affichage.size()), std::chrono::steady_clock::now() + 5s);
  EXPECT_EQ(port.Lire(), affichage);
}

TEST_F(ConsoleSurPseudoTerminal, TheLineIsGivenBackAsFoundAfterTheScanAndAfterUse) {
  // Another program's settings: 115200 bauds, cooked, echo on.
  const int autre = ::open(chemin_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(autre, 0);
  ASSERT_TRUE(essai::ReglerCommeUnAutre(autre));
  const std::string trouves = essai::Reglages(autre);
  ConsoleReelle& c = *console_;
  EXPECT_EQ(DemarrerConsole(c.etat, c.liaison, c.port).at(0), "1");
  EXPECT_EQ(essai::Reglages(autre), trouves) << "after the scan";
  EXPECT_EQ(c.Switch(), "Demande de Switch = Carte présente");
  c.port.Fermer();
  EXPECT_EQ(essai::Reglages(autre), trouves) << "after use";
  ::close(autre);
}

TEST_F(ConsoleSurPseudoTerminal, ALineHeldByOneConsoleIsRefusedToAnother) {
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte présente");
  ConsoleReelle seconde(chemin_);
  EXPECT_EQ(seconde.Switch(), "Demande de Switch = Erreur n°-400");
  EXPECT_EQ(seconde.fenetre.etat,
            "Ligne port 1 (" + chemin_ + ") : déjà utilisé par un autre programme");
  EXPECT_EQ(console_->Switch(), "Demande de Switch = Carte présente");
  const std::string requete = kEnq + kTrameSwitch + kEot + kAck + kAck;
  EXPECT_EQ(terminal_.Recu(), requete + requete) << "nothing from the second console";
  console_->port.Fermer();
  EXPECT_EQ(seconde.Switch(), "Demande de Switch = Carte présente") << "once the first let it go";
  seconde.port.Fermer();
}

// Exclusive mode that nobody's lock goes with is told in words that say how to free the line.
// On a pseudo-terminal of its own: the simulated terminal lifts such a mode after a close, as a
// console that died would have left it.
TEST(LigneExclusive, SansVerrouEstDiteAvecLaFaconDeLaLiberer) {
  const int maitre = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(maitre, 0);
  ASSERT_EQ(::grantpt(maitre), 0);
  ASSERT_EQ(::unlockpt(maitre), 0);
  const std::string chemin = ::ptsname(maitre);
  const int sansVerrou = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::ioctl(sansVerrou, TIOCEXCL), 0);
  ConsoleReelle console(chemin);
  EXPECT_EQ(console.Switch(), "Demande de Switch = Erreur n°-400");
  EXPECT_EQ(console.fenetre.etat,
            "Ligne port 1 (" + chemin +
                ") : ligne en mode exclusif sans verrou : un programme qui ne la verrouille pas "
                "la tient, ou l’a laissée ainsi en s’arrêtant ; « fuser -v " +
                chemin + " » nomme ceux qui l’ont ouverte : fermez-les pour la libérer");
  ::close(sansVerrou);
  ::close(maitre);
}

// A terminal on a new pseudo-terminal behind `lien`, as an adapter plugged in.
std::unique_ptr<TerminalSimule> Brancher(const std::string& lien) {
  auto terminal = std::make_unique<TerminalSimule>();
  std::filesystem::create_symlink(terminal->OuvrirPseudoTerminal().ValeurOu({}), lien + ".neuf");
  std::filesystem::rename(lien + ".neuf", lien);
  terminal->Demarrer();
  return terminal;
}

TEST(LigneDebranchee, IsToldAtOnceAndTheNextRequestOpensTheLineAgain) {
  for (const bool pendantRequete : {false, true}) {
    DossierTemporaire dossier;
    const std::string lien = dossier.chemin + "/ttyZEF30";
    auto terminal = Brancher(lien);
    ConsoleReelle c(lien);
    ASSERT_EQ(c.Switch(), "Demande de Switch = Carte présente");
    std::thread debrancher;
    if (pendantRequete) {
      // Pulled out while the console waits for the terminal's ENQ.
      terminal->ModifierScenario(
          [](Scenario& s) { s.reponseEot = simulateur::ReponseEot::Silence; });
      debrancher = std::thread([&] {
        terminal->AttendreRecu(13 + 11, 5s);
        terminal.reset();
      });
    } else {
      terminal.reset();
    }
    const auto debut = std::chrono::steady_clock::now();
    const std::clock_t processeur = std::clock();
    EXPECT_EQ(c.Switch(), "Demande de Switch = Erreur n°-400");
    if (debrancher.joinable()) debrancher.join();
    EXPECT_LT(std::chrono::steady_clock::now() - debut, 5s) << pendantRequete;
    EXPECT_LT(std::clock() - processeur, CLOCKS_PER_SEC / 2) << pendantRequete;
    EXPECT_EQ(c.fenetre.etat.rfind("Ligne port 1 (" + lien + ") : ligne perdue : ", 0), 0u)
        << c.fenetre.etat;
    terminal = Brancher(lien);
    EXPECT_EQ(c.Switch(), "Demande de Switch = Carte présente") << pendantRequete;
  }
}

}  // namespace
}  // namespace zef30
