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
  essai::DossierTemporaire dossier;
  HorlogeMuraleFixe mur{2026, 3, 5, 9, 7, 3};
  FichiersConsole fichiersFixes{dossier.Chemin(), fenetre, mur, std::locale::classic()};
  Console consoleFixe{etat, liaison, fenetre, fichiersFixes};
};

TEST(ServicesTerminal, EachSendsItsMessageAndShowsItsVerdict) {
  struct Cas {
    void (*clic)(Console&);
    std::string reponse;  // empty: the terminal is not ready
    std::string message;
    std::vector<std::string> lignes;
  };
  const Cas cas[] = {
      {Command2_Click, "As0010", "AS012050326090703", {"Mise à l'heure = OK"}},
      {Command2_Click, "As0011", "AS012050326090703", {"Mise à l'heure = Pas OK"}},
      {Command2_Click, "", "", {"Mise à l'heure = Erreur n°-500"}},
      {cmdDemVitesse_Click, "Aj003001", "AJ0070119200", {"Demande = OK"}},
      {cmdDemVitesse_Click, "Aj003101", "AJ0070119200", {"Demande = Pas OK"}},
      {cmdDemVitesse_Click, "", "", {"Demande = Pas OK"}},
      {Command5_Click, "", "", {"Demande de piste ISO = Erreur n°-300"}},
      {cmdDemTC_Click, "", "", {"Télécollecte = Erreur n°-500"}},
      {Command6_Click, "", "", {}},
  };
  for (const Cas& c : cas) {
    BancHorloge banc;
    if (!c.reponse.empty()) {
      essai::ScripterOuverture(banc.port);
      banc.port.Repondre(EncadrerMessage(c.reponse)).Repondre("\x04");
    }
    banc.etat.TexteTicket = banc.etat.PisteIso2 = "ancien";
    banc.fenetre.EcrireTexte(ZoneTexte::txtSelection, "ancien");
    c.clic(banc.consoleFixe);
    EXPECT_EQ(banc.fenetre.lignes, c.lignes) << c.message;
    if (c.reponse.empty() && c.clic != Command2_Click && c.clic != cmdDemVitesse_Click) {
      EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), "") << "nothing left over";
    }
    if (!c.reponse.empty()) {
      EXPECT_EQ(banc.port.Ecritures()[1].octets, EncadrerMessage(c.message));
      EXPECT_LT(banc.horloge.Ecoule(), 1.0) << c.message << ": the whole answer was awaited";
    }
  }
}

}  // namespace
}  // namespace zef30
