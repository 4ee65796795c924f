// The terminal-care answers of the simulated terminal: the scenario keys that choose them, and
// what the console makes of them over a pseudo-terminal.
#include <gtest/gtest.h>

#include "console/Console.h"
#include "console/FichiersConsole.h"
#include "link/Horloge.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "requests/Services.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "simulator/LectureScenario.h"
#include "simulator/TerminalSimule.h"
#include "tests/console/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"

namespace zef30::simulateur {
namespace {

TEST(ScenarioSoins, ReadsEveryKeyAndRefusesWhatCannotBeSent) {
  Scenario s;
  std::string erreur;
  ASSERT_TRUE(LireTexteScenario(
      "pause=0\ntc.statut=1\ntc.acquereurs=1\ntc.acquereur1=ABCDEF\ntc.acquereur2=GHIJKL\n"
      "tc.code1=2\ntc.code2=3\ntc.ecrans=0\ntc.rapport=non\nrapport.statut=1\nrapport.code=3\n"
      "rapport.remises=9, 0\nrapport.montant=000000000001\nteleparam.statut=2\n"
      "teleparam.code=1\nteleparam.tables=0,1,2\nteleparam.init=0\nteleparam.actif=0\n"
      "iso2.statut=A\niso2.piste=" +
          std::string(40, '7') + "\niso2.ecrans=0\nheure.verdict=1\nvitesse.verdict=2\n",
      "s.txt", s, erreur))
      << erreur;
  const ScenarioSoins& o = s.soins;
  EXPECT_EQ(o.pause, 0);
  EXPECT_EQ(o.statutTelecollecte + std::to_string(o.acquereurs) + o.numerosAcquereurs[0] +
                o.numerosAcquereurs[1] + o.codesTelecollecte[0] + o.codesTelecollecte[1] +
                std::to_string(o.ecransTelecollecte) + (o.rapportTelecollecte ? "oui" : "non"),
            "11ABCDEFGHIJKL230non");
  EXPECT_EQ(o.statutRapport + o.codeRapport + o.montant, "13000000000001");
  EXPECT_EQ(o.remisesParBloc, (std::vector<int>{9, 0}));
  EXPECT_EQ(o.statutTeleParam + o.codeTeleParam + o.initialisee + o.active, "2100");
  EXPECT_EQ(o.tablesParBloc, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(o.statutIso2 + o.piste + std::to_string(o.ecransIso2),
            "A" + std::string(40, '7') + "0");
  EXPECT_EQ(o.verdictHeure + o.verdictVitesse, "12");

  for (const char* refus :
       {"tc.acquereurs=3", "rapport.remises=10", "rapport.remises=2,", "rapport.remises=1,1,1,1,1",
        "teleparam.tables=99,99", "iso2.piste=123", "tc.rapport=peut-être", "pause=-1"}) {
    EXPECT_FALSE(LireTexteScenario(refus, "s.txt", s, erreur)) << refus;
  }
}

TEST(ScenarioSoins, EachChoiceReachesTheConsole) {
  struct Cas {
    std::function<void(ScenarioSoins&)> choisir;
    void (*clic)(Console&);
    std::string ligne;
    std::string etat;
  };
  const Cas cas[] = {
      {[](ScenarioSoins& s) { s.codeRapport = "1"; }, cmdDemTic_Click,
       "Demande de ticket telecol = Erreur n°11", "DemTIC télécollecte incomplète"},
      {[](ScenarioSoins& s) { s.remisesParBloc = {0}; }, cmdDemTic_Click, "Demande de ticket = OK",
       ""},
      {[](ScenarioSoins& s) { s.codeTeleParam = "3"; }, Command4_Click,
       "Demande ticket teleParam = Erreur n°3", "DemEtatTeleParam pas d’appel"},
      {[](ScenarioSoins& s) { s.verdictHeure = "1"; }, Command2_Click, "Mise à l'heure = Pas OK",
       ""},
      {[](ScenarioSoins& s) { s.verdictVitesse = "1"; }, cmdDemVitesse_Click, "Demande = Pas OK",
       ""},
  };
  TerminalSimule terminal;
  std::string erreur;
  const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
  ASSERT_FALSE(chemin.empty()) << erreur;
  terminal.Demarrer();
  TablePorts table;
  table.Associer(1, chemin);
  essai::DossierTemporaire dossier;
  HorlogeSysteme horloge;
  EtatConsole etat;
  PortPosix port(table);
  Liaison liaison(port, horloge, etat.NumeroPortCom);
  essai::FenetreMemoire fenetre;
  FichiersConsole fichiers(dossier.Chemin(), fenetre);
  Console console{etat, liaison, fenetre, fichiers};
  for (const Cas& c : cas) {
    terminal.ModifierScenario([&](Scenario& s) {
      s.soins = ScenarioSoins{};
      s.rafale = true;
      c.choisir(s.soins);
    });
    fenetre.lignes.clear();
    fenetre.etat.clear();
    c.clic(console);
    EXPECT_EQ(fenetre.lignes, std::vector<std::string>{c.ligne});
    EXPECT_EQ(fenetre.etat, c.etat) << c.ligne;
  }
}

}  // namespace
}  // namespace zef30::simulateur
