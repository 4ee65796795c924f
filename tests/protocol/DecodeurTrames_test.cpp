#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console/EtatConsole.h"
#include "link/NommeurTrames.h"
#include "protocol/Trame.h"
#include "requests/Paiement.h"

namespace zef30 {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// An answer frame of `longueur` data characters: blanks, then `champs` at their frame positions
// (STX is position 1), then the length field and the closing characters.
std::string Reponse(const std::string& code, int longueur,
                    std::vector<std::pair<long, std::string>> champs) {
  std::string message(static_cast<std::size_t>(longueur) + 5, ' ');
  char tete[8];
  std::snprintf(tete, sizeof tete, "%s%03d", code.c_str(), longueur);
  message.replace(0, 5, tete);
  for (const auto& [position, texte] : champs) message.replace(position - 2, texte.size(), texte);
  return EncadrerMessage(message);
}

// An answer frame as the terminal sends it in two blocks.
std::pair<std::string, std::string> DeuxBlocs(const std::string& reponse) {
  const std::string corps = reponse.substr(0, reponse.size() - 3);
  std::string bloc1 = corps.substr(0, kMaxUnBloc + 1) + DLE + ETB;
  bloc1 += CalculerLrc(bloc1);
  std::string bloc2 = STX + corps.substr(kMaxUnBloc + 1) + DLE + ETX;
  bloc2 += CalculerLrc(bloc2);
  return {bloc1, bloc2};
}

struct Cas {
  std::string demande;  // the message the console writes
  std::string reponse;  // the frame the terminal sends back
  std::string demandeLue;
  std::string reponseLue;  // a part of the answer's words
};

TEST(DecodeurTrames, NamesTheRequestAndTheAnswerOfEveryFamily) {
  const std::string carte = "4970101234561234";
  const Cas cas[] = {
      {"AA000", Reponse("Aa", 4, {{7, "0100"}}), "AA demande de switch",
       "Aa réponse de switch : disponibilité 0 disponible, carte présente 1 carte présente, "
       "travaux 0, sécurité 0"},
      {"AJ00202",
       Reponse("Aj", 93, {{10, "000012345678"}, {22, "02"}, {24, "CBEMV 0102030ABCD00"}}),
       "AJ consultation",
       "numéro de série « 000012345678 », nombre d’applications 02, application 1 (nom « CBEMV  "
       "», version « 0102030 », checksum « ABCD », état 0 initialisé, fichier 0 vide )"},
      {"AJ0070119200", Reponse("Aj", 1, {{7, "0"}}), "AJ vitesse : vitesse 19200",
       "Aj réponse de vitesse : statut 0 acceptée"},
      {"AS012050326090703", Reponse("As", 1, {{7, "1"}}),
       "AS mise à l’heure : date 050326, heure 090703",
       "As réponse de mise à l’heure : statut 1 refusée"},
      {"AK029000001250109782D0000000000421",
       Reponse("Ak", 313, {{7, "000"}, {193, carte}, {216, "2907"}}),
       "AK validité (dossier) : montant 12,50 EUR, dossier 000000000042",
       "Ak réponse de validité : statut 0 OK (paiement accepté pour le montant), diagnostic 00 "
       "DIAGNOSTIC OK 00, carte 4970 10•• •••• 1234, fin de validité 07/29"},
      {"AK016000001250309782D", Reponse("Ak", 3, {{7, "952"}}),
       "AK validité (forfait) : montant 12,50 EUR",
       "statut 9 PB ACCES CENTRE, diagnostic 52 PROBLEME DE LIAISON AU CENTRE D'AUTORISATION 52"},
      {"AK016000001250319782D", Reponse("Ak", 3, {{7, "0"}}),
       "AK validité (forfait) : montant 12,50 EUR, forme « 31 » au lieu de « 30 »", "statut 0"},
      {"AL01100001250978000000000042"
       "1",
       Reponse("Al", 355, {{7, "0"}, {188, carte}, {211, "2907"}}),
       "AL enregistrement (dossier) : montant 12,50 EUR, dossier 000000000042",
       "Al réponse d’enregistrement (dossier) : statut 0 OK (paiement enregistré pour le montant), "
       "carte 4970 10•• •••• 1234, fin de validité 07/29"},
      {"AL01100001250978", Reponse("Al", 355, {{7, "9"}, {176, carte}}),
       "AL enregistrement : montant 12,50 EUR", "statut 9 numéro de dossier inconnu."},
      {"AJ00204", Reponse("Aj", 12, {{7, "0"}, {10, "01"}, {12, "123456"}, {18, "1"}}),
       "AJ télécollecte",
       "Aj réponse de télécollecte : statut 0 acceptée, nombre d’acquéreurs 01, acquéreur 1 « "
       "123456 », code 1 1 télécollecte incomplète"},
      {"AJ00203", Reponse("Aj", 198, {{7, "0"}, {10, "01"}, {18, "3"}, {204, "0"}}),
       "AJ rapport de télécollecte", "code 3 pas d’appel, nombre de remises 0"},
      {"AJ00205", Reponse("Aj", 209, {{7, "0"}, {10, "01"}, {214, "00"}}),
       "AJ état du téléparamétrage", "nombre de tables 00"},
      {"AJ00207", Reponse("Aj", 23, {{7, "0"}, {10, "01"}, {12, "CBEMV 002"}}),
       "AJ liste des dossiers", "application 1 « CBEMV  », dossiers 1 002"},
      {"AJ01408000000000042", Reponse("Aj", 4, {{7, "0"}, {10, "0"}}),
       "AJ information de dossier : dossier 000000000042",
       "statut 0 acceptée, dossier 0 dossier absent"},
      {"AG000", Reponse("Ag", 43, {{7, "0"}, {10, ";4970101234561234=2907?"}}), "AG piste ISO 2",
       "Ag réponse de piste ISO 2 : statut 0 piste lue, piste (40 caractères)"},
      {"AG000", Reponse("Ag", 1, {{7, "3"}}), "AG piste ISO 2",
       "statut 3 Carte absente (fin time-out)"},
      {"AA000", Reponse("Aa", 300, {{7, "0100"}}).substr(0, 13), "AA demande de switch",
       "trame inconnue"},
      {"AA000", EncadrerMessage("Aa3000100"), "AA demande de switch",
       "sécurité 0, longueur annoncée 300, reçue 4"},
      {"ZZ000", EncadrerMessage("Zz000"), "trame inconnue « ZZ »", "trame inconnue « Zz »"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.demande);
    DecodeurTrames decodeur(DispositionsConsole(), FormatMontant{','});
    EXPECT_EQ(decodeur.Decoder(EncadrerMessage(c.demande), true), c.demandeLue);
    EXPECT_THAT(decodeur.Decoder(c.reponse, false), HasSubstr(c.reponseLue));
  }
}

TEST(DecodeurTrames, ReadsTheLinesOfADisplayAndAnAnswerInTwoBlocks) {
  DecodeurTrames decodeur(DispositionsConsole(), FormatMontant{','});
  EXPECT_EQ(decodeur.Decoder(EncadrerMessage("DINSEREZ CARTE   12,50 EUR       "), false),
            "D affichage : ligne 1 « INSEREZ CARTE    », ligne 2 « 12,50 EUR        »");
  // What the card holder types is not shown.
  EXPECT_EQ(decodeur.Decoder(EncadrerMessage("D12,50 EUR       CODE ? ****     "), false),
            "D affichage : ligne 1 (16 caractères), ligne 2 « CODE ? ****      »");
  decodeur.Decoder(EncadrerMessage("AK029000001250109782D0000000000421"), true);
  const auto [bloc1, bloc2] =
      DeuxBlocs(Reponse("Ak", 300, {{7, "000"}, {193, "4970101234561234"}}));
  EXPECT_THAT(decodeur.Decoder(bloc1, false), HasSubstr("premier bloc"));
  const std::string lu = decodeur.Decoder(bloc2, false);
  EXPECT_THAT(lu, HasSubstr("Ak réponse de validité : statut 0"));
  EXPECT_THAT(lu, HasSubstr("carte 4970 10•• •••• 1234"));
  EXPECT_THAT(lu, HasSubstr("en deux blocs"));
  EXPECT_THAT(lu, Not(HasSubstr("longueur")));
}

// A first block waits for the terminal's next frame, joined to it; anything else ends the wait
// and the first block stays alone, said once.
TEST(DecodeurTrames, AFirstBlockWaitsOnlyForTheTerminalsNextFrame) {
  const auto [bloc1, bloc2] = DeuxBlocs(Reponse("Aj", 300, {{7, "0"}, {10, "01"}}));
  const std::string switchOk = EncadrerMessage("Aa0040100");
  const std::string affichage = EncadrerMessage("DINSEREZ CARTE   12,50 EUR       ");
  const std::string enq(1, ENQ), ack(1, ACK);
  constexpr Sens C = Sens::VersTerminal, T = Sens::VersConsole;
  struct Cas {
    const char* nom;
    std::vector<std::pair<Sens, std::string>> salves;  // after the request and the first block
    std::string derniere;                              // in the last frame's words
    std::string absent;
  };
  const Cas cas[] = {
      {"the console's ACK, then the second block",
       {{C, ack}, {T, bloc2}},
       "Aj état du téléparamétrage : statut 0",
       "resté seul"},
      {"a card switch after it",
       {{C, enq}, {T, ack}, {C, EncadrerMessage("AA000")}, {T, switchOk}},
       "Aa réponse de switch : disponibilité 0",
       "blocs"},
      {"a switch's request with no ENQ before it, as a live trace sees it",
       {{C, EncadrerMessage("AA000")}, {T, switchOk}},
       "Aa réponse de switch",
       "blocs"},
      {"a display frame of a listening",
       {{C, ack}, {T, affichage}},
       "D affichage : ligne 1 « INSEREZ CARTE    », ligne 2 « 12,50 EUR        », le premier "
       "bloc d’avant resté seul",
       "blocs"},
      // A frame that would be joined to the first block but for the ENQ between them.
      {"the terminal's ENQ, then a frame",
       {{T, enq}, {C, ack}, {T, EncadrerMessage("Aa3000100")}},
       "sécurité 0, le premier bloc d’avant resté seul, longueur annoncée 300, reçue 4",
       "blocs"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    std::vector<EnregistrementTrace> enregistrements;
    const auto ajouter = [&](Sens sens, const std::string& octets) {
      EnregistrementTrace e;
      e.sens = sens;
      e.octets = octets;
      enregistrements.push_back(e);
    };
    ajouter(C, EncadrerMessage("AJ00205"));
    ajouter(T, bloc1);
    for (const auto& [sens, octets] : c.salves) ajouter(sens, octets);
    DecodeurTrames decodeur(DispositionsConsole(), FormatMontant{','});
    const auto nommes = NommerTrames(enregistrements, decodeur);
    EXPECT_THAT(nommes[1].decodages.at(0), HasSubstr("premier bloc"));
    const std::string derniere = nommes.back().decodages.at(0);
    EXPECT_THAT(derniere, HasSubstr(c.derniere));
    EXPECT_THAT(derniere, Not(HasSubstr(c.absent)));
  }
}

// One layout a message: moving the card in the table moves it for the request's own reading and
// for the decoder alike.
TEST(DecodeurTrames, ReadsThroughTheSameLayoutAsTheRequest) {
  TableDispositions table = DispositionsConsole();
  Disposition& validite = table[static_cast<std::size_t>(Message::ReponseValidite)];
  for (ChampMessage& champ : validite.champs) {
    if (champ.nom == "carte") champ.position = 100;
  }
  const std::string reponse =
      Reponse("Ak", 313, {{7, "000"}, {100, "5131000000009999"}, {193, "4970101234561234"}});
  EtatConsole etat;
  ReleverCarte(etat, reponse, validite);
  EXPECT_EQ(etat.NumeroCarte, "5131000000009999");
  DecodeurTrames decodeur(table, FormatMontant{','});
  decodeur.Decoder(EncadrerMessage("AK029000001250109782D0000000000421"), true);
  EXPECT_THAT(decodeur.Decoder(reponse, false), HasSubstr("carte 5131 00•• •••• 9999"));
}

}  // namespace
}  // namespace zef30
