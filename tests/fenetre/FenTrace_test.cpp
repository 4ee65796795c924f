// The Trace window: opened by F12 from the main window, the trace live, its display-frame
// filter, its bound, and the save of the whole trace.
#include "window/FenTrace.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "link/NommeurTrames.h"
#include "protocol/Trame.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/PortScripte.h"
#include "window/FenPresentation.h"

namespace zef30 {

using namespace std::chrono_literals;
namespace {

TEST(FenTrace, OpensOnF12AndShowsFiltersBoundsAndSavesTheTrace) {
  essai::HorlogeVirtuelle horloge;
  essai::PortScripte port(horloge);
  PortTrace trace(port, horloge, "2026-12-08 06:30:00");
  FenPresentation principale;
  FenTrace fenTrace(trace);
  BrancherFenTrace(principale, fenTrace);
  principale.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&principale));
  QTest::keyClick(&principale, Qt::Key_F12);
  EXPECT_TRUE(fenTrace.isVisible());

  // A probe, then a display frame that comes in two reads of one burst.
  const std::string affichage = EncadrerMessage("D" + std::string(32, 'A'));
  trace.Ecrire("\x05");
  port.Arriver("\x06");
  trace.Lire();
  horloge.Avancer(200ms);
  port.Arriver(affichage.substr(0, 10));
  trace.Lire();
  port.Arriver(affichage.substr(10));
  trace.Lire();

  auto* texte = fenTrace.findChild<QPlainTextEdit*>("texteTrace");
  auto* filtre = fenTrace.findChild<QComboBox*>("filtreTrace");
  struct Cas {
    int filtre;
    std::vector<std::string> sens;  // direction of each line shown
  };
  const Cas cas[] = {
      {0, {"C>T", "T>C", "T>C"}}, {1, {"C>T", "T>C"}}, {2, {"T>C"}}, {0, {"C>T", "T>C", "T>C"}}};
  for (const Cas& k : cas) {
    filtre->setCurrentIndex(k.filtre);
    const QStringList lignes = texte->toPlainText().split('\n');
    ASSERT_EQ(static_cast<std::size_t>(lignes.size()), k.sens.size())
        << texte->toPlainText().toStdString();
    for (std::size_t i = 0; i < k.sens.size(); ++i) {
      EXPECT_EQ(lignes[static_cast<int>(i)].mid(12, 3).toStdString(), k.sens[i]);
    }
  }
  EXPECT_TRUE(texte->toPlainText().endsWith(
      "[trame D : LRC " + QString::fromStdString(EnHexa(affichage.substr(affichage.size() - 1))) +
      " juste]"));

  // Without a file, the window saves the header and what it holds: the last records only.
  for (int i = 0; i < FenTrace::kEnregistrementsMax; ++i) {
    horloge.Avancer(100ms);
    trace.Ecrire(i % 2 ? "\x06" : "\x04");
  }
  EXPECT_EQ(texte->document()->blockCount(), FenTrace::kEnregistrementsMax);
  essai::DossierTemporaire dossier;
  const QString copie = QString::fromStdString(dossier.Fichier("copie.txt"));
  QString erreur;
  ASSERT_TRUE(fenTrace.Enregistrer(copie, erreur)) << erreur.toStdString();
  const std::string enregistre = essai::LireTout(dossier.Fichier("copie.txt"));
  EXPECT_TRUE(enregistre.starts_with(trace.Entete() + "\n    300.000 C>T +0.100s | 04 | <EOT>\n"))
      << enregistre.substr(0, 300);
  EXPECT_EQ(std::count(enregistre.begin(), enregistre.end(), '\n'),
            FenTrace::kEnregistrementsMax + 1);

  // With a file, the save is a copy of the whole file.
  const auto ecrite = trace.EcrireDans(dossier.Fichier("ligne.trace"));
  ASSERT_TRUE(ecrite) << TexteEchec(ecrite);
  trace.Ecrire("\x05");
  ASSERT_TRUE(fenTrace.Enregistrer(copie, erreur)) << erreur.toStdString();
  EXPECT_EQ(essai::LireTout(dossier.Fichier("copie.txt")),
            essai::LireTout(dossier.Fichier("ligne.trace")));
}

// Under the list, the selected record's frames in words; the bursts by name; the chart of the
// selected record's exchange.
TEST(FenTrace, ShowsTheSelectedFramesInWordsAndSavesTheExchangesChart) {
  essai::HorlogeVirtuelle horloge;
  essai::PortScripte port(horloge);
  PortTrace trace(port, horloge, "2026-12-08 06:30:00");
  DecodeurTrames decodeur;
  trace.Decoder(DecodeurPourTrace(decodeur));
  FenTrace fenTrace(trace);
  const auto salve = [&](const std::string& ecrit, const std::string& arrive) {
    horloge.Avancer(100ms);
    if (!ecrit.empty()) trace.Ecrire(ecrit);
    port.Arriver(arrive);
    trace.Lire();
  };
  salve("\x04", "");
  salve("\x05", "\x06");
  salve(EncadrerMessage("AA000"), "\x06" + EncadrerMessage("Aa0040100") + "\x04");
  // What came while the window was closed is all there once it opens.
  fenTrace.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenTrace));

  auto* texte = fenTrace.findChild<QPlainTextEdit*>("texteTrace");
  QTextCursor curseur(texte->document()->findBlockByNumber(4));
  texte->setTextCursor(curseur);
  EXPECT_TRUE(
      fenTrace.findChild<QPlainTextEdit*>("detailTrace")
          ->toPlainText()
          .contains(QString::fromUtf8("Aa réponse de switch : disponibilité 0 disponible")));
  fenTrace.findChild<QCheckBox*>("nomsTrace")->setChecked(true);
  EXPECT_TRUE(texte->toPlainText().split('\n')[4].contains(
      QString::fromUtf8("| ACK + Aa réponse de switch + EOT | <ACK><STX>Aa")));

  // The exchange from its ENQ to the end, without the EOT before it.
  texte->setTextCursor(QTextCursor(texte->document()->findBlockByNumber(3)));
  essai::DossierTemporaire dossier;
  QString erreur;
  ASSERT_TRUE(
      fenTrace.EnregistrerDiagramme(QString::fromStdString(dossier.Fichier("e.svg")), erreur))
      << erreur.toStdString();
  const std::string svg = essai::LireTout(dossier.Fichier("e.svg"));
  std::size_t fleches = 0;
  for (auto i = svg.find("class=\"salve\""); i != std::string::npos;
       i = svg.find("class=\"salve\"", i + 1)) {
    ++fleches;
  }
  EXPECT_EQ(fleches, 4u);
}

}  // namespace
}  // namespace zef30
