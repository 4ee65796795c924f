#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/Texte.h"
#include "console/Poste.h"
#include "listening/EchangesEcoute.h"
#include "listening/EcouteMaintenance.h"
#include "listening/EcoutePaiement.h"
#include "listening/EcouteTerminal.h"
#include "protocol/Trame.h"
#include "requests/ModeMaintenance.h"
#include "simulator/Deroulement.h"
#include "simulator/TraficEcoute.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/PortScripte.h"

namespace zef30::essai {
namespace {

using namespace std::chrono_literals;

using simulateur::TrameAffichage;
using simulateur::TrameFinEtb;

std::tm Moment(int heure, int minute, int seconde) {
  std::tm moment{};
  moment.tm_year = 2023 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 31;
  moment.tm_hour = heure;
  moment.tm_min = minute;
  moment.tm_sec = seconde;
  return moment;
}

// A console on a scripted port whose wall clock moves with the virtual one, from 31/12/2023
// 23:50:00 unless told otherwise: every listening of up to 900 s crosses midnight.
struct BancEcoute {
  explicit BancEcoute(std::tm depart = Moment(23, 50, 0))
      : murale(horloge, depart),
        poste(port, horloge, fenetre, dossier.Chemin(), murale, std::locale::classic()) {}
  // The terminal's reply to each of the console's next writes, in order.
  void Repondre(const std::vector<std::string>& reponses) {
    for (const auto& r : reponses) port.Repondre(r);
  }

  DossierTemporaire dossier;
  HorlogeVirtuelle horloge;
  PortScripte port{horloge};
  FenetreMemoire fenetre;
  HorlogeMuraleVirtuelle murale;
  Poste poste;
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

const std::string kEot(1, EOT);
const std::string kAck(1, ACK);
const std::string kBlanc = TrameAffichage("", "");
const std::string kAk = EncadrerMessage("Ak0120123456789AB");
const std::string kAl9 = EncadrerMessage("Al0039XY");
const std::string kAg = EncadrerMessage("Ag0050;123");
const std::string kAj = EncadrerMessage("Aj0190001234560000000");
const std::string kAff = TrameAffichage("INSEREZ CARTE", "PUIS CODE");
const std::string kRapport = EncadrerMessage("R004LIGNE");
const std::string kLongue = "Ak300" + std::string(300, '7');
const std::string kBloc1 = TrameFinEtb(kLongue.substr(0, 248));
const std::string kBloc2 = EncadrerMessage(kLongue.substr(248));

TEST(Ecoute, EachListenerEndsOnItsOwnMarkOrAtItsLimit) {
  struct Cas {
    const char* nom;
    std::string (*ecouter)(Console&);
    std::vector<std::string> reponses;  // the terminal's reply to each write of the console
    std::string resultat;
    double fin;  // virtual seconds
    int ecritures;
    std::string boite;
    bool portFerme = false;
  };
  const std::string cinqEot(5, EOT);
  const std::vector<Cas> cas = {
      {"validity: answer then blank display", EcouterDemVAl, {kAk, kBlanc, ""}, kAk, 1, 3, ""},
      {"validity: blank display then answer", EcouterDemVAl, {kBlanc, kAk, ""}, kAk, 1, 3, ""},
      {"validity: length 300 reads 61 more",
       EcouterDemVAl,
       {kBloc1, kBloc2, kBlanc, ""},
       JoindreBlocs(kBloc1, kBloc2),
       1,
       4,
       ""},
      {"validity: no answer", EcouterDemVAl, {kAff}, "", 300, 2, ""},
      {"registration: status 9 at once", EcouterDemEnr, {kAl9, kBlanc}, kAl9, 0, 2, ""},
      {"registration: length not a number",
       EcouterDemEnr,
       {EncadrerMessage("AlX1Z0")},
       "",
       0,
       2,
       "Écoute de la demande d’enregistrement : longueur « X1Z » de la réponse illisible"},
      {"restart: fifth EOT", EcouterDemarrage, {kAff, cinqEot}, kAff + cinqEot, 0, 2, ""},
      {"restart: four EOTs",
       EcouterDemarrage,
       {kAff, kEot + kEot + kEot + kEot},
       kAff + "\4\4\4\4",
       300,
       2,
       ""},
      {"ISO 2: Ag by ETX", EcouterDemISO2, {kAff, kAg}, kAg, 0, 3, ""},
      {"ISO 2: Ag by ETB left unacknowledged",
       EcouterDemISO2,
       {TrameFinEtb("Ag0050;123")},
       TrameFinEtb("Ag0050;123"),
       0,
       1,
       ""},
      {"ISO 2: quiet line", EcouterDemISO2, {}, "", 120, 1, ""},
      {"tele-collection: display after Aj", EcouterDemTC, {kAff, kAj, kAff, "x"}, kAff, 0, 4, ""},
      {"tele-collection: displays before Aj never end it",
       EcouterDemTC,
       {kAff, kAff, kAff},
       kAff,
       900,
       4,
       ""},
      {"lost line",
       EcouterDemVAl,
       {},
       "",
       0,
       1,
       "Écoute de la demande de validité : la ligne série est fermée ou perdue",
       true},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    BancEcoute banc;
    if (!c.portFerme) banc.port.Ouvrir(1, "");
    banc.Repondre(c.reponses);
    EXPECT_EQ(c.ecouter(banc.console), c.resultat);
    EXPECT_NEAR(banc.horloge.Ecoule(), c.fin, 0.01);
    EXPECT_EQ(banc.port.Ecritures().size(), static_cast<std::size_t>(c.ecritures));
    EXPECT_EQ(banc.port.TailleLecture(), 0);
    std::string boite;
    for (const auto& b : banc.fenetre.boites) boite += b.texte;
    EXPECT_EQ(boite, c.boite);
  }
}

// `trame` with `controle` for its check character.
std::string AvecControle(std::string trame, char controle) {
  trame.back() = controle;
  return trame;
}

TEST(Ecoute, DisplayFramesShowTwoLinesAndValidityHidesWhatIsTyped) {
  struct Cas {
    std::string (*ecouter)(Console&);
    std::string trame;
    std::string legende;
  };
  const std::vector<Cas> cas = {
      {EcouterDemVAl, TrameAffichage("10.00 EUR", "CODE ****"),
       std::string(16, ' ') + "\r\nCODE ****       "},
      {EcouterDemVAl, TrameAffichage("10.00 EUR", "MERCI"), "10.00 EUR       \r\nMERCI           "},
      {EcouterDemEnr, TrameAffichage("10.00 EUR", "CODE"), "10.00 EUR       \r\nCODE            "},
      // A check character that is an STX, as any byte may be: the frame starts before it.
      {EcouterDemEnr, AvecControle(TrameAffichage("10.00 EUR", "MERCI"), STX),
       "10.00 EUR       \r\nMERCI           "},
      // Longer than any frame a header announces: its STX starts none, nothing is shown.
      {EcouterDemEnr, EncadrerMessage("D" + std::string(kTrameMax, 'x')), ""},
  };
  for (const Cas& c : cas) {
    BancEcoute banc;
    banc.port.Ouvrir(1, "");
    banc.Repondre({c.trame});
    c.ecouter(banc.console);
    EXPECT_EQ(banc.fenetre.legendes[Panneau::PanelAnnulation], c.legende);
  }
}

TEST(Ecoute, TeleCollectionWritesEachBlockAsALineOfItsReportFile) {
  BancEcoute banc;
  banc.port.Ouvrir(1, "");
  const std::string bloc = TrameFinEtb("R004PART");
  banc.Repondre({bloc, kRapport, kAj, kAff, "x"});
  EXPECT_EQ(EcouterDemTC(banc.console), kAff);
  const std::string chemin = banc.dossier.Fichier("Telec/31-12-2023-85800.txt");
  EXPECT_EQ(LireTout(chemin), bloc + "\r\n" + kRapport + "\r\n" + kAj + "\r\n" + kAff + "\r\n");
}

TEST(Ecoute, EachTeleCollectionListeningHasAReportFileOfItsOwnAndAcknowledgesFirst) {
  struct Cas {
    const char* nom;
    double pause;                       // virtual seconds before the second listening
    std::vector<std::string> fichiers;  // in Telec/ afterwards, one each; none: Telec a file
  };
  const std::vector<Cas> cas = {
      {"a quarter of a second apart", 0.25, {"31-12-2023-85800.25.txt", "31-12-2023-85800.txt"}},
      {"at the same instant", 0, {"31-12-2023-85800.txt", "31-12-2023-85800_2.txt"}},
      {"Telec a plain file", 0, {}},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    BancEcoute banc;
    banc.port.Ouvrir(1, "");
    if (c.fichiers.empty()) EcrireTout(banc.dossier.Fichier("Telec"), "");
    for (int ecoute = 0; ecoute < 2; ++ecoute) {
      banc.horloge.Avancer(Horloge::Secondes(ecoute * c.pause));
      banc.Repondre({kAj, kAff, "x"});
      EcouterDemTC(banc.console);
    }
    // The terminal's ENQ is acknowledged before anything else, file error or not.
    EXPECT_EQ(banc.port.Ligne().substr(0, 1), kAck);
    for (const std::string& nom : c.fichiers) {
      EXPECT_EQ(LireTout(banc.dossier.Fichier("Telec/" + nom)), kAj + "\r\n" + kAff + "\r\n");
    }
    EXPECT_EQ(banc.fenetre.boites.size(), c.fichiers.empty() ? 2u : 0u);
    for (const auto& b : banc.fenetre.boites) {
      EXPECT_EQ(b.texte, "Écoute de la télécollecte : " +
                             banc.dossier.Fichier("Telec/31-12-2023-85800.txt") +
                             " : fichier impossible à ouvrir : " + DecrireErreur(ENOTDIR));
    }
  }
}

TEST(Ecoute, ExchangesHandOverAndReturnTheAnswer) {
  using Echange = std::function<std::string(Console&)>;
  struct Cas {
    const char* nom;
    Echange echanger;
    std::vector<std::string> reponses;
    std::string resultat;
    std::string ticket;  // TexteTicket afterwards
    int acks;            // ACKs the console sent
    // Not empty: one more reply, in pieces at those delays.
    std::vector<PortScripte::Morceau> morceaux = {};
  };
  const std::string nak(1, NAK);
  const auto tc = [](bool ecouter) {
    return
        [ecouter](Console& c) { return TexteReponse(EchangerDemTC(c, "AJ00204", 900s, ecouter)); };
  };
  const auto iso2 = [](Console& c) { return TexteReponse(EchangerDemISO2(c, "AG000", 60s, true)); };
  const std::vector<Cas> cas = {
      {"restart refused three times",
       [](Console& c) { return EchangerDemarrage(c, "AU000", 60s).ValeurOu({}); },
       {nak, nak, nak, kEot},
       "",
       "avant",
       0},
      {"tele-collection refused three times",
       tc(true),
       {nak, nak, nak, kEot},
       "ERR_MESSAGE",
       "avant",
       0},
      {"tele-collection, direct read",
       tc(false),
       {kAck, "\5", kRapport + kAj + kEot},
       kAj + kEot,
       "R004LIGNE",
       3},
      {"tele-collection, direct read, its marker cut by a pause",
       tc(false),
       {kAck, "\5"},
       kAj + kEot,
       "R004LIGNE",
       3,
       {{0, kRapport + kAj.substr(0, 4)}, {12, kAj.substr(4) + kEot}}},
      {"direct read, no marker", tc(false), {kAck, "\5", kRapport}, "", "R004LIG", 2},
      {"tele-collection, listened to",
       tc(true),
       {kAck, "\5", kRapport, kAj, kAff, "x"},
       kAj,
       "R004LIGNE",
       4},
      {"ISO 2 by ETX: one more ACK", iso2, {kAck, "\5", kAg, "", kEot}, kAg, "avant", 3},
      {"ISO 2 by ETB: the exchange's ACK",
       iso2,
       {kAck, "\5", TrameFinEtb("Ag0050;123"), kEot},
       TrameFinEtb("Ag0050;123"),
       "avant",
       2},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    BancEcoute banc;
    banc.etat.TexteTicket = "avant";
    banc.Repondre(c.reponses);
    if (!c.morceaux.empty()) banc.port.RepondreEnMorceaux(c.morceaux);
    EXPECT_EQ(c.echanger(banc.console), c.resultat);
    EXPECT_EQ(banc.etat.TexteTicket, c.ticket);
    const std::string ligne = banc.port.Ligne();
    EXPECT_EQ(std::count(ligne.begin(), ligne.end(), ACK), c.acks);
    EXPECT_EQ(banc.port.TailleLecture(), 0);
  }
}

TEST(Ecoute, MaintenanceRecordsTheTrafficUntilSortieEcoute) {
  BancEcoute banc(Moment(10, 20, 40));
  const std::string autre = EncadrerMessage("M011CODE ERRON\xC9");
  std::string bruit;  // every byte once: its ENQ, ETX and ETB are acknowledged
  for (int octet = 0; octet < 256; ++octet) bruit += static_cast<char>(octet);
  banc.port.Arriver("\5", 0.5);
  banc.port.Arriver(bruit, 20);
  banc.Repondre({kAff, "", autre});
  std::vector<std::string> horloges;
  banc.fenetre.surCession = [&] {
    const std::string legende = banc.fenetre.legendes[Panneau::Label6];
    if (horloges.empty() || horloges.back() != legende) horloges.push_back(legende);
    if (banc.horloge.Ecoule() > 25) Command1_Click(banc.console);
  };
  cmdLitPuceSync_Click(banc.console);

  EXPECT_EQ(banc.port.Ligne(), "\6\5\6\6\6\6\6");  // ACK then ENQ, then ACKs
  const std::string trace = Cp1252VersUtf8(kAff + autre + bruit);
  EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), trace);
  const std::string journal = LireTout(banc.dossier.Fichier("ZEF30test.txt"));
  EXPECT_NE(journal.find(trace + "\r\n"), std::string::npos);
  EXPECT_NE(journal.find("CODE ERRONÉ\x10\x03"), std::string::npos);
  EXPECT_EQ(banc.fenetre.legendes[Panneau::PanelAnnulation],
            "INSEREZ CARTE   \r\nPUIS CODE       ");
  EXPECT_TRUE(banc.fenetre.visibles[Panneau::PanelRefus]);
  EXPECT_EQ(banc.fenetre.fonds[Panneau::Label6], std::nullopt);
  const auto tourne = std::find(horloges.begin(), horloges.end(), "EN ECOUTE 0:19");
  ASSERT_NE(tourne, horloges.end());
  ASSERT_NE(tourne + 1, horloges.end());
  EXPECT_EQ(*(tourne + 1), "EN ECOUTE 1:0");
}

TEST(Ecoute, AFrameAppendedDuringMaintenanceShowsItsDataAndEnd) {
  BancEcoute banc;
  banc.port.Ouvrir(1, "");
  const std::string autre = EncadrerMessage("M011CODE ERRON\xC9");
  banc.Repondre({autre});
  banc.port.Arriver("\5", 0.5);
  banc.fenetre.surCession = [&] {
    if (banc.horloge.Ecoule() > 3) banc.etat.ArretEcoute = true;
  };
  EcouterModeMaintenance(banc.console);
  EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection), "\r\n011CODE ERRONÉ\x10\x03Î");
}

}  // namespace
}  // namespace zef30::essai
