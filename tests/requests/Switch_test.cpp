#include "requests/Switch.h"

#include <gtest/gtest.h>

#include "protocol/Trame.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

using essai::Banc;

// A terminal that is ready, accepts the frame and answers with these four data characters.
void ScripterReponse(Banc& banc, const std::string& donnees) {
  essai::ScripterOuverture(banc.port);
  banc.port.Repondre(EncadrerMessage("Aa004" + donnees)).Repondre("\x04");
}

struct Cas {
  std::string donnees;
  std::int16_t code;
  std::string ligne;
  std::string etat;
};

TEST(DemanderSwitch, DecodesEachAnswerInOrderOfPriority) {
  const Cas cas[] = {
      {"0100", 0, "Demande de Switch = Carte présente", ""},
      {"0000", 1, "Demande de Switch = Carte non-présente", ""},
      {"0113", -403, "Demande de Switch = Erreur n°-403",
       "DemSwi Pin-pad et lecteur hors service, sécurité activée"},
      {"0101", -403, "Demande de Switch = Erreur n°-403",
       "DemSwi Pin-pad hors service, sécurité activée"},
      {"0102", -403, "Demande de Switch = Erreur n°-403",
       "DemSwi Lecteur hors service, sécurité activée"},
      {"0021", -403, "Demande de Switch = Erreur n°-403",
       "DemSwi Pin-pad hors service, sécurité activée"},
      {"2120", -404, "Demande de Switch = Erreur n°-404", "DemSwi téléparamétrage en cours"},
      {"0110", -404, "Demande de Switch = Erreur n°-404", "DemSwi télécollecte en cours"},
      {"2000", -405, "Demande de Switch = Erreur n°-405",
       "DemSwi ZEF30S non disponible et switch maintenance positionné"},
      {"0A00", -400, "Demande de Switch = Erreur n°-400", ""},
  };
  for (const auto& c : cas) {
    Banc banc;
    ScripterReponse(banc, c.donnees);
    cmdDemSwi_Click(banc.console);
    ASSERT_EQ(banc.fenetre.lignes.size(), 1u) << c.donnees;
    EXPECT_EQ(banc.fenetre.lignes[0], c.ligne) << c.donnees;
    EXPECT_EQ(banc.fenetre.etat, c.etat) << c.donnees;
    EXPECT_EQ(banc.fenetre.pointeurs, (std::vector<bool>{true, false}));
    EXPECT_EQ(banc.etat.CompteurNonDisponible, 0);
  }
}

TEST(DemanderSwitch, NotAvailableIsToldOnlyOnTheThousandthAnswer) {
  Banc banc;
  banc.fenetre.AfficherEtat("Avant", "rien");
  for (int i = 1; i < 1000; ++i) {
    ScripterReponse(banc, "1000");
    ASSERT_EQ(NumeroSwitch(DemanderSwitch(banc.console)), -405);
  }
  EXPECT_EQ(banc.etat.CompteurNonDisponible, 999);
  EXPECT_EQ(banc.fenetre.etat, "Avant rien");
  ScripterReponse(banc, "1000");
  EXPECT_EQ(NumeroSwitch(DemanderSwitch(banc.console)), -405);
  EXPECT_EQ(banc.fenetre.etat, "DemSwi NON OK (ZEF30S non disponible)");
  EXPECT_EQ(banc.etat.CompteurNonDisponible, 0);
}

TEST(DemanderSwitch, ShortOrEmptyAnswersMatchNoTest) {
  for (const std::string& reponse : {std::string(), std::string("\x02"
                                                                "Aa004")}) {
    Banc banc;
    essai::ScripterOuverture(banc.port);
    banc.port.Repondre(reponse).Repondre("\x04");
    EXPECT_EQ(NumeroSwitch(DemanderSwitch(banc.console)), -400);
  }
}

TEST(DemanderSwitch, FailuresGiveMinus400AndKeepTheStatusLine) {
  Banc sourd;  // probe not answered: nothing is sent after ENQ
  sourd.fenetre.AfficherEtat("Avant", "rien");
  cmdDemSwi_Click(sourd.console);
  EXPECT_EQ(sourd.fenetre.lignes.back(), "Demande de Switch = Erreur n°-400");
  EXPECT_EQ(sourd.port.Ligne(), "\x05");
  EXPECT_EQ(sourd.fenetre.etat, "Avant rien");

  Banc refuse;  // three NAKs
  refuse.port.Repondre("\x06").Repondre("\x15").Repondre("\x15").Repondre("\x15");
  EXPECT_EQ(NumeroSwitch(DemanderSwitch(refuse.console)), -400);

  Banc muet;  // silent after the probe: 10 s for the frame, 10 s for ENQ
  muet.port.Repondre("\x06");
  EXPECT_EQ(NumeroSwitch(DemanderSwitch(muet.console)), -400);
  EXPECT_DOUBLE_EQ(muet.horloge.Ecoule(), 20.0);
}

TEST(DemanderSwitch, PortThatCannotOpenSaysWhyOnTheStatusLine) {
  Banc banc;
  SignalerErreursPort(banc.liaison, banc.fenetre);
  banc.port.RefuserOuverture("port 1 (/dev/ttyS0) : ouverture impossible : No such file");
  cmdDemSwi_Click(banc.console);
  EXPECT_EQ(banc.fenetre.lignes.back(), "Demande de Switch = Erreur n°-400");
  EXPECT_EQ(banc.fenetre.etat, "Ligne port 1 (/dev/ttyS0) : ouverture impossible : No such file");
}

}  // namespace
}  // namespace zef30
