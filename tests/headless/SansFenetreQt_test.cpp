// One scenario run twice, through the window's buttons and without a window: the same result
// lines, status line and files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>

#include "console/Poste.h"
#include "headless/Campagne.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/HorlogeMuraleFixe.h"
#include "window/FenPresentation.h"

namespace zef30 {
namespace {

// A console of window kind F on its own simulated terminal, its files dated at a fixed moment.
template <typename F>
struct Poste {
  explicit Poste(const simulateur::Scenario& scenario) : terminal(scenario), port(Ligne()) {
    SignalerErreursPort(liaison, fenetre);
  }
  TablePorts Ligne() {
    TablePorts table;
    table.Associer(1, terminal.OuvrirPseudoTerminal().ValeurOu({}));
    terminal.Demarrer();
    return table;
  }
  // Every file of the folder and what it holds, the terminal's own clock on its receipts
  // ("08/12/26 à 06h30m12", "08/12/26 a 06h30m12") masked: the two runs do not happen in the same
  // second.
  std::map<std::string, std::string> Fichiers() const {
    std::map<std::string, std::string> fichiers;
    for (const auto& f : std::filesystem::recursive_directory_iterator(dossier.Chemin())) {
      fichiers[f.path().lexically_relative(dossier.Chemin()).string()] =
          MasquerHeures(essai::LireTout(f.path().string()));
    }
    return fichiers;
  }
  // Without <regex>: g++ 12 under the sanitizers warns inside its automaton.
  static std::string MasquerHeures(std::string texte) {
    const auto forme = [&](std::size_t debut, std::string_view modele) {
      if (debut + modele.size() > texte.size()) return false;
      for (std::size_t i = 0; i < modele.size(); ++i) {
        const char c = texte[debut + i];
        if (modele[i] == '9' ? !std::isdigit(static_cast<unsigned char>(c)) : c != modele[i]) {
          return false;
        }
      }
      return true;
    };
    for (std::size_t debut = 0; debut < texte.size(); ++debut) {
      for (const std::string mot : {"à", "a"}) {
        if (forme(debut, "99/99/99 " + mot + " 99h99m99")) {
          texte.replace(debut, 18 + mot.size(), "JJ/MM/AA " + mot + " HHhMMmSS");
        }
      }
    }
    return texte;
  }

  essai::DossierTemporaire dossier;
  simulateur::TerminalSimule terminal;
  HorlogeSysteme horloge;
  PortPosix port;
  F fenetre;
  HorlogeMuraleFixe mural{2026, 12, 8, 6, 30, 0};
  zef30::Poste poste{port, horloge, fenetre, dossier.Chemin(), mural, std::locale::classic()};
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

TEST(SansFenetre, GivesTheSameLinesStatusAndFilesAsTheWindow) {
  simulateur::Scenario scenario;
  scenario.statutSwitch = "0113";
  scenario.rafale = true;
  scenario.soins.pause = 0;
  scenario.paiement.pauseCarte = scenario.paiement.pauseCode = scenario.paiement.pauseReponse = 0;
  const auto requetes = LireScript(
      "validite prix=1250 ecran=oui mode=video\nliste-dossiers\ninfo-dossier\nenregistrement\n"
      "switch\nconsultation\netat-telecollecte\nheure\netat-teleparam\nswitch\n");
  ASSERT_TRUE(requetes) << TexteEchec(requetes);

  Poste<FenetreTexte> texte(scenario);
  std::ostringstream sortie;
  ReglagesCampagne reglages;
  reglages.raconter = true;
  ExecuterCampagne(texte.console, texte.fenetre, *requetes, reglages, sortie);

  Poste<FenPresentation> fenetre(scenario);
  fenetre.fenetre.AttacherConsole(fenetre.console);
  fenetre.fenetre.show();
  const auto trouver = [&](const char* nom) {
    return fenetre.fenetre.findChild<QWidget*>(QString::fromLatin1(nom));
  };
  for (const RequeteScriptee& r : *requetes) {
    // The operator's inputs, as a script gives them.
    if (r.ecranHote) static_cast<QCheckBox*>(trouver("Check1"))->setChecked(*r.ecranHote);
    if (r.modeVente) {
      static_cast<QRadioButton*>(trouver(*r.modeVente ? "Option1" : "Option2"))->setChecked(true);
    }
    if (r.dossier)
      static_cast<QLineEdit*>(trouver("Text2"))->setText(QString::fromStdString(*r.dossier));
    if (r.prix) {
      static_cast<QLineEdit*>(trouver("TextPrix"))->setText(QString::fromStdString(*r.prix));
      QTest::mouseClick(trouver("cmdSetPrix"), Qt::LeftButton);
    }
    QTest::mouseClick(trouver(BoutonDeFamille(r.famille)->nom), Qt::LeftButton);
  }

  std::vector<std::string> lignes;
  auto* liste = static_cast<QListWidget*>(trouver("List1"));
  for (int i = 0; i < liste->count(); ++i) lignes.push_back(liste->item(i)->text().toStdString());
  ASSERT_EQ(texte.fenetre.Lignes().size(), 37u);
  EXPECT_EQ(texte.fenetre.Lignes()[5], "Demande d'enregistrement = OK");
  EXPECT_EQ(lignes, texte.fenetre.Lignes());
  EXPECT_EQ(static_cast<QLineEdit*>(trouver("Text1"))->text().toStdString(), texte.fenetre.Etat());
  EXPECT_EQ(texte.fenetre.Etat(), "DemSwi Pin-pad et lecteur hors service, sécurité activée");
  EXPECT_EQ(fenetre.Fichiers(), texte.Fichiers());
}

}  // namespace
}  // namespace zef30
