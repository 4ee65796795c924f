#include "window/MiseAEcran.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <memory>

#include "tests/fenetre/PosteEssai.h"
#include "window/TraductionsQt.h"

namespace zef30 {
namespace {

TEST(MettreAEcran, ASmallScreenShowsTheWholeWindowThroughScrollBars) {
  const struct {
    QSize disponible;
    bool defile;
  } cas[] = {
      {{1920, 1050}, false},
      {{863, 802}, false},
      {{1366, 740}, true},  // a 1366×768 screen less its panel
      {{800, 560}, true},
  };
  for (const auto& c : cas) {
    essai::PosteEssai poste;
    const auto cadre = MettreAEcran(poste.fenetre, c.disponible);
    ASSERT_EQ(cadre != nullptr, c.defile) << c.disponible.height();
    EXPECT_FALSE(poste.fenetre.windowIcon().pixmap(32).isNull());
    if (!cadre) continue;
    cadre->show();
    EXPECT_EQ(poste.fenetre.size(), QSize(863, 802));
    EXPECT_EQ(cadre->windowTitle(), poste.fenetre.windowTitle());
    EXPECT_LE(cadre->height(), c.disponible.height());
    // Every control can be brought into view, whole.
    for (QWidget* controle : poste.fenetre.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QRect place = controle->geometry();
      cadre->ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + 1,
                           place.height() / 2 + 1);
      const QRect vu(controle->mapTo(cadre->viewport(), QPoint(0, 0)), controle->size());
      EXPECT_TRUE(cadre->viewport()->rect().contains(vu))
          << controle->objectName().toStdString() << " at " << c.disponible.height();
    }
    cadre->close();
    EXPECT_FALSE(poste.fenetre.isVisible());
  }
}

TEST(ChargerTraductionsQt, QtSpeaksFrenchUnlessTheUserChoseAnotherLanguage) {
  const struct {
    QLocale langue;
    const char* toutSelectionner;  // the text box's menu
  } cas[] = {
      {QLocale(QLocale::French, QLocale::Canada), "Tout sélectionner"},
      {QLocale::c(), "Tout sélectionner"},
      {QLocale(QLocale::English), "Select All"},
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
        << textes.join('|').toStdString();
    if (traductions) QApplication::removeTranslator(traductions.get());
  }
}

}  // namespace
}  // namespace zef30
