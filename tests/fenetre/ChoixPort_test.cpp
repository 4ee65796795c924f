#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <string>

#include "protocol/Trame.h"
#include "tests/fenetre/PosteEssai.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

using essai::PosteEssai;

// The operator opens the port list and clicks the entry `texte`.
void Choisir(QComboBox* combo, const QString& texte) {
  const int index = combo->findText(texte);
  ASSERT_GE(index, 0) << texte.toStdString();
  combo->showPopup();
  QAbstractItemView* vue = combo->view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(vue->window()));
  const QModelIndex entree = vue->model()->index(index, combo->modelColumn(), vue->rootIndex());
  vue->scrollTo(entree);
  QTest::mouseClick(vue->viewport(), Qt::LeftButton, {}, vue->visualRect(entree).center());
  EXPECT_FALSE(vue->isVisible());
}

// A ready terminal that finds a card in its reader.
void ScripterCartePresente(essai::PortScripte& port) {
  essai::ScripterOuverture(port);
  port.Repondre(EncadrerMessage("Aa0040100")).Repondre(std::string(1, EOT));
}

std::string DerniereLigne(PosteEssai& poste) {
  auto* liste = poste.Trouver<QListWidget>("List1");
  return liste->count() == 0 ? std::string()
                             : liste->item(liste->count() - 1)->text().toStdString();
}

struct ChoixPort : ::testing::Test {
  void SetUp() override {
    poste.fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  }
  QComboBox* Combo() { return poste.Trouver<QComboBox>("Combo1"); }
  void Demander() { QTest::mouseClick(poste.Trouver<QPushButton>("cmdDemSwi"), Qt::LeftButton); }

  PosteEssai poste;
};

TEST_F(ChoixPort, StartUpListsThePortsAndShowsThePortOfTheNextRequest) {
  ASSERT_EQ(Combo()->count(), 20);
  EXPECT_EQ(Combo()->itemText(0).toStdString(), "1");
  EXPECT_EQ(Combo()->itemText(19).toStdString(), "20");
  EXPECT_EQ(Combo()->currentText().toStdString(), "1");
  EXPECT_EQ(poste.etat.NumeroPortCom, 1);
  EXPECT_FALSE(poste.port.EstOuvert());
  EXPECT_EQ(poste.port.NombreOuvertures(), 0) << "the scan only tries the ports";
}

TEST_F(ChoixPort, APortPickedBeforeTheFirstRequestIsTheOneItOpensAndKeeps) {
  Choisir(Combo(), QStringLiteral("3"));
  EXPECT_EQ(poste.etat.NumeroPortCom, 3);
  EXPECT_EQ(Combo()->currentText().toStdString(), "3");

  ScripterCartePresente(poste.port);
  Demander();
  EXPECT_EQ(DerniereLigne(poste), "Demande de Switch = Carte présente");
  EXPECT_EQ(poste.port.DernierNumeroOuvert(), 3);
  EXPECT_EQ(poste.port.NombreOuvertures(), 1);

  // Once open, the port stays the same for the rest of the run.
  Choisir(Combo(), QStringLiteral("4"));
  EXPECT_EQ(poste.etat.NumeroPortCom, 4);
  EXPECT_EQ(Combo()->currentText().toStdString(), "3") << "the box shows the port kept";
  ScripterCartePresente(poste.port);
  Demander();
  EXPECT_EQ(poste.Trouver<QListWidget>("List1")->count(), 2);
  EXPECT_EQ(DerniereLigne(poste), "Demande de Switch = Carte présente");
  EXPECT_EQ(poste.port.DernierNumeroOuvert(), 3);
  EXPECT_EQ(poste.port.NombreOuvertures(), 1);
}

TEST_F(ChoixPort, TextTypedInTheListChoosesNothing) {
  poste.fenetre.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&poste.fenetre));
  QLineEdit* saisie = Combo()->lineEdit();
  auto* ailleurs = poste.Trouver<QLineEdit>("TextPrix");
  for (const char* tape : {"25", "7", "abc", "3"}) {
    saisie->clear();
    saisie->setFocus();
    QTest::keyClicks(saisie, QString::fromLatin1(tape));
    QTest::keyClick(saisie, Qt::Key_Return);
    // Leaving the box with a port number typed into it chooses nothing either.
    ailleurs->setFocus();
    EXPECT_FALSE(saisie->hasFocus()) << tape;
    EXPECT_EQ(poste.etat.NumeroPortCom, 1) << tape;
    EXPECT_EQ(Combo()->count(), 20) << tape;
  }
  ScripterCartePresente(poste.port);
  Demander();
  EXPECT_EQ(DerniereLigne(poste), "Demande de Switch = Carte présente");
  EXPECT_EQ(poste.port.DernierNumeroOuvert(), 1);
}

TEST_F(ChoixPort, AClickWhileARequestHoldsTheLineIsDropped) {
  int clicsPendant = 0;
  poste.espion.surEcriture = [&] {
    if (clicsPendant++ > 0) return;
    QTest::mouseClick(poste.Trouver<QPushButton>("cmdDemConsult"), Qt::LeftButton);
    QTest::mouseClick(poste.Trouver<QPushButton>("cmdDemSwi"), Qt::LeftButton);
  };
  ScripterCartePresente(poste.port);
  Demander();
  poste.espion.surEcriture = nullptr;
  auto* liste = poste.Trouver<QListWidget>("List1");
  ASSERT_EQ(liste->count(), 1);
  EXPECT_EQ(DerniereLigne(poste), "Demande de Switch = Carte présente");

  // Once the request is over, the next click runs as usual.
  ScripterCartePresente(poste.port);
  Demander();
  EXPECT_EQ(liste->count(), 2);
}

TEST(ChoixPortSansPort, WithoutAnyPortTheFirstRequestTriesPortOneAndSaysWhy) {
  PosteEssai poste("port 1 (/dev/ttyS0) : ouverture impossible : fichier ou dossier absent");
  poste.fenetre.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  EXPECT_EQ(poste.Trouver<QComboBox>("Combo1")->count(), 0);
  EXPECT_EQ(poste.etat.NumeroPortCom, 1);

  QTest::mouseClick(poste.Trouver<QPushButton>("cmdDemSwi"), Qt::LeftButton);
  EXPECT_EQ(poste.port.DernierNumeroOuvert(), 1);
  EXPECT_EQ(DerniereLigne(poste), "Demande de Switch = Erreur n°-400");
  EXPECT_EQ(poste.Trouver<QLineEdit>("Text1")->text().toStdString(),
            "Ligne port 1 (/dev/ttyS0) : ouverture impossible : fichier ou dossier absent");
}

}  // namespace
}  // namespace zef30
