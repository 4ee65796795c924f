#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <string>

#include "tests/fenetre/PosteEssai.h"
#include "window/FenPresentation.h"

namespace zef30 {
namespace {

enum class Genre { Bouton, Zone, Texte, Liste, Label, Case, Option, Combo, Image };

struct Controle {
  const char* nom;
  Genre genre;
  const char* legende;  // caption or initial content
  int gauche, haut, largeur, hauteur;
};

// The window as the operator knows it, written out control by control.
const Controle kControles[] = {
    {"txtSelection", Genre::Texte, "", 8, 8, 313, 305},
    {"List1", Genre::Liste, "", 328, 8, 369, 368},
    {"Label7", Genre::Label, "List No Dossier", 712, 8, 97, 17},
    {"List2", Genre::Liste, "", 712, 24, 113, 342},
    {"PanelAnnulation", Genre::Label, "", 8, 320, 313, 65},
    {"Text1", Genre::Zone, "", 8, 392, 689, 25},
    {"cmdDemSwi", Genre::Bouton, "Demande de switch", 8, 424, 145, 25},
    {"Label1", Genre::Label, "Prix", 152, 424, 33, 25},
    {"TextPrix", Genre::Zone, "100", 192, 424, 113, 25},
    {"cmdSetPrix", Genre::Bouton, "Définir le prix", 320, 424, 145, 25},
    {"PanelRefus", Genre::Label, "", 520, 424, 193, 41},
    {"cmdDemVal", Genre::Bouton, "Demander validité", 8, 456, 145, 25},
    {"cmdLitPuceSync", Genre::Bouton, "Ecouter Mode Maintenance", 320, 456, 145, 25},
    {"Label5", Genre::Label, "No Dossier", 168, 472, 97, 17},
    {"Label6", Genre::Label, "", 320, 480, 145, 17},
    {"LabelTemps", Genre::Label, "", 512, 480, 209, 57},
    {"cmdDemEnr", Genre::Bouton, "Demander enregistrement", 8, 488, 145, 25},
    {"Text2", Genre::Zone, "", 168, 488, 137, 25},
    {"Command1", Genre::Bouton, "Sortie Ecoute", 320, 496, 145, 25},
    {"Command3", Genre::Bouton, "Demander Annul Dossier", 8, 520, 145, 25},
    {"Label3", Genre::Label, "N° CB", 160, 536, 73, 17},
    {"Command2", Genre::Bouton, "Mise à l'heure", 320, 536, 145, 25},
    {"cmdDemAbdn", Genre::Bouton, "Demander Info Dossier", 8, 552, 145, 25},
    {"TextNoCB", Genre::Zone, "", 160, 552, 145, 25},
    {"cmdDemConsult", Genre::Bouton, "Dem consultation", 320, 568, 145, 25},
    {"cmdDemConf", Genre::Bouton, "Demander liste dossier", 8, 584, 145, 25},
    {"Label4", Genre::Label, "Date Validité", 160, 584, 73, 25},
    {"TextDateVal", Genre::Zone, "", 248, 584, 57, 25},
    {"Command6", Genre::Bouton, "Dem Redemarrage", 320, 600, 145, 25},
    {"Command5", Genre::Bouton, "Demande ISO 2", 8, 616, 145, 25},
    {"Option1", Genre::Option, "Mode Vente", 168, 624, 97, 17},
    {"Label2", Genre::Label, "Port COM:", 472, 632, 57, 25},
    {"cmdDemTC", Genre::Bouton, "Demander télécollecte", 8, 648, 145, 25},
    {"Option2", Genre::Option, "Mode Vidéo", 168, 648, 105, 13},
    {"Check1", Genre::Case, "Ecran Hote", 304, 648, 81, 17},
    // The box shows the port the next request takes: port 1 at start-up.
    {"Combo1", Genre::Combo, "1", 472, 648, 73, 21},
    {"Picture1", Genre::Image, "", 160, 672, 305, 65},
    {"cmdDemTic", Genre::Bouton, "Etat derniere TeleCollecte", 8, 680, 145, 25},
    {"cmdDemVitesse", Genre::Bouton, "Changer Vitesse -> 19200", 480, 696, 145, 25},
    {"Command4", Genre::Bouton, "Etat dernier TeleParam", 8, 712, 145, 25},
};

// The caption or content of a control of its kind; false when it is not of that kind.
bool LireLegende(QWidget* w, Genre genre, QString& legende) {
  switch (genre) {
    case Genre::Bouton:
      if (auto* b = qobject_cast<QPushButton*>(w)) return legende = b->text(), true;
      return false;
    case Genre::Zone:
      if (auto* z = qobject_cast<QLineEdit*>(w)) return legende = z->text(), true;
      return false;
    case Genre::Texte:
      if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return legende = t->toPlainText(), true;
      if (auto* t = qobject_cast<QTextEdit*>(w)) return legende = t->toPlainText(), true;
      return false;
    case Genre::Liste:
      if (auto* l = qobject_cast<QListWidget*>(w)) return legende = QString(), l->count() == 0;
      return false;
    case Genre::Label:
    case Genre::Image:
      if (auto* l = qobject_cast<QLabel*>(w)) return legende = l->text(), true;
      return false;
    case Genre::Case:
      if (auto* c = qobject_cast<QCheckBox*>(w)) return legende = c->text(), true;
      return false;
    case Genre::Option:
      if (auto* o = qobject_cast<QRadioButton*>(w)) return legende = o->text(), true;
      return false;
    case Genre::Combo:
      if (auto* c = qobject_cast<QComboBox*>(w)) return legende = c->currentText(), c->isEditable();
      return false;
  }
  return false;
}

TEST(FenPresentation, EveryControlIsAtItsPlaceWithItsKindAndCaption) {
  essai::PosteEssai poste;
  poste.fenetre.show();
  EXPECT_EQ(poste.fenetre.windowTitle(), QStringLiteral("Test ZEF30"));
  EXPECT_EQ(poste.fenetre.minimumSize(), QSize(863, 802));
  EXPECT_EQ(poste.fenetre.maximumSize(), QSize(863, 802));

  for (const Controle& c : kControles) {
    auto* w = poste.fenetre.findChild<QWidget*>(QString::fromLatin1(c.nom));
    ASSERT_NE(w, nullptr) << c.nom;
    QString legende;
    EXPECT_TRUE(LireLegende(w, c.genre, legende))
        << c.nom << " is a " << w->metaObject()->className();
    EXPECT_EQ(legende.toStdString(), std::string(c.legende)) << c.nom;
    EXPECT_EQ(w->geometry(), QRect(c.gauche, c.haut, c.largeur, c.hauteur)) << c.nom;
    EXPECT_EQ(w->parentWidget(), &poste.fenetre) << c.nom;
    const bool cache =
        std::string(c.nom) == "cmdDemVitesse" || std::string(c.nom) == "PanelAnnulation";
    EXPECT_EQ(w->isVisible(), !cache) << c.nom;
  }
}

TEST(FenPresentation, FontsColoursAndChoicesAreThoseOfTheDesign) {
  essai::PosteEssai poste;
  auto label = [&](const char* nom) { return poste.Trouver<QLabel>(nom); };

  const QFont annulation = label("PanelAnnulation")->font();
  EXPECT_TRUE(annulation.bold());
  EXPECT_DOUBLE_EQ(annulation.pointSizeF(), 18);
  EXPECT_TRUE(label("PanelAnnulation")->autoFillBackground());
  EXPECT_EQ(label("PanelAnnulation")->palette().color(QPalette::Window), QColor(255, 255, 192));
  for (const char* nom : {"PanelRefus", "LabelTemps"}) {
    EXPECT_TRUE(label(nom)->font().bold()) << nom;
    EXPECT_DOUBLE_EQ(label(nom)->font().pointSizeF(), 12) << nom;
  }
  EXPECT_TRUE(label("Label6")->font().bold());
  EXPECT_DOUBLE_EQ(label("Label6")->font().pointSizeF(), 9.75);
  EXPECT_EQ(label("Label6")->palette().color(QPalette::WindowText), QColor(192, 0, 0));
  EXPECT_EQ(label("Label6")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(label("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  for (const char* nom : {"Text2", "TextNoCB"}) {
    const QFont police = poste.Trouver<QLineEdit>(nom)->font();
    EXPECT_EQ(police.family(), QStringLiteral("Arial")) << nom;
    EXPECT_DOUBLE_EQ(police.pointSizeF(), 9.75) << nom;
  }

  EXPECT_TRUE(poste.Trouver<QCheckBox>("Check1")->isChecked());
  EXPECT_TRUE(poste.Trouver<QRadioButton>("Option2")->isChecked());
  EXPECT_FALSE(poste.Trouver<QRadioButton>("Option1")->isChecked());
  EXPECT_TRUE(poste.fenetre.EcranHoteCoche());
  EXPECT_FALSE(poste.fenetre.ModeVenteChoisi());
  EXPECT_EQ(poste.fenetre.LireTexte(ZoneTexte::TextPrix), "100");
  EXPECT_TRUE(poste.Trouver<QLineEdit>("Text1")->isReadOnly());

  // The two options are one group: choosing sale mode leaves dossier mode.
  poste.Trouver<QRadioButton>("Option1")->click();
  EXPECT_TRUE(poste.fenetre.ModeVenteChoisi());
  EXPECT_FALSE(poste.Trouver<QRadioButton>("Option2")->isChecked());
  poste.Trouver<QCheckBox>("Check1")->click();
  EXPECT_FALSE(poste.fenetre.EcranHoteCoche());

  // The banner is wider than its frame and shown clipped, not squeezed.
  auto* picture = label("Picture1");
  EXPECT_EQ(picture->pixmap().size(), QSize(770, 85));
  EXPECT_FALSE(picture->hasScaledContents());
}

TEST(FenPresentation, EveryCaptionIsWholeInItsPlace) {
  essai::PosteEssai poste;
  for (QAbstractButton* b : poste.fenetre.findChildren<QAbstractButton*>()) {
    EXPECT_LE(b->sizeHint().width(), b->width()) << b->objectName().toStdString();
  }
  // The banner's writing, light on dark blue, lies inside Picture1's frame, clear of its edges.
  const QImage banniere = poste.Trouver<QLabel>("Picture1")->pixmap().toImage();
  QRect ecrit;
  for (int y = 0; y < banniere.height(); ++y) {
    for (int x = 0; x < banniere.width(); ++x) {
      if (banniere.pixelColor(x, y).red() >= 64) ecrit |= QRect(x, y, 1, 1);
    }
  }
  EXPECT_GT(ecrit.width(), 150);
  EXPECT_TRUE(QRect(2, 1, 305 - 4, 65 - 2).contains(ecrit)) << ecrit.right();
}

}  // namespace
}  // namespace zef30
