#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/ScriptDeRun.h"
#include "base/Horloge.h"
#include "console/Console.h"
#include "console/Poste.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "link/TablePorts.h"
#include "protocol/Trame.h"
#include "simulator/Deroulement.h"
#include "simulator/TerminalSimule.h"
#include "simulator/TraficEcoute.h"
#include "tests/support/LigneSimulee.h"
#include "window/FenPresentation.h"
#include "window/PortFenetre.h"

namespace zef30 {
namespace {

using essai::OuvrirLigne;
using essai::PortUnVers;

// A folder of its own for the console's files, removed with everything in it.
struct DossierTemporaire {
  DossierTemporaire() {
    char modele[] = "/tmp/zef30-fenetre-XXXXXX";
    if (mkdtemp(modele) != nullptr) chemin = modele;
  }
  ~DossierTemporaire() {
    std::error_code ignore;
    if (!chemin.empty()) std::filesystem::remove_all(chemin, ignore);
  }
  std::string chemin;
};

// The console as the program assembles it, its port 1 on the simulated terminal's line, which
// plays the terminal on its own thread while the window's thread waits on the line.
struct PosteSimule {
  PosteSimule() {
    SignalerErreursPort(liaison, fenetre);
    fenetre.AttacherConsole(console);
    fenetre.AttacherLigne(ligneFenetre);
    fenetre.Form_Load(port);
    fenetre.show();
  }

  template <typename T>
  T* Trouver(const char* nom) {
    return fenetre.findChild<T*>(QString::fromLatin1(nom));
  }
  void Cliquer(const char* bouton) {
    QTest::mouseClick(Trouver<QPushButton>(bouton), Qt::LeftButton);
  }
  std::vector<std::string> Lignes() {
    std::vector<std::string> lignes;
    auto* liste = Trouver<QListWidget>("List1");
    for (int i = 0; i < liste->count(); ++i) lignes.push_back(liste->item(i)->text().toStdString());
    return lignes;
  }

  DossierTemporaire dossier;
  simulateur::TerminalSimule terminal;
  std::string ligne = OuvrirLigne(terminal);
  HorlogeSysteme horloge;
  PortPosix port{PortUnVers(ligne)};
  FenPresentation fenetre;
  PortFenetre ligneFenetre{port, fenetre};
  Poste poste{ligneFenetre, horloge, fenetre, dossier.chemin};
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

TEST(FenetreSurTerminalSimule, AClickOnTheSwitchButtonAsksTheTerminal) {
  PosteSimule poste;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  auto* ports = poste.Trouver<QComboBox>("Combo1");
  ASSERT_NE(ports, nullptr);
  EXPECT_EQ(ports->findText(QStringLiteral("1")), 0);

  poste.Cliquer("cmdDemSwi");
  EXPECT_EQ(poste.Lignes(), std::vector<std::string>{"Demande de Switch = Carte présente"})
      << poste.Trouver<QLineEdit>("Text1")->text().toStdString();
  EXPECT_EQ(poste.Trouver<QListWidget>("List1")->currentRow(), 0);
  EXPECT_TRUE(poste.terminal.AttendreRequetesServies(1, std::chrono::seconds(5)));

  poste.terminal.ModifierScenario([](simulateur::Scenario& s) { s.statutSwitch = "0000"; });
  poste.Cliquer("cmdDemSwi");
  ASSERT_EQ(poste.Lignes().size(), 2u);
  EXPECT_EQ(poste.Lignes()[1], "Demande de Switch = Carte non-présente");
  EXPECT_EQ(poste.Trouver<QListWidget>("List1")->currentRow(), 1);
  EXPECT_EQ(poste.port.Table().Chemin(1), poste.ligne);
}

// While a card switch holds the line without listening, clicks on other request buttons (made
// in the window, and queued as the window system queues what it has not handed over yet) are
// not taken, and none runs once the switch is over: the terminal hears one request only.
TEST(FenetreSurTerminalSimule, ClicksDuringAPlainExchangeAreDroppedNeverRunAfter) {
  PosteSimule poste;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  ASSERT_TRUE(poste.Trouver<QCheckBox>("Check1")->isChecked());
  int pendant = 0;
  QString etatPendant;
  QTimer::singleShot(0, [&] {
    pendant = poste.etat.GestionnairesEnCours;
    poste.Cliquer("cmdDemConsult");
    poste.Cliquer("Command2");
    etatPendant = poste.Trouver<QLineEdit>("Text1")->text();
    auto* bouton = poste.Trouver<QPushButton>("cmdDemVal");
    const QPointF centre = QRectF(bouton->rect()).center();
    const QPointF ecran = bouton->mapToGlobal(centre);
    QCoreApplication::postEvent(bouton, new QMouseEvent(QEvent::MouseButtonPress, centre, ecran,
                                                        Qt::LeftButton, Qt::LeftButton, {}));
    QCoreApplication::postEvent(bouton, new QMouseEvent(QEvent::MouseButtonRelease, centre, ecran,
                                                        Qt::LeftButton, Qt::NoButton, {}));
  });
  poste.Cliquer("cmdDemSwi");
  QCoreApplication::processEvents();

  EXPECT_EQ(pendant, 1) << "the clicks came while the switch ran";
  EXPECT_NE(etatPendant.indexOf(QStringLiteral("non pris en compte")), -1)
      << etatPendant.toStdString();
  EXPECT_EQ(poste.Lignes(), std::vector<std::string>{"Demande de Switch = Carte présente"});
  const std::string recu = poste.terminal.Recu();
  for (const char* autre : {"AJ00202", "AS", "AK"}) {
    EXPECT_EQ(recu.find(autre), std::string::npos) << autre;
  }
  // The refusal gave way to what the switch showed.
  EXPECT_EQ(poste.Trouver<QLineEdit>("Text1")->text().indexOf(QStringLiteral("non pris")), -1);
  EXPECT_TRUE(poste.terminal.AttendreRequetesServies(1, std::chrono::seconds(5)));
  EXPECT_EQ(poste.terminal.RequetesServies(), 1);
}

// Closing the window while a plain exchange waits on the terminal ends the console there and
// then, the line given back first.
TEST(FenetreSurTerminalSimule, ClosingTheWindowDuringAnExchangeEndsTheConsoleAtOnce) {
  PosteSimule poste;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  int sorties = 0;
  bool ligneRendue = false;
  int enCours = 0;
  poste.fenetre.DefinirSortie([&] {
    ++sorties;
    ligneRendue = !poste.port.EstOuvert();
    enCours = poste.etat.GestionnairesEnCours;
  });
  QTimer::singleShot(0, [&] { poste.fenetre.close(); });
  poste.Cliquer("cmdDemSwi");
  EXPECT_EQ(sorties, 1);
  EXPECT_TRUE(ligneRendue);
  EXPECT_EQ(enCours, 1) << "during the switch, not after it";
}

TEST(FenetreSurTerminalSimule, AClickOnConsultationListsTheTerminalAndShowsItsAnswer) {
  PosteSimule poste;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  poste.Cliquer("cmdDemConsult");
  const auto lignes = poste.Lignes();
  ASSERT_FALSE(lignes.empty());
  EXPECT_EQ(lignes[0], "No Serie: ZEF30SIM0001");
  EXPECT_EQ(lignes[1], "Nb application: 04");
  const std::string brut = poste.fenetre.LireTexte(ZoneTexte::txtSelection);
  ASSERT_EQ(brut.size(), 102u);
  EXPECT_EQ(brut.substr(0, 8),
            "\x02"
            "Aj09302");
}

TEST(FenetreSurTerminalSimule, EveryButtonGetsItsFamilysSuccessLine) {
  PosteSimule poste;
  poste.terminal.ModifierScenario([](simulateur::Scenario& s) {
    s.rafale = true;
    s.soins.pause = 0;
    s.paiement.pauseCarte = s.paiement.pauseCode = s.paiement.pauseReponse = 0;
    // A listened ISO 2 answer is acknowledged twice; with one more frame after it, the
    // exchange's own ACK always meets a character instead of its 10 s wait.
    s.apresReponse["AG000"] = {simulateur::TrameAffichage("", "")};
  });
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  ASSERT_TRUE(poste.Trouver<QCheckBox>("Check1")->isChecked()) << "every listener has its turn";
  // Maintenance listening runs until "Sortie Ecoute", clicked once the window shows it.
  QTimer sortie;
  QObject::connect(&sortie, &QTimer::timeout, [&] {
    if (!poste.Trouver<QLabel>("Label6")->text().startsWith(QStringLiteral("EN ECOUTE"))) return;
    sortie.stop();
    poste.Cliquer("Command1");
  });
  struct Cas {
    const char* bouton;
    std::string ligne;  // the first line of the click; empty: it adds none
    std::string texte;  // found in txtSelection afterwards; empty: not looked at
  };
  const Cas cas[] = {
      {"cmdDemSwi", "Demande de Switch = Carte présente", ""},
      {"cmdDemConsult", "No Serie: ZEF30SIM0001", ""},
      {"Command2", "Mise à l'heure = OK", ""},
      {"cmdDemVitesse", "Demande = OK", ""},
      {"cmdDemTic", "Demande de ticket = OK", "NB REMISE: 2"},
      {"Command4", "Demande ticket teleParam = OK", "Application initialisée"},
      {"cmdDemTC", "Télécollecte = OK", "ACQUEREUR 000002 CODE 0"},
      {"Command5", "Demande de piste ISO = OK", "4970100000000000=29121010000000000000000"},
      {"Command6", "", std::string(5, EOT)},
      {"cmdSetPrix", "Prix fixé = 100", ""},
      {"cmdDemVal", "Demande de Validité = OK", ""},
      {"cmdDemConf", "Demande liste doss = 1", ""},
      {"cmdDemAbdn", "Demande info Dossier No 1 = OK", ""},
      {"cmdDemEnr", "Demande d'enregistrement = OK", ""},
      {"cmdDemVal", "Demande de Validité = OK", ""},
      {"Command3", "Demande d'enregistrement = OK", ""},
      {"cmdLitPuceSync", "", ""},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.bouton);
    const std::size_t avant = poste.Lignes().size();
    auto* bouton = poste.Trouver<QPushButton>(c.bouton);
    ASSERT_NE(bouton, nullptr);
    if (std::string(c.bouton) == "cmdLitPuceSync") sortie.start(10);
    // The speed button stays hidden from the operator: pressed through its signal.
    if (bouton->isHidden()) {
      bouton->click();
    } else {
      poste.Cliquer(c.bouton);
    }
    const auto lignes = poste.Lignes();
    const std::string etat = poste.Trouver<QLineEdit>("Text1")->text().toStdString();
    if (c.ligne.empty()) {
      EXPECT_EQ(lignes.size(), avant) << etat;
    } else {
      ASSERT_GT(lignes.size(), avant) << etat;
      EXPECT_EQ(lignes[avant], c.ligne) << etat;
    }
    EXPECT_NE(poste.fenetre.LireTexte(ZoneTexte::txtSelection).find(c.texte), std::string::npos);
  }
  EXPECT_TRUE(poste.Trouver<QLabel>("Label6")->text().isEmpty()) << "Sortie Ecoute ended it";
}

// The operator's whole road through a payment, with real clicks and typing, against the
// terminal's own memory of its dossiers: the validity is listened to ("Ecran Hote" ticked), and
// once registered the dossier leaves the list.
TEST(FenetreSurTerminalSimule, APaymentFromPriceToItsRegistration) {
  PosteSimule poste;
  poste.terminal.ModifierScenario([](simulateur::Scenario& s) {
    s.rafale = true;
    s.paiement.pauseCarte = s.paiement.pauseCode = s.paiement.pauseReponse = 0;
  });
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  const auto texte = [&](const char* nom) {
    return poste.Trouver<QLineEdit>(nom)->text().toStdString();
  };
  ASSERT_TRUE(poste.Trouver<QCheckBox>("Check1")->isChecked());
  poste.Trouver<QLineEdit>("TextPrix")->clear();
  QTest::keyClicks(poste.Trouver<QLineEdit>("TextPrix"), "1250");
  poste.Cliquer("cmdSetPrix");
  poste.Cliquer("cmdDemVal");
  EXPECT_FALSE(texte("TextNoCB").empty());

  poste.Cliquer("cmdDemConf");
  auto* dossiers = poste.Trouver<QListWidget>("List2");
  ASSERT_EQ(dossiers->count(), 1);
  poste.Trouver<QLineEdit>("Text2")->clear();
  const QRect entree = dossiers->visualItemRect(dossiers->item(0));
  QTest::mouseClick(dossiers->viewport(), Qt::LeftButton, {}, entree.center());
  EXPECT_EQ(texte("Text2"), "1");

  poste.Cliquer("cmdDemAbdn");
  poste.Cliquer("cmdDemEnr");
  poste.Cliquer("cmdDemConf");
  EXPECT_EQ(dossiers->count(), 0);
  EXPECT_EQ(poste.Lignes(), (std::vector<std::string>{
                                "Prix fixé = 1250", "Demande de Validité = OK",
                                "Demande liste doss = 1", "Dossier No 1 = 000000000001",
                                "Demande info Dossier No 1 = OK", "Demande d'enregistrement = OK",
                                "Demande liste doss = 0", "Pas de Dossier en cours"}))
      << texte("Text1");
}

TEST(FenetreSurTerminalSimule, MaintenanceListeningShowsTheTerminalUntilSortieEcoute) {
  PosteSimule poste;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  const std::string affichage = simulateur::TrameAffichage("BONJOUR", "CARTE SVP");
  const std::string autre = EncadrerMessage("M003ABC");
  // Once listening has started the terminal plays its own traffic; Sortie Ecoute is clicked
  // when the window shows it (or after 10 s, and the checks below fail).
  QTimer::singleShot(50, [&] {
    poste.terminal.EmettreSpontanement(simulateur::TraficSpontane({affichage, autre}));
  });
  QTimer regard;
  int tours = 0;
  bool refuse = false;
  QString etatAvantRefus;
  QObject::connect(&regard, &QTimer::timeout, [&] {
    const bool vu = poste.Trouver<QLabel>("PanelAnnulation")->text() ==
                        QStringLiteral("BONJOUR         \nCARTE SVP       ") &&
                    poste.fenetre.LireTexte(ZoneTexte::txtSelection) == "\r\n" + autre.substr(2);
    if (vu && !refuse) {
      etatAvantRefus = poste.Trouver<QLineEdit>("Text1")->text();
      poste.Cliquer("cmdDemSwi");  // not taken while the line is listened to
      EXPECT_NE(poste.Trouver<QLineEdit>("Text1")->text().indexOf(QStringLiteral("non pris")), -1);
      refuse = true;
    }
    if (vu || ++tours > 1000) {
      regard.stop();
      poste.Cliquer("Command1");
    }
  });
  regard.start(10);
  poste.Cliquer("cmdLitPuceSync");

  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::txtSelection), affichage + autre);
  EXPECT_NE(poste.terminal.Recu().find("\x06\x05"), std::string::npos);
  EXPECT_TRUE(poste.Lignes().empty());
  // The refusal gave way to the listening's own status when it ended.
  EXPECT_EQ(poste.Trouver<QLineEdit>("Text1")->text(), etatAvantRefus);
  EXPECT_TRUE(poste.Trouver<QLabel>("Label6")->text().isEmpty());
  std::ifstream journal(poste.dossier.chemin + "/ZEF30test.txt", std::ios::binary);
  const std::string lu((std::istreambuf_iterator<char>(journal)), std::istreambuf_iterator<char>());
  EXPECT_NE(lu.find(affichage + autre + "\r\n"), std::string::npos);
}

// "Exécuter un plan…" with its file given: the plan runs in the window through the buttons, each
// step's verdict and the summary in List1; the operator's box goes on with OK or ends the plan
// with Abandon; a click during the plan is refused; a plan that cannot be read sends nothing.
TEST(FenetreSurTerminalSimule, APlanRunsInTheWindowWithItsVerdictsInList1) {
  const std::string plan =
      "# Présence\n"
      "switch => réussie ; résultat contient \"Carte présente\"\n"
      "switch => résultat contient \"Carte absente\"\n"
      "opérateur \"Retirez la carte\"\n"
      "annulation => échec ; état contient \"inconnu\"\n";
  const std::string deuxieme =
      "[2] Présence — switch : ÉCHEC — attendu : résultat contient « Carte absente » ; obtenu : "
      "« Demande de Switch = Carte présente »";
  struct Cas {
    std::string fichier;                  // in the data folder; empty: a file that is not there
    QMessageBox::StandardButton reponse;  // to the operator's box
    std::vector<std::string> debuts;      // how the verdicts in List1 begin, or end
    int servies;                          // requests the terminal answered
  } const cas[] = {
      {"plan.txt",
       QMessageBox::Ok,
       {"[1] Présence — switch : réussie", deuxieme, "[3] Présence — annulation : réussie — ",
        "3 requêtes, 2 réussies, 1 en échec, en "},
       3},
      {"plan.txt",
       QMessageBox::Abort,
       {"[1] Présence — switch : réussie", deuxieme, "2 requêtes, 1 réussie, 1 en échec, en ",
        "campagne interrompue après 2 requêtes (Abandon)"},
       2},
      {"", QMessageBox::Ok, {"/absent.txt : fichier illisible"}, 0},
  };
  for (const Cas& k : cas) {
    PosteSimule poste;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
    poste.fenetre.DefinirExecuteurPlan(&ExecuterPlanDeFichier);
    const std::string chemin =
        poste.dossier.chemin + "/" + (k.fichier.empty() ? "absent.txt" : k.fichier);
    if (!k.fichier.empty()) std::ofstream(chemin) << plan;
    std::string question;
    QTimer operateur;
    QObject::connect(&operateur, &QTimer::timeout, [&] {
      auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (boite == nullptr || boite->objectName() != QStringLiteral("BoiteOperateur")) return;
      question = boite->text().toStdString();
      operateur.stop();
      QTest::mouseClick(boite->button(k.reponse), Qt::LeftButton);
    });
    operateur.start(5);
    int pendant = 0;
    // With the window as its context: it never outlives the row.
    QTimer::singleShot(0, &poste.fenetre, [&] {
      pendant = poste.etat.GestionnairesEnCours;
      poste.Cliquer("cmdDemConsult");
    });
    poste.fenetre.ExecuterPlan(chemin);

    EXPECT_EQ(pendant, k.fichier.empty() ? 0 : 1) << "the click came while the plan ran";
    EXPECT_EQ(question, k.fichier.empty() ? "" : "Retirez la carte");
    // The verdicts come in order among the steps' own lines; the summary ends the list.
    const auto lignes = poste.Lignes();
    auto suivante = lignes.begin();
    for (const std::string& debut : k.debuts) {
      suivante = std::find_if(suivante, lignes.end(), [&](const std::string& ligne) {
        return ligne.starts_with(debut) || ligne.ends_with(debut);
      });
      ASSERT_NE(suivante, lignes.end()) << debut << "\n" << ::testing::PrintToString(lignes);
      ++suivante;
    }
    EXPECT_EQ(suivante, lignes.end()) << ::testing::PrintToString(lignes);
    EXPECT_EQ(poste.terminal.Recu().find("AJ00202"), std::string::npos);
    EXPECT_TRUE(poste.terminal.AttendreRequetesServies(k.servies, std::chrono::seconds(5)));
    EXPECT_EQ(poste.terminal.RequetesServies(), k.servies);
  }
}

}  // namespace
}  // namespace zef30
