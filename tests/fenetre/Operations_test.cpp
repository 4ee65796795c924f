#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "tests/fenetre/PosteEssai.h"
#include "tests/support/DossierTemporaire.h"

namespace zef30 {
namespace {

using essai::PosteEssai;

std::string Texte(const QString& q) { return q.toStdString(); }

TEST(FenPresentationOperations, TheNewestLineIsAddedAtTheEndAndSelected) {
  PosteEssai poste;
  auto* liste = poste.Trouver<QListWidget>("List1");
  for (int i = 1; i <= 500; ++i) poste.fenetre.AjouterLigne("ligne " + std::to_string(i));
  ASSERT_EQ(liste->count(), 500);
  EXPECT_EQ(liste->currentRow(), 499);

  poste.fenetre.AjouterLigne("Demande de Switch = Carte présente");
  ASSERT_EQ(liste->count(), 501);
  EXPECT_EQ(liste->currentRow(), 500);
  EXPECT_TRUE(liste->item(500)->isSelected());
  EXPECT_EQ(liste->selectedItems().size(), 1);
  EXPECT_EQ(Texte(liste->item(500)->text()), "Demande de Switch = Carte présente");
  EXPECT_EQ(Texte(liste->item(0)->text()), "ligne 1");
}

TEST(FenPresentationOperations, TheStatusLineIsTheContextOneBlankAndTheMessage) {
  PosteEssai poste;
  auto* etat = poste.Trouver<QLineEdit>("Text1");
  poste.fenetre.AfficherEtat("DemSwi", "");
  EXPECT_EQ(Texte(etat->text()), "DemSwi ");
  poste.fenetre.AfficherEtat("DemSwi", "télécollecte en cours");
  EXPECT_EQ(Texte(etat->text()), "DemSwi télécollecte en cours");
  poste.fenetre.AfficherEtat("", "");
  EXPECT_EQ(Texte(etat->text()), "");
}

TEST(FenPresentationOperations, CardBoxesAreFilledAndCleared) {
  PosteEssai poste;
  poste.fenetre.AfficherCarte("4970100000000003", "07/29");
  EXPECT_EQ(Texte(poste.Trouver<QLineEdit>("TextNoCB")->text()), "4970100000000003");
  EXPECT_EQ(Texte(poste.Trouver<QLineEdit>("TextDateVal")->text()), "07/29");
  poste.fenetre.EffacerCarte();
  EXPECT_TRUE(poste.Trouver<QLineEdit>("TextNoCB")->text().isEmpty());
  EXPECT_TRUE(poste.Trouver<QLineEdit>("TextDateVal")->text().isEmpty());
}

TEST(FenPresentationOperations, TextBoxesGiveBackExactlyWhatWasPutThere) {
  PosteEssai poste;
  // A receipt with CR LF and a raw answer with the line's control characters.
  const std::string ticket = "TICKET CLIENT\r\nMontant : 12,50 EUR\r\n\r\nA CONSERVER";
  const std::string brut = std::string(
                               "\x02"
                               "Aa0040100\x10\x03",
                               12) +
                           "#";
  for (const std::string& texte : {ticket, brut, std::string()}) {
    poste.fenetre.EcrireTexte(ZoneTexte::txtSelection, texte);
    EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::txtSelection), texte);
  }
  // A listener appends to what is there and reads it back intact.
  poste.fenetre.EcrireTexte(ZoneTexte::txtSelection, ticket);
  poste.fenetre.EcrireTexte(ZoneTexte::txtSelection,
                            poste.fenetre.LireTexte(ZoneTexte::txtSelection) + "\r\n" + brut);
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::txtSelection), ticket + "\r\n" + brut);
  EXPECT_TRUE(poste.Trouver<QPlainTextEdit>("txtSelection")->toPlainText().startsWith("TICKET"));

  // Once the operator has typed in the box, its own text is what counts.
  poste.Trouver<QPlainTextEdit>("txtSelection")->setPlainText(QStringLiteral("tapé"));
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::txtSelection), "tapé");

  poste.fenetre.EcrireTexte(ZoneTexte::Text2, "42");
  EXPECT_EQ(Texte(poste.Trouver<QLineEdit>("Text2")->text()), "42");
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::Text2), "42");
  poste.Trouver<QLineEdit>("TextPrix")->setText(QStringLiteral("250"));
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::TextPrix), "250");
  poste.fenetre.EcrireTexte(ZoneTexte::TextPrix, "1 250,00 €");
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::TextPrix), "1 250,00 €");
}

TEST(FenPresentationOperations, DossierListIsFilledAtItsEndAndEmptied) {
  PosteEssai poste;
  auto* liste = poste.Trouver<QListWidget>("List2");
  poste.fenetre.RemplirListeDossiers({"000000000015", "000000000016"});
  poste.fenetre.RemplirListeDossiers({"000000000042"});
  ASSERT_EQ(liste->count(), 3);
  EXPECT_EQ(Texte(liste->item(2)->text()), "000000000042");
  poste.fenetre.ViderListeDossiers();
  EXPECT_EQ(liste->count(), 0);
}

TEST(FenPresentationOperations, AClickOnADossierNumberCopiesItIntoText2) {
  PosteEssai poste;
  poste.fenetre.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&poste.fenetre));
  auto* liste = poste.Trouver<QListWidget>("List2");
  poste.fenetre.RemplirListeDossiers({"000000000015", "CBEMV"});
  auto cliquer = [&](int rang) {
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                      liste->visualItemRect(liste->item(rang)).center());
  };
  cliquer(0);
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::Text2), "15");
  cliquer(1);
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::Text2), "15");
}

TEST(FenPresentationOperations, PanelsShowTheTerminalsTextAsItIs) {
  PosteEssai poste;
  poste.fenetre.show();
  const struct {
    Panneau panneau;
    const char* nom;
  } panneaux[] = {{Panneau::PanelAnnulation, "PanelAnnulation"},
                  {Panneau::PanelRefus, "PanelRefus"},
                  {Panneau::LabelTemps, "LabelTemps"},
                  {Panneau::Label6, "Label6"}};
  for (const auto& p : panneaux) {
    auto* label = poste.Trouver<QLabel>(p.nom);
    // Characters from the line are never taken for markup.
    poste.fenetre.DefinirLegende(p.panneau, "<b>INSEREZ</b>\nVOTRE CARTE");
    EXPECT_EQ(Texte(label->text()), "<b>INSEREZ</b>\nVOTRE CARTE") << p.nom;
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << p.nom;
    poste.fenetre.DefinirVisible(p.panneau, false);
    EXPECT_FALSE(label->isVisible()) << p.nom;
    poste.fenetre.DefinirVisible(p.panneau, true);
    EXPECT_TRUE(label->isVisible()) << p.nom;
    poste.fenetre.Rafraichir(p.panneau);
  }
}

TEST(FenPresentationOperations, TheBusyPointerComesAndGoesWithTheRequest) {
  PosteEssai poste;
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  {
    Sablier sablier(poste.fenetre);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // One restore too many must not take away a pointer somebody else set.
  QApplication::setOverrideCursor(Qt::CrossCursor);
  poste.fenetre.PointeurOccupe(false);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QApplication::restoreOverrideCursor();
}

TEST(FenPresentationOperations, TheMessageBoxWaitsForOkWithTheOrdinaryPointer) {
  PosteEssai poste;
  poste.fenetre.show();
  QString titre;
  QString texte;
  Qt::CursorShape pointeurPendant = Qt::BlankCursor;
  bool seulementOk = false;
  // The operator's press on OK, as soon as the box is up; bounded by the timer's tries.
  int essais = 0;
  std::function<void()> repondre = [&] {
    auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (boite == nullptr) {
      if (++essais < 200) QTimer::singleShot(10, repondre);
      return;
    }
    titre = boite->windowTitle();
    texte = boite->text();
    seulementOk = boite->standardButtons() == QMessageBox::Ok;
    pointeurPendant = QApplication::overrideCursor() == nullptr
                          ? Qt::ArrowCursor
                          : QApplication::overrideCursor()->shape();
    boite->button(QMessageBox::Ok)->click();
  };
  QTimer::singleShot(0, repondre);
  {
    Sablier sablier(poste.fenetre);
    poste.fenetre.BoiteMessage("EcrireIniString", "L'erreur suivante s'est produite :\r28");
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(Texte(titre), "EcrireIniString");
  EXPECT_EQ(Texte(texte), "L'erreur suivante s'est produite :\r28");
  EXPECT_TRUE(seulementOk);
  EXPECT_EQ(pointeurPendant, Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(FenPresentationOperations, YieldingRunsTheWaitingEvents) {
  PosteEssai poste;
  bool joue = false;
  QTimer::singleShot(0, [&] { joue = true; });
  poste.fenetre.CederAuxEvenements();
  EXPECT_TRUE(joue);
}

// Runs `agir` once the dialog or menu it looks for shows (it says whether it found it), for two
// seconds at most.
void QuandIlParait(std::function<bool()> agir, int essais = 200) {
  QTimer::singleShot(essais == 200 ? 0 : 10, [=] {
    if (!agir() && essais > 0) QuandIlParait(agir, essais - 1);
  });
}

TEST(FenPresentationOperations, CtrlSAndTheTextBoxMenuSaveTheShownText) {
  essai::DossierTemporaire dossier;
  PosteEssai poste;
  poste.fenetre.show();
  const std::string recu = "TICKET CLIENT\r\nMontant : 12,50 €\r\n\r\nA CONSERVER";
  poste.fenetre.EcrireTexte(ZoneTexte::txtSelection, recu);
  auto* lignes = poste.Trouver<QListWidget>("List1");
  const auto derniere = [lignes] { return Texte(lignes->item(lignes->count() - 1)->text()); };

  // Ctrl+S wherever the focus is, then a file chosen in the dialog.
  const std::string chemin = dossier.Fichier("recu.txt");
  QuandIlParait([&] {
    auto* dialogue = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialogue) dialogue->selectFile(QString::fromStdString(chemin));
    return dialogue && QMetaObject::invokeMethod(dialogue, "accept");
  });
  poste.fenetre.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&poste.fenetre));
  QTest::keyClick(lignes, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(essai::LireTout(chemin), recu);
  EXPECT_EQ(derniere(), "Texte enregistré dans " + chemin);

  // The box's own menu, both ways of saving after its entries; the receipt file cannot be
  // written in a program folder that is not there: the line says so, the console runs on.
  QStringList entrees;
  QuandIlParait([&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return false;
    for (QAction* action : menu->actions()) entrees << action->text();
    menu->setActiveAction(menu->actions().back());
    QTest::keyClick(menu, Qt::Key_Return);
    return true;
  });
  auto* texte = poste.Trouver<QPlainTextEdit>("txtSelection")->viewport();
  QContextMenuEvent clic(QContextMenuEvent::Mouse, QPoint(9, 9), texte->mapToGlobal(QPoint(9, 9)));
  QApplication::sendEvent(texte, &clic);
  EXPECT_GT(entrees.size(), 4);
  EXPECT_EQ(entrees.mid(entrees.size() - 2).join("|"),
            QString::fromUtf8("Enregistrer sous…|Enregistrer comme ticket"));
  EXPECT_EQ(derniere().rfind("Écriture impossible dans /nonexistent-zef30-data/ticket", 0), 0u);
}

}  // namespace
}  // namespace zef30
