// Validity, registration and dossier requests on a scripted terminal, answers read directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

#include "link/Trame.h"
#include "requests/Dossiers.h"
#include "requests/Enregistrement.h"
#include "requests/Validite.h"
#include "simulator/Deroulement.h"
#include "tests/console/DossierTemporaire.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

using essai::Banc;
using Champs = std::initializer_list<std::pair<long, std::string>>;

// An answer `code` of `longueur` data characters: blanks, and `champs` at their frame positions.
std::string Reponse(const char* code, std::size_t longueur, Champs champs) {
  std::string donnees(longueur, ' ');
  for (const auto& [position, texte] : champs) donnees.replace(position - 7, texte.size(), texte);
  return simulateur::MessageReponse(code, donnees);
}

// Ready, accepted, then the answer's blocks on the console's ACKs and EOT on the last one.
void Scripter(Banc& banc, const std::string& message) {
  essai::ScripterOuverture(banc.port);
  for (const auto& bloc : simulateur::BlocsReponse(message)) banc.port.Repondre(bloc.octets);
  banc.port.Repondre("\x04");
}

// A console with files of its own, reading answers directly.
struct AvecDossier {
  essai::DossierTemporaire dossier;
};
struct BancPaiement : AvecDossier, Banc {
  BancPaiement() : Banc(dossier.Chemin()) { fenetre.ecranHote = false; }
  std::string Journal() const { return essai::LireTout(dossier.Fichier("ZEF30test.txt")); }
};

TEST(Paiement, MessagesCarryPriceAndDossierInTheirFixedFields) {
  const struct {
    std::function<void(Console&)> demander;
    double prix, dossier;
    std::string message;
  } cas[] = {
      {[](Console& c) { DemanderValidite(c, false); }, 1250, 42,
       "AK029000001250109782D0000000000421"},
      {[](Console& c) { DemanderValiditeForfait(c, false); }, 1250, 42, "AK016000001250309782D"},
      {[](Console& c) { DemanderValidite(c, false); }, 0, 1, "AK029000000000109782D0000000000011"},
      {[](Console& c) { DemanderValidite(c, false); }, 99999999, 1,
       "AK029099999999109782D0000000000011"},
      {[](Console& c) { DemanderEnregistrementSimple(c); }, 1250, 42, "AL01100001250978"},
      {[](Console& c) { DemanderInfoDossier(c); }, 1250, 42, "AJ01408000000000042"},
      {[](Console& c) { DemanderInfoDossier(c); }, 0, 999999999999., "AJ01408999999999999"},
  };
  for (const auto& c : cas) {
    Banc banc;
    banc.etat.Prix = c.prix;
    banc.etat.NumeroDossier = c.dossier;
    Scripter(banc, Reponse("AK", 4, {{7, "1"}}));
    c.demander(banc.console);
    EXPECT_EQ(banc.port.Ecritures().at(1).octets, EncadrerMessage(c.message)) << c.message;
  }
}

TEST(Paiement, FieldsThatDoNotFitAreNeverSent) {
  const struct {
    double prix, dossier;
    std::string etat;
  } cas[] = {
      {100000000, 1, "DemVal prix hors limites (0 à 99999999 centimes) : rien n’est envoyé"},
      {-1, 1, "DemVal prix hors limites (0 à 99999999 centimes) : rien n’est envoyé"},
      {12.5, 1, "DemVal prix hors limites (0 à 99999999 centimes) : rien n’est envoyé"},
      {1, 1e12, "DemVal numéro de dossier hors limites (0 à 999999999999) : rien n’est envoyé"},
  };
  for (const auto& c : cas) {
    Banc banc;
    banc.etat.Prix = c.prix;
    banc.etat.NumeroDossier = c.dossier;
    EXPECT_EQ(DemanderValidite(banc.console, false), -700);
    EXPECT_EQ(banc.fenetre.etat, c.etat);
    EXPECT_TRUE(banc.port.Ecritures().empty());
  }
}

// A validity answer: status, diagnostic, card number, end of validity and amount.
std::string ReponseValidite(const std::string& etat) {
  return Reponse("AK", 313,
                 {{7, etat},
                  {193, "4970100000001234"},
                  {216, "2907"},
                  {252, "A1B2C3"},
                  {259, "00001250"},
                  {267, "EUR"}});
}

TEST(Paiement, ValidityShowsCardAndReceiptOrWhyItWasRefused) {
  const struct {
    bool venteMode;
    std::string etat;
    std::string ligne, statut, carte, date;
  } cas[] = {
      {false, "000", "Demande de Validité = OK", " ", "4970100000001234", "07/29"},
      {false, "952", "Demande de Validité = Erreur n°2",
       "Carte refusée DemVal Cause: PB ACCES CENTRE - PROBLEME DE LIAISON AU CENTRE "
       "D'AUTORISATION 52",
       "", ""},
      {false, "F00", "Demande de Validité = Erreur n°2",
       "Carte refusée DemVal Cause: NUMERO DE DOSSIER DEJA EXISTANT - DIAGNOSTIC OK 00", "", ""},
      {false, "623", "Demande de Validité = Pas OK",
       "Carte refusée DemVal Cause: PB CARTE INVALIDE - CARTE NON VALIDE 23", "", ""},
      {true, "F00", "Demande de Validité = Pas OK",
       "Carte refusée DemVal Cause: NUMERO DE DOSSIER DEJA EXISTANT - DIAGNOSTIC OK 00", "", ""},
      {true, "000", "Demande de Validité = OK", " ", "", ""},
  };
  for (const auto& c : cas) {
    BancPaiement banc;
    banc.fenetre.modeVente = c.venteMode;
    banc.etat.NumeroCarte = "carte d’avant";
    banc.etat.TexteTicket = "ticket d’avant";
    Scripter(banc, ReponseValidite(c.etat));
    cmdDemVal_Click(banc.console);
    EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne}) << c.etat;
    EXPECT_EQ(banc.fenetre.etat, c.statut) << c.etat;
    EXPECT_EQ(banc.fenetre.numeroCarte, c.carte) << c.etat;
    EXPECT_EQ(banc.fenetre.dateValidite_, c.date) << c.etat;
    EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::Text2), c.venteMode ? "" : "1");
    const std::string ticket = banc.fenetre.LireTexte(ZoneTexte::txtSelection);
    EXPECT_EQ(ticket.find("d’avant"), std::string::npos);
    EXPECT_EQ(banc.Journal().find("d’avant"), std::string::npos);
    if (!c.carte.empty()) {
      EXPECT_NE(ticket.find("AUTO: A1B2C3"), std::string::npos);
      EXPECT_NE(banc.Journal().find(ticket), std::string::npos);
    }
  }
}

TEST(Paiement, AFailedOrUnansweredValidityIsTold) {
  BancPaiement refuse;  // three NAKs
  refuse.port.Repondre("\x06").Repondre("\x15").Repondre("\x15").Repondre("\x15");
  cmdDemVal_Click(refuse.console);
  EXPECT_EQ(refuse.fenetre.lignes.back(), "Demande de Validité = Pas OK");
  EXPECT_EQ(refuse.fenetre.etat, "Carte refusée DemVal Cause:  - SA");

  BancPaiement sourd;
  cmdDemVal_Click(sourd.console);
  EXPECT_EQ(sourd.fenetre.lignes.back(), "Demande de Validité = Erreur n°-700");
  EXPECT_EQ(sourd.fenetre.LireTexte(ZoneTexte::Text2), "1");
}

TEST(Paiement, PriceIsAWholeNumberOfCentsThatFitsItsField) {
  const struct {
    std::string texte;
    double prix;
    bool accepte;
  } cas[] = {{"1250", 1250, true}, {"0", 0, true},          {"99999999", 99999999, true},
             {" 12.5 ", 12, true}, {"100000000", 7, false}, {"-1", 7, false},
             {"12,50", 7, false},  {"", 7, false}};
  for (const auto& c : cas) {
    Banc banc;
    banc.etat.Prix = 7;
    banc.fenetre.EcrireTexte(ZoneTexte::TextPrix, c.texte);
    cmdSetPrix_Click(banc.console);
    EXPECT_EQ(banc.etat.Prix, c.prix) << c.texte;
    EXPECT_EQ(banc.fenetre.lignes.size(), c.accepte ? 1u : 0u) << c.texte;
    if (c.accepte) {
      EXPECT_EQ(banc.fenetre.lignes[0], "Prix fixé = " + c.texte);
    } else {
      EXPECT_TRUE(banc.fenetre.etat.starts_with("Prix « " + c.texte + " »"));
    }
  }
}

// A registration answer without dossier: status, card, end of validity, the two amounts.
std::string ReponseEnregistrement(const std::string& etat) {
  return Reponse("AL", 355,
                 {{7, etat},
                  {176, "4970100000001234"},
                  {199, "2907"},
                  {248, "00001250"},
                  {256, "EUR"},
                  {272, "00001250"}});
}

TEST(Paiement, RegistrationShowsTheReceiptOrTheCause) {
  const struct {
    bool venteMode;
    std::string etat;
    std::string ligne, statut, carte;
  } cas[] = {
      {true, "0", "Demande d'enregistrement = OK", "", "4970100000001234"},
      {true, "6", "Demande d'enregistrement = Pas OK",
       "Carte refusée DemEnr Cause: solvabilité annulée sur montant = 0", ""},
      {true, "7", "Demande d'enregistrement = Pas OK", "Carte refusée DemEnr Cause: ", ""},
      // With a dossier the exchange fails until the terminal hands its answer over.
      {false, "0", "Demande d'enregistrement = Pas OK", "Carte refusée DemEnr Cause: ", ""},
  };
  for (const auto& c : cas) {
    BancPaiement banc;
    banc.fenetre.modeVente = c.venteMode;
    Scripter(banc, ReponseEnregistrement(c.etat));
    cmdDemEnr_Click(banc.console);
    EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne}) << c.etat;
    EXPECT_EQ(banc.fenetre.etat, c.statut) << c.etat;
    EXPECT_EQ(banc.fenetre.numeroCarte, c.carte) << c.etat;
    if (!c.carte.empty()) {
      EXPECT_EQ(banc.fenetre.dateValidite_, "07/29");
      EXPECT_NE(banc.fenetre.LireTexte(ZoneTexte::txtSelection).find("MONTANT REEL = 12.50 EUR"),
                std::string::npos);
    }
  }
  Banc sourd;
  sourd.fenetre.modeVente = true;
  cmdDemEnr_Click(sourd.console);
  EXPECT_EQ(sourd.fenetre.lignes.back(), "Demande d'enregistrement = Erreur n°-200");
}

TEST(Paiement, CancellationSetsThePriceToZeroOnlyWhenItIsSent) {
  Banc envoye;
  envoye.etat.Prix = 1250;
  Command3_Click(envoye.console);
  EXPECT_EQ(envoye.etat.Prix, 0);

  Banc illisible;
  illisible.etat.Prix = 1250;
  illisible.fenetre.EcrireTexte(ZoneTexte::Text2, "quarante");
  Command3_Click(illisible.console);
  EXPECT_EQ(illisible.etat.Prix, 1250);
  EXPECT_TRUE(illisible.port.Ecritures().empty());
  EXPECT_TRUE(illisible.fenetre.lignes.empty());
}

// A dossier information answer: accepted, the dossier exists, its card and amount.
std::string ReponseDossier() {
  return Reponse(
      "AJ", 313,
      {{7, "0081"}, {191, "4970100000001234"}, {214, "2907"}, {271, "EUR"}, {287, "00001250"}});
}

TEST(Paiement, DossierFieldIsReadOverTheWholeRangeOfDossierNumbers) {
  const struct {
    std::string texte;
    std::string message;  // empty: nothing sent
    std::string ligne;
  } cas[] = {
      {"42", "AJ01408000000000042", "Demande info Dossier No 42 = OK"},
      {"40000", "AJ01408000000040000", "Demande info Dossier No 40000 = OK"},
      {"2147483648", "AJ01408002147483648", "Demande info Dossier No 2147483648 = OK"},
      {" 15.4 ", "AJ01408000000000015", "Demande info Dossier No 15 = OK"},
      {"", "AJ01408000000000007", "Demande info Dossier No 7 = OK"},
      {"abc", "", ""},
      {"-1", "", ""},
      {"1000000000000", "", ""},
  };
  for (const auto& c : cas) {
    BancPaiement banc;
    banc.etat.NumeroDossier = 7;
    banc.fenetre.EcrireTexte(ZoneTexte::Text2, c.texte);
    Scripter(banc, ReponseDossier());
    cmdDemAbdn_Click(banc.console);
    if (c.message.empty()) {
      EXPECT_TRUE(banc.port.Ecritures().empty()) << c.texte;
      EXPECT_TRUE(banc.fenetre.lignes.empty()) << c.texte;
      EXPECT_EQ(banc.fenetre.etat, "DemInfo « " + c.texte +
                                       " » n’est pas un numéro de dossier (0 à 999999999999) : "
                                       "rien n’est envoyé");
      continue;
    }
    EXPECT_EQ(banc.port.Ecritures().at(1).octets, EncadrerMessage(c.message)) << c.texte;
    EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne}) << c.texte;
    EXPECT_EQ(banc.fenetre.numeroCarte, "4970100000001234");
    const std::string ticket = banc.fenetre.LireTexte(ZoneTexte::txtSelection);
    EXPECT_NE(ticket.find("MONTANT FORFAITAIRE = \r\n\t12.50 EUR"), std::string::npos);
    EXPECT_NE(banc.Journal().find(ticket), std::string::npos);
  }
  Banc inconnu;
  Scripter(inconnu, Reponse("AJ", 4, {{7, "0080"}}));
  cmdDemAbdn_Click(inconnu.console);
  EXPECT_EQ(inconnu.fenetre.lignes.back(), "Demande info Dossier No 0 = pas trouvé");
}

// A frame of dossier numbers: whether another follows, then the numbers.
std::string TrameNumeros(bool suite, const std::string& numeros) {
  return EncadrerMessage(simulateur::MessageReponse(
      "AJ", std::string("07") + (suite ? "01" : "00") + "CBEMV 000   " + numeros));
}

TEST(Paiement, DossierListWalksItsFramesWhateverTheOrderOfTheBlocks) {
  const std::string n11 = "000000000011", n12 = "000000000012", n13 = "000000000013";
  const struct {
    std::string entete;
    std::string trameA, trameB;
    std::vector<std::string> lignes;
  } cas[] = {
      {"00702CBEMV 002CB    001",
       TrameNumeros(true, n11 + n12),
       TrameNumeros(false, n13),
       {"Demande liste doss = 3", "Dossier No 1 = " + n11, "Dossier No 2 = " + n12,
        "Dossier No 3 = " + n13}},
      {"00702CB    001CBEMV 002",
       TrameNumeros(true, n13),
       TrameNumeros(false, n11 + n12),
       {"Demande liste doss = 3", "Dossier No 1 = " + n11, "Dossier No 2 = " + n12,
        "Dossier No 3 = " + n13}},
      {"00701CBEMV 002",
       TrameNumeros(false, n11 + n12),
       "",
       {"Demande liste doss = 2", "Dossier No 1 = " + n11, "Dossier No 2 = " + n12}},
      // A count that points past the frame's end adds only what the frame holds.
      {"00701CBEMV 005",
       TrameNumeros(false, n11 + n12.substr(0, 6)),
       "",
       {"Demande liste doss = 5", "Dossier No 1 = " + n11}},
      {"00700", "", "", {"Demande liste doss = 0", "Pas de Dossier en cours"}},
      {"1", "", "", {"Demande liste doss = 1"}},
  };
  for (const auto& c : cas) {
    Banc banc;
    essai::ScripterOuverture(banc.port);
    banc.port.Repondre(EncadrerMessage(simulateur::MessageReponse("AJ", c.entete)));
    banc.port.Repondre("\x04").Repondre("\x05").Repondre(c.trameA).Repondre("\x04");
    banc.port.Repondre(c.trameB.empty() ? "\x04" : "\x05").Repondre(c.trameB).Repondre("\x04");
    cmdDemConf_Click(banc.console);
    EXPECT_EQ(banc.fenetre.lignes, c.lignes) << c.entete;
    const auto entrees = std::count_if(c.lignes.begin(), c.lignes.end(),
                                       [](const auto& l) { return l.starts_with("Dossier No"); });
    EXPECT_EQ(banc.fenetre.listeDossiers.size(), static_cast<std::size_t>(entrees));
    // Every wait ended on what the terminal sent, none on a time-out.
    EXPECT_LT(banc.horloge.Ecoule(), 10.0) << c.entete;
  }
}

}  // namespace
}  // namespace zef30
