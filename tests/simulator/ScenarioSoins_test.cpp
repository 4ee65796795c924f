// The scenario keys that choose the simulated terminal's terminal-care answers.
#include <gtest/gtest.h>

#include "simulator/LectureScenario.h"

namespace zef30::simulateur {
namespace {

// A reading as these cases look at it: whether it went, and its words.
bool Lire(std::string_view texte, std::string_view nom, Scenario& s, std::string& erreur) {
  const auto lu = LireTexteScenario(texte, nom, s);
  erreur = TexteEchec(lu);
  return lu.Reussi();
}

TEST(ScenarioSoins, ReadsEveryKeyAndRefusesWhatCannotBeSent) {
  Scenario s;
  std::string erreur;
  ASSERT_TRUE(
      Lire("pause=0\ntc.statut=1\ntc.acquereurs=1\ntc.acquereur1=ABCDEF\ntc.acquereur2=GHIJKL\n"
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
    EXPECT_FALSE(Lire(refus, "s.txt", s, erreur)) << refus;
  }
}

}  // namespace
}  // namespace zef30::simulateur
