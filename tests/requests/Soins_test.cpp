// The terminal-care requests that end on a verdict: tele-collection, ISO 2 track, clock, speed.
#include <gtest/gtest.h>

#include <locale>

#include "link/Trame.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Telecollecte.h"
#include "tests/console/DossierTemporaire.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

TEST(JugerTelecollecte, EveryAcquirerMustSucceed) {
  struct Cas {
    std::string donnees;
    std::optional<std::string> detail;
  };
  const Cas cas[] = {
      {"000010000010", std::nullopt},
      {"0000200000100000020", std::nullopt},
      {"0000200000100000021", "000001 : télécollecte OK - 000002 : télécollecte incomplète"},
      {"000010000012", "000001 : appel erroné ou inefficace -  : "},
      {"000020000013000002X", "000001 : pas d’appel - 000002 : "},
      {"100010000010", "000001 : télécollecte OK -  : "},
      {"000030000010000002", "000001 : télécollecte OK -  : "},
  };
  for (const Cas& c : cas) {
    const std::string message = "Aj0" + std::to_string(c.donnees.size()) + c.donnees;
    EXPECT_EQ(JugerTelecollecte(EncadrerMessage(message)), c.detail) << c.donnees;
  }
  EXPECT_EQ(JugerTelecollecte(ERR_MESSAGE), " :  -  : ");
}

// The console on a wall clock fixed at 5 March 2026, 09:07:03.
struct BancHorloge : essai::Banc {
  HorlogeMuraleFixe mur{2026, 3, 5, 9, 7, 3};
  FichiersConsole fichiersFixes{"/nonexistent-zef30-data", fenetre, mur, std::locale::classic()};
  Console consoleFixe{etat, liaison, fenetre, fichiersFixes};
};

TEST(ServicesTerminal, ClockAndSpeedSendTheirMessageAndShowTheVerdict) {
  struct Cas {
    void (*clic)(Console&);
    std::string reponse;  // empty: the terminal is not ready
    std::string message;
    std::string ligne;
  };
  const Cas cas[] = {
      {Command2_Click, "As0010", "AS012050326090703", "Mise à l'heure = OK"},
      {Command2_Click, "As0011", "AS012050326090703", "Mise à l'heure = Pas OK"},
      {Command2_Click, "", "", "Mise à l'heure = Erreur n°-500"},
      {cmdDemVitesse_Click, "Aj003001", "AJ0070119200", "Demande = OK"},
      {cmdDemVitesse_Click, "Aj003101", "AJ0070119200", "Demande = Pas OK"},
      {cmdDemVitesse_Click, "", "", "Demande = Pas OK"},
  };
  for (const Cas& c : cas) {
    BancHorloge banc;
    if (!c.reponse.empty()) {
      essai::ScripterOuverture(banc.port);
      banc.port.Repondre(EncadrerMessage(c.reponse)).Repondre("\x04");
    }
    c.clic(banc.consoleFixe);
    EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne});
    if (!c.reponse.empty()) {
      EXPECT_EQ(banc.port.Ecritures()[1].octets, EncadrerMessage(c.message));
      EXPECT_LT(banc.horloge.Ecoule(), 1.0) << c.ligne << ": the whole answer was awaited";
    }
  }
}

TEST(ServicesTerminal, SpeedOneAsksFor9600) {
  essai::Banc banc;
  essai::ScripterOuverture(banc.port);
  banc.port.Repondre(EncadrerMessage("Aj003001")).Repondre("\x04");
  EXPECT_EQ(DemanderVitesse(banc.console, 1), 0);
  EXPECT_EQ(banc.port.Ecritures()[1].octets, EncadrerMessage("AJ0070109600"));
}

TEST(ServicesTerminal, NotReadyRequestsSayItWithTheirOwnNumber) {
  essai::DossierTemporaire dossier;
  essai::Banc banc(dossier.Chemin());
  banc.etat.PisteIso2 = "ancienne";
  banc.fenetre.EcrireTexte(ZoneTexte::txtSelection, "ancien");
  Command5_Click(banc.console);
  EXPECT_EQ(banc.fenetre.lignes.back(), "Demande de piste ISO = Erreur n°-300");
  EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), "");
  cmdDemTC_Click(banc.console);
  EXPECT_EQ(banc.fenetre.lignes.back(), "Télécollecte = Erreur n°-500");
  banc.fenetre.EcrireTexte(ZoneTexte::txtSelection, "ancien");
  Command6_Click(banc.console);
  EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), "");
  EXPECT_EQ(banc.fenetre.lignes.size(), 2u) << "the restart adds no line";
}

}  // namespace
}  // namespace zef30
