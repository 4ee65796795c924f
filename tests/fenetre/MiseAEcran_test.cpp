#include "window/MiseAEcran.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <memory>

#include "tests/fenetre/PosteEssai.h"
#include "window/TraductionsQt.h"

namespace zef30 {
namespace {

TEST(MettreAEcran, ASmallScreenShowsTheWholeWindowThroughScrollBars) {
  // A screen's free area; a 1366×768 screen less its panel among them.
  for (const QSize disponible :
       {QSize(1920, 1050), QSize(863, 802), QSize(1366, 740), QSize(800, 560)}) {
    essai::PosteEssai poste;
    const auto cadre = MettreAEcran(poste.fenetre, disponible);
    EXPECT_FALSE(poste.fenetre.windowIcon().pixmap(32).isNull());
    ASSERT_EQ(cadre != nullptr, disponible.height() < 802);
    if (!cadre) continue;
    cadre->show();
    EXPECT_EQ(poste.fenetre.size(), QSize(863, 802));
    EXPECT_LE(cadre->height(), disponible.height());
    // Every control can be brought into view, whole.
    for (QWidget* controle : poste.fenetre.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QRect place = controle->geometry();
      cadre->ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + 1,
                           place.height() / 2 + 1);
      const QRect vu(controle->mapTo(cadre->viewport(), QPoint(0, 0)), controle->size());
      EXPECT_TRUE(cadre->viewport()->rect().contains(vu)) << controle->objectName().toStdString();
    }
    cadre->close();
    EXPECT_FALSE(poste.fenetre.isVisible());
  }
}

TEST(ChargerTraductionsQt, QtSpeaksFrenchUnlessTheUserChoseAnotherLanguage) {
  const struct {
    QLocale langue;
    const char* toutSelectionner;  // in the text box's menu
  } cas[] = {
      {QLocale(QLocale::French, QLocale::Canada), "Tout sélectionner"},
      {QLocale::c(), "Tout sélectionner"},
      {QLocale(QLocale::German), "Select All"},
  };
  for (const auto& c : cas) {
    const auto traductions = ChargerTraductionsQt(c.langue);
    if (traductions) QApplication::installTranslator(traductions.get());
    QPlainTextEdit zone;
    const std::unique_ptr<QMenu> menu(zone.createStandardContextMenu());
    QStringList textes;
    for (const QAction* action : menu->actions()) textes << action->text().remove('&');
    EXPECT_TRUE(textes.join('|').contains(QString::fromUtf8(c.toutSelectionner)))
        << c.toutSelectionner;
    if (traductions) QApplication::removeTranslator(traductions.get());
  }
}

}  // namespace
}  // namespace zef30
