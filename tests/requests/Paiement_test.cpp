// Validity, registration and dossier requests on a scripted terminal, answers read directly.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <utility>

#include "protocol/Trame.h"
#include "requests/Dossiers.h"
#include "requests/Enregistrement.h"
#include "requests/Validite.h"
#include "simulator/Deroulement.h"
#include "tests/support/Banc.h"
#include "tests/support/DossierTemporaire.h"

namespace zef30 {
namespace {

using essai::Banc;
using Champs = std::initializer_list<std::pair<long, std::string>>;
const std::string kCarte = "4970100000001234";

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
      {[](Console& c) { static_cast<void>(DemanderValidite(c, false)); }, 1250, 42,
       "AK029000001250109782D0000000000421"},
      {[](Console& c) { static_cast<void>(DemanderValiditeForfait(c, false)); }, 1250, 42,
       "AK016000001250309782D"},
      {[](Console& c) { static_cast<void>(DemanderValidite(c, false)); }, 0, 1,
       "AK029000000000109782D0000000000011"},
      {[](Console& c) { static_cast<void>(DemanderValidite(c, false)); }, 99999999, 1,
       "AK029099999999109782D0000000000011"},
      {[](Console& c) { static_cast<void>(DemanderEnregistrementSimple(c)); }, 1250, 42,
       "AL01100001250978"},
      {[](Console& c) { static_cast<void>(DemanderInfoDossier(c)); }, 1250, 42,
       "AJ01408000000000042"},
      // A field that does not fit its place is never sent.
      {[](Console& c) { static_cast<void>(DemanderValidite(c, false)); }, 100000000, 1, ""},
      {[](Console& c) { static_cast<void>(DemanderEnregistrementSimple(c)); }, 12.5, 1, ""},
      {[](Console& c) { static_cast<void>(DemanderInfoDossier(c)); }, 0, 1e12, ""},
  };
  for (const auto& c : cas) {
    Banc banc;
    banc.etat.Prix = c.prix;
    banc.etat.NumeroDossier = c.dossier;
    Scripter(banc, Reponse("AK", 4, {{7, "1"}}));
    c.demander(banc.console);
    const auto& ecritures = banc.port.Ecritures();
    EXPECT_EQ(ecritures.empty() ? "" : ecritures.at(1).octets,
              c.message.empty() ? "" : EncadrerMessage(c.message));
  }
}

// A validity answer: status, diagnostic, card number, end of validity and amount.
std::string ReponseValidite(const std::string& etat) {
  return Reponse("AK", 313,
                 {{7, etat}, {193, kCarte}, {216, "2907"}, {252, "A1B2C3"}, {259, "00001250EUR"}});
}

TEST(Paiement, ValidityShowsCardAndReceiptOrWhyItWasRefused) {
  const std::string refus = "Carte refusée DemVal Cause: ";
  const std::string existant = refus + "NUMERO DE DOSSIER DEJA EXISTANT - DIAGNOSTIC OK 00";
  const struct {
    bool venteMode;
    std::string etat, resultat, statut, carte;
  } cas[] = {
      {false, "000", "OK", "", kCarte},
      {false, "952", "Erreur n°2",
       refus + "PB ACCES CENTRE - PROBLEME DE LIAISON AU CENTRE D'AUTORISATION 52", ""},
      {false, "F00", "Erreur n°2", existant, ""},
      {false, "623", "Pas OK", refus + "PB CARTE INVALIDE - CARTE NON VALIDE 23", ""},
      {true, "F00", "Pas OK", existant, ""},
      {true, "000", "OK", "", ""},
  };
  for (const auto& c : cas) {
    BancPaiement banc;
    banc.fenetre.modeVente = c.venteMode;
    banc.etat.NumeroCarte = "carte d’avant";
    banc.etat.TexteTicket = "ticket d’avant";
    Scripter(banc, ReponseValidite(c.etat));
    cmdDemVal_Click(banc.console);
    EXPECT_EQ(banc.fenetre.lignes.at(0), "Demande de Validité = " + c.resultat) << c.etat;
    // A dossier the terminal already holds: a fresh counter facing the same terminal, said once.
    const bool dejaConnu = c.etat == "F00" && !c.venteMode;
    ASSERT_EQ(banc.fenetre.indices.size(), dejaConnu ? 1u : 0u) << c.etat;
    if (dejaConnu) {
      EXPECT_NE(banc.fenetre.indices[0].find("ZEF30numDossier.ini"), std::string::npos);
      EXPECT_NE(banc.fenetre.indices[0].find("--data-dir"), std::string::npos);
    }
    EXPECT_EQ(banc.fenetre.etat, c.statut) << c.etat;
    EXPECT_EQ(banc.fenetre.numeroCarte, c.carte) << c.etat;
    EXPECT_EQ(banc.fenetre.dateValidite_, c.carte.empty() ? "" : "07/29") << c.etat;
    EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::Text2), c.venteMode ? "" : "1");
    const std::string ticket = banc.fenetre.LireTexte(ZoneTexte::txtSelection);
    EXPECT_EQ(ticket.find("d’avant"), std::string::npos);
    EXPECT_EQ(banc.Journal().find("d’avant"), std::string::npos);
    if (!c.carte.empty()) {
      EXPECT_NE(ticket.find("AUTO: A1B2C3"), std::string::npos);
      EXPECT_NE(banc.Journal().find(ticket), std::string::npos);
    }
    if (dejaConnu) {
      Scripter(banc, ReponseValidite(c.etat));
      cmdDemVal_Click(banc.console);
      EXPECT_EQ(banc.fenetre.indices.size(), 1u);
    }
  }
}

TEST(Paiement, AFailedValidityExchangeIsTold) {
  BancPaiement banc;  // three NAKs
  banc.port.Repondre("\x06").Repondre("\x15").Repondre("\x15").Repondre("\x15");
  cmdDemVal_Click(banc.console);
  EXPECT_EQ(banc.fenetre.lignes.back(), "Demande de Validité = Pas OK");
  EXPECT_EQ(banc.fenetre.etat, "Carte refusée DemVal Cause:  - SA");
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
    EXPECT_TRUE(c.accepte ? banc.fenetre.lignes.at(0) == "Prix fixé = " + c.texte
                          : banc.fenetre.etat.starts_with("Prix « " + c.texte + " »"));
  }
}

// A registration answer without dossier: status, card, end of validity, the two amounts.
std::string ReponseEnregistrement(const std::string& etat) {
  return Reponse("AL", 355, {{7, etat}, {176, kCarte}, {199, "2907"}, {248, "00001250EUR"}});
}

TEST(Paiement, RegistrationShowsTheReceiptOrTheCause) {
  const struct {
    bool venteMode;
    std::string etat;
    std::string ligne, statut, carte;
  } cas[] = {
      {true, "0", "Demande d'enregistrement = OK", "", kCarte},
      {true, "6", "Demande d'enregistrement = Pas OK",
       "Carte refusée DemEnr Cause: solvabilité annulée sur montant = 0", ""},
      {true, "7", "Demande d'enregistrement = Pas OK", "Carte refusée DemEnr Cause: ", ""},
  };
  for (const auto& c : cas) {
    BancPaiement banc;
    banc.fenetre.modeVente = c.venteMode;
    Scripter(banc, ReponseEnregistrement(c.etat));
    cmdDemEnr_Click(banc.console);
    EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne}) << c.etat;
    EXPECT_EQ(banc.fenetre.etat, c.statut) << c.etat;
    EXPECT_EQ(banc.fenetre.numeroCarte, c.carte) << c.etat;
    EXPECT_EQ(banc.fenetre.dateValidite_, c.carte.empty() ? "" : "07/29");
    EXPECT_EQ(banc.fenetre.LireTexte(ZoneTexte::txtSelection).find("MONTANT REEL = 12.50 EUR") ==
                  std::string::npos,
              c.carte.empty());
  }
}

TEST(Paiement, CancellationSetsThePriceToZeroOnlyWhenItIsSent) {
  for (const std::string dossier : {"", "quarante"}) {
    Banc banc;
    banc.etat.Prix = 1250;
    banc.fenetre.EcrireTexte(ZoneTexte::Text2, dossier);
    Command3_Click(banc.console);
    EXPECT_EQ(banc.etat.Prix, dossier.empty() ? 0 : 1250);
    EXPECT_EQ(banc.fenetre.lignes.size(), dossier.empty() ? 1u : 0u);
  }
}

// A dossier information answer: accepted, the dossier exists, its card and amount.
std::string ReponseDossier() {
  return Reponse("AJ", 313,
                 {{7, "0081"}, {191, kCarte}, {214, "2907"}, {271, "EUR"}, {287, "00001250"}});
}

TEST(Paiement, DossierFieldIsReadOverTheWholeRangeOfDossierNumbers) {
  const struct {
    std::string texte, numero;  // no number: nothing sent
  } cas[] = {{"42", "42"}, {"2147483648", "2147483648"}, {" 15.4 ", "15"}, {"", "7"}, {"abc", ""},
             {"-1", ""}};
  for (const auto& c : cas) {
    BancPaiement banc;
    banc.etat.NumeroDossier = 7;
    banc.fenetre.EcrireTexte(ZoneTexte::Text2, c.texte);
    Scripter(banc, ReponseDossier());
    cmdDemAbdn_Click(banc.console);
    if (c.numero.empty()) {
      EXPECT_TRUE(banc.port.Ecritures().empty() && banc.fenetre.lignes.empty()) << c.texte;
      EXPECT_TRUE(banc.fenetre.etat.starts_with("DemInfo « " + c.texte + " » n’est pas un numéro"));
      continue;
    }
    const std::string message = "AJ01408" + std::string(12 - c.numero.size(), '0') + c.numero;
    EXPECT_EQ(banc.port.Ecritures().at(1).octets, EncadrerMessage(message));
    EXPECT_EQ(banc.fenetre.lignes.at(0), "Demande info Dossier No " + c.numero + " = OK");
    EXPECT_EQ(banc.fenetre.numeroCarte, kCarte);
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
    std::string entete, trameA, trameB;
    int nombre;
    std::vector<std::string> dossiers;
  } cas[] = {
      {"00702CBEMV 002CB    001",
       TrameNumeros(true, n11 + n12),
       TrameNumeros(false, n13),
       3,
       {n11, n12, n13}},
      {"00702CB    001CBEMV 002",
       TrameNumeros(true, n13),
       TrameNumeros(false, n11 + n12),
       3,
       {n11, n12, n13}},
      // The other application's numbers follow the whole "CBEMV" count, held or not.
      {"00702CBEMV 003CB    001",
       TrameNumeros(true, n11 + n12),
       TrameNumeros(false, n13),
       4,
       {n11, n12, "", n13}},
      {"00701CBEMV 002", TrameNumeros(false, n11 + n12), "", 2, {n11, n12}},
      // A count that points past the frame's end gives empty entries for what it does not hold.
      {"00701CBEMV 005", TrameNumeros(false, n11 + n12.substr(0, 6)), "", 5, {n11, "", "", "", ""}},
      {"00700", "", "", 0, {}},
      {"1", "", "", 1, {""}},
  };
  for (const auto& c : cas) {
    Banc banc;
    banc.etat.DossiersEnCours.fill("000000000099");
    banc.fenetre.listeDossiers = {"000000000099"};
    essai::ScripterOuverture(banc.port);
    banc.port.Repondre(EncadrerMessage(simulateur::MessageReponse("AJ", c.entete)));
    banc.port.Repondre("\x04").Repondre("\x05").Repondre(c.trameA).Repondre("\x04");
    banc.port.Repondre(c.trameB.empty() ? "\x04" : "\x05").Repondre(c.trameB).Repondre("\x04");
    cmdDemConf_Click(banc.console);
    std::vector<std::string> lignes = {"Demande liste doss = " + std::to_string(c.nombre)};
    if (c.nombre == 0) lignes.push_back("Pas de Dossier en cours");
    for (std::size_t i = 0; i < c.dossiers.size(); ++i) {
      lignes.push_back("Dossier No " + std::to_string(i + 1) + " = " + c.dossiers[i]);
    }
    EXPECT_EQ(banc.fenetre.lignes, lignes) << c.entete;
    EXPECT_EQ(banc.fenetre.listeDossiers, c.dossiers) << c.entete;
    // Every wait ended on what the terminal sent, none on a time-out.
    EXPECT_LT(banc.horloge.Ecoule(), 10.0) << c.entete;
  }
}

}  // namespace
}  // namespace zef30
