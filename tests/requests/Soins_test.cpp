// The terminal-care requests that end on a verdict: tele-collection, ISO 2 track, clock, speed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <locale>

#include "base/Texte.h"
#include "console/Gestionnaires.h"
#include "listening/Ecoute.h"
#include "protocol/Trame.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Telecollecte.h"
#include "simulator/Deroulement.h"
#include "simulator/TraficEcoute.h"
#include "tests/support/Banc.h"
#include "tests/support/DossierTemporaire.h"

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
      {"000030000010000002", "000001 : télécollecte OK - 000002 : "},
  };
  for (const Cas& c : cas) {
    const std::string message = "Aj0" + std::to_string(c.donnees.size()) + c.donnees;
    EXPECT_EQ(JugerTelecollecte(EncadrerMessage(message)), c.detail) << c.donnees;
  }
  EXPECT_EQ(JugerTelecollecte(ERR_MESSAGE), " :  -  : ");
}

std::tm Le5Mars2026() {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 2;
  moment.tm_mday = 5;
  moment.tm_hour = 9;
  moment.tm_min = 7;
  moment.tm_sec = 3;
  return moment;
}

// The console on a wall clock that starts on 5 March 2026 at 09:07:03 and moves with the
// virtual one.
struct BancHorloge : essai::Banc {
  essai::DossierTemporaire dossier;
  essai::HorlogeMuraleVirtuelle mur{horloge, Le5Mars2026()};
  FichiersConsole fichiersFixes{dossier.Chemin(), fenetre, mur, std::locale::classic()};
  Console consoleFixe{etat, liaison, fenetre, fichiersFixes};
};

TEST(ServicesTerminal, EachSendsItsMessageAndShowsItsVerdict) {
  struct Cas {
    Gestionnaire clic;
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

const std::string kAck(1, ACK);
const std::string kAffichage = simulateur::TrameAffichage("PASSEZ LA CARTE", "PATIENTEZ");

// The console's ACKs alone on the line (a frame's check character may be one too).
long CompterAcks(const essai::PortScripte& port) {
  const auto& e = port.Ecritures();
  return std::count_if(e.begin(), e.end(), [](const auto& w) { return w.octets == kAck; });
}

// The terminal up to its ENQ, then its reply to each ACK of the console in turn.
void Scripter(essai::PortScripte& port, const std::vector<std::string>& surAck) {
  essai::ScripterOuverture(port);
  for (const auto& r : surAck) port.Repondre(r);
}

TEST(PisteIso2, ListenedToOrReadDirectlyTheAnswerGivesTheSameOutcome) {
  struct Cas {
    std::string donnees;  // of the "Ag" answer
    std::string ligne;
    std::string etat;
    std::string piste;
  };
  const std::string piste = "4970100000000000=29121010000000000000000";
  const std::string courte = EncadrerMessage("Ag0070001234");
  const Cas cas[] = {
      {"000" + piste, "Demande de piste ISO = OK", "", piste},
      {"300" + piste, "Demande de piste ISO = Erreur n°3", "DemIso2 Carte absente (fin time-out)",
       ""},
      {"100" + piste, "Demande de piste ISO = PAS OK", "DemIso2 NON OK (ZEF30S non disponible)",
       ""},
      {"A00" + piste, "Demande de piste ISO = PAS OK", "", ""},
      // What there is from position 10 on, the frame's end included.
      {"0001234", "Demande de piste ISO = OK", "", Extraire(courte, 10, 40)},
  };
  for (const bool ecouter : {false, true}) {
    for (const Cas& c : cas) {
      SCOPED_TRACE(c.donnees + (ecouter ? ", listened to" : ", read directly"));
      essai::Banc banc;
      banc.fenetre.ecranHote = ecouter;
      const std::string reponse = EncadrerMessage(simulateur::MessageReponse("AG", c.donnees));
      // The listener acknowledges the answer itself, and the terminal closes on that ACK: the
      // exchange then sends no second one.
      if (ecouter) {
        Scripter(banc.port, {kAffichage, reponse, "\x04"});
      } else {
        Scripter(banc.port, {reponse, "\x04"});
      }
      Command5_Click(banc.console);
      EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne});
      EXPECT_EQ(banc.fenetre.etat, c.etat);
      EXPECT_EQ(banc.etat.PisteIso2, c.piste);
      EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), Cp1252VersUtf8(c.piste));
      EXPECT_EQ(banc.fenetre.legendes.count(Panneau::PanelAnnulation), ecouter ? 1u : 0u);
      EXPECT_FALSE(banc.fenetre.visibles[Panneau::PanelAnnulation]);
      EXPECT_EQ(banc.port.TailleLecture(), 0);
      EXPECT_LT(banc.horloge.Ecoule(), 1.0);
    }
  }
  // A terminal that closes only on a second ACK still gets it, once its closing character has
  // not come on the first.
  essai::Banc banc;
  banc.fenetre.ecranHote = true;
  Scripter(banc.port,
           {EncadrerMessage(simulateur::MessageReponse("AG", "000" + piste)), "", "\x04"});
  Command5_Click(banc.console);
  EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{"Demande de piste ISO = OK"});
  EXPECT_EQ(banc.port.Ecritures().back().octets, kAck);
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 2.0);
}

TEST(Telecollecte, ListenedToOrReadDirectlyTheSameAnswerGivesTheSameVerdict) {
  struct Cas {
    std::string donnees;  // of the "Aj" answer
    std::string ligne;
    std::string etat;
  };
  const Cas cas[] = {
      {"0000200000100000020", "Télécollecte = OK", ""},
      {"0000200000100000021", "Télécollecte = Pas Ok",
       "Télécollecte 000001 : télécollecte OK - 000002 : télécollecte incomplète"},
      {"000010000012", "Télécollecte = Pas Ok",
       "Télécollecte 000001 : appel erroné ou inefficace -  : "},
      {"000010000010", "Télécollecte = OK", ""},
      {"100010000010", "Télécollecte = Pas Ok", "Télécollecte 000001 : télécollecte OK -  : "},
  };
  const std::string rapport = EncadrerMessage("ITELECOLLECTE");
  const std::string fin = simulateur::TrameAffichage("TELECOLLECTE", "TERMINEE");
  for (const bool ecouter : {false, true}) {
    // One console for every case, as an operator asks again and again.
    BancHorloge banc;
    banc.fenetre.ecranHote = ecouter;
    std::vector<std::string> reponses;
    for (const Cas& c : cas) {
      SCOPED_TRACE(c.donnees + (ecouter ? ", listened to" : ", read directly"));
      banc.fenetre.lignes.clear();
      banc.fenetre.etat.clear();
      reponses.push_back(EncadrerMessage(simulateur::MessageReponse("AJ", c.donnees)));
      // Each frame on the console's ACK of the one before.
      Scripter(banc.port, {kAffichage, rapport, reponses.back(), fin});
      cmdDemTC_Click(banc.consoleFixe);
      EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne});
      EXPECT_EQ(banc.fenetre.etat, c.etat);
      EXPECT_EQ(banc.port.TailleLecture(), 0);
    }
    // Listened to, each tele-collection leaves a report file of its own holding its answer.
    std::vector<std::string> fichiers;
    std::error_code ignore;
    for (const auto& f :
         std::filesystem::directory_iterator(banc.dossier.Fichier("Telec"), ignore)) {
      fichiers.push_back(essai::LireTout(f.path().string()));
    }
    ASSERT_EQ(fichiers.size(), ecouter ? reponses.size() : 0u);
    std::sort(fichiers.begin(), fichiers.end());
    std::sort(reponses.begin(), reponses.end());
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
      EXPECT_EQ(fichiers[i],
                kAffichage + "\r\n" + rapport + "\r\n" + reponses[i] + "\r\n" + fin + "\r\n");
    }
  }
}

TEST(Redemarrage, TheTraceOfTheRestartUpToTheFifthEotGoesToTheTextArea) {
  struct Cas {
    const char* nom;
    std::vector<std::string> surAck;  // the terminal's reply to each ACK of the listener
    std::string affichage;            // the last display frame, shown on PanelRefus
    long acks;
  };
  const std::string eot(1, EOT);
  const std::string pret = simulateur::TrameAffichage("ZEF30S", "PRET");
  const Cas cas[] = {
      {"display frames, then five EOTs", {kAffichage, pret, std::string(5, EOT)}, pret, 3},
      {"EOTs counted across a block, an ENQ and a frame",
       {eot + eot + simulateur::TrameFinEtb("X002AB"), "\x05", pret, eot + eot + eot},
       pret,
       4},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::Banc banc;
    Scripter(banc.port, c.surAck);
    Command6_Click(banc.console);
    std::string trace;
    for (const auto& r : c.surAck) trace += r;
    EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), Cp1252VersUtf8(trace));
    EXPECT_EQ(banc.fenetre.legendes[Panneau::PanelRefus],
              Cp1252VersUtf8(TexteAffichage(c.affichage)));
    EXPECT_FALSE(banc.fenetre.visibles[Panneau::PanelRefus]);
    EXPECT_TRUE(banc.fenetre.lignes.empty());
    EXPECT_EQ(CompterAcks(banc.port), c.acks);
    EXPECT_EQ(banc.port.TailleLecture(), 0);
    EXPECT_LT(banc.horloge.Ecoule(), 1.0) << "ended at once by the fifth EOT";
  }
}

}  // namespace
}  // namespace zef30
