// The reports of the terminal's last calls: tele-collection and tele-parameter state.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/Texte.h"
#include "console/Gestionnaires.h"
#include "protocol/Trame.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "tests/support/Banc.h"
#include "tests/support/DossierTemporaire.h"

namespace zef30 {
namespace {

std::string Largeur(const std::string& texte, std::size_t n) {
  std::string champ = texte.substr(0, n);
  champ.resize(n, ' ');
  return champ;
}

// The eight opening lines of a block (positions 12 to 203), dated 5 March 2026 at 09:07:03.
std::string Entete(const std::string& ligne1, char code = '0') {
  return ligne1 + code + "000" + Largeur("TITRE", 50) + "050326" + "090703" + "SITE01 " +
         "COMMERCANT 001" + "0001" + "01" + "12345678" + "978" + Largeur("L7", 32) +
         Largeur("L8", 50);
}

std::string Remise(const std::string& montant) {
  return "000001000042000003978" + montant + " 000000";
}

// The answer frame: status, two unread characters, block count, blocks.
std::string Reponse(const std::string& blocs, const std::string& nombre, char statut = '0') {
  const std::string donnees = std::string(1, statut) + "00" + nombre + blocs;
  char longueur[4];
  std::snprintf(longueur, sizeof longueur, "%03zu", donnees.size());
  return EncadrerMessage("Aj" + std::string(longueur) + donnees);
}

std::vector<std::string> Lignes(const std::string& texte) {
  std::vector<std::string> lignes;
  for (std::size_t debut = 0, fin; (fin = texte.find("\r\n", debut)) != std::string::npos;
       debut = fin + 2) {
    lignes.push_back(texte.substr(debut, fin - debut));
  }
  return lignes;
}

// The number of lines of the report of an answer, and its lines from `debut` on.
struct CasRapport {
  std::size_t nombreLignes;
  std::size_t debut;
  std::string reponse;
  std::vector<std::string> suite;
};

void Verifier(const CasRapport& c, const std::string& texte) {
  const auto lignes = Lignes(texte);
  ASSERT_EQ(lignes.size(), c.nombreLignes) << texte;
  for (std::size_t i = 0; i < c.suite.size(); ++i) EXPECT_EQ(lignes[c.debut + i], c.suite[i]);
}

const std::string kDeuxRemises = Entete("ACQ001") + "2" + Remise("000000012345") +
                                 Remise("000000000100") + Entete("ACQ002") + "0";
const std::string kL7 = Largeur("L7", 32), kL8 = Largeur("L8", 50);
// The lines of a tele-collection block that lies beyond the answer.
const std::vector<std::string> kBlocVide = {"", "", "//  hm",      "", "", "   ",
                                            "", "", "NB REMISE: ", ""};

TEST(RapportTelecollecte, BlocksRemittancesAndUnreadableFields) {
  ASSERT_EQ(Extraire(Reponse(kDeuxRemises, "02"), 285, 6), "ACQ002");
  const CasRapport cas[] = {
      {10,
       0,
       Reponse(Entete("ACQ001") + "0", "01"),
       {"ACQ001", Largeur("TITRE", 50), "05/03/26  09h07m03", "SITE01 ", "COMMERCANT 001",
        "0001 01 12345678 978", kL7, kL8, "NB REMISE: 0", ""}},
      {34,
       8,
       Reponse(kDeuxRemises, "02"),
       {"NB REMISE: 2", "No acquereur :000001", "No Remise: 000042", "Nb Transaction : 000003",
        "MONTANT TRANSACTION = ", "\t123.45 978", "Nb Trans non aboutie: 000000", "",
        "No acquereur :000001", "No Remise: 000042", "Nb Transaction : 000003",
        "MONTANT TRANSACTION = ", "\t1.00 978", "Nb Trans non aboutie: 000000", "", "", "ACQ002"}},
      {17,
       13,
       Reponse(Entete("ACQ001") + "1" + Remise("0000000ABC00"), "01"),
       {"\tillisible (« 0000000ABC00 ») 978", "Nb Trans non aboutie: 000000", "", ""}},
      {20, 8, Reponse(kDeuxRemises.substr(0, 192) + "X", "02"), {"NB REMISE: illisible (« X »)"}},
      // Counting no remittance, the walk finds the whole next block.
      {20, 10, Reponse(Entete("ACQ001") + "X" + Entete("ACQ002") + "0", "02"), {"ACQ002"}},
      // A block count that does not convert counts no block, and adds no line.
      {0, 0, Reponse(kDeuxRemises, "A1"), {}},
      // Every block of the count, those beyond the answer with their fields empty.
      {50, 40, Reponse(Entete("ACQ001") + "0", "05"), kBlocVide},
      // So every record of the count.
      {31,
       16,
       Reponse(Entete("ACQ001") + "3" + Remise("000000012345"), "01"),
       {"No acquereur :", "No Remise: ", "Nb Transaction : ", "MONTANT TRANSACTION = ", "\t ",
        "Nb Trans non aboutie: ", ""}},
  };
  for (const CasRapport& c : cas) Verifier(c, ConstruireRapportTelecollecte(c.reponse, {'.'}));
  EXPECT_EQ(Lignes(ConstruireRapportTelecollecte(Reponse(kDeuxRemises, "02"), {','}))[13],
            "\t123,45 978");
}

std::string BlocTeleParam(const std::string& nom, const std::string& drapeaux, int tables) {
  std::string bloc = Entete(nom) + drapeaux + "ABCD" + "EF" + "GH";
  bloc += (tables < 10 ? "0" : "") + std::to_string(tables);
  for (int j = 1; j <= tables; ++j) bloc += "0" + std::to_string(j) + "000" + std::to_string(j);
  return bloc;
}

TEST(RapportTeleParam, BlocksTablesAndUnreadableCounts) {
  const std::string deux = BlocTeleParam("APP001", "11", 3) + BlocTeleParam("APP002", "00", 0);
  ASSERT_EQ(Extraire(Reponse(deux, "02"), 234, 6), "APP002");
  const CasRapport cas[] = {
      {19,
       6,
       Reponse(BlocTeleParam("APP001", "10", 2), "01"),
       {kL7, kL8, "Application initialisée", "Application non active", "ABCD", "EF", "GH",
        "No table :01", "No version: 0001", "", "No table :02", "No version: 0002", ""}},
      {35, 19, Reponse(deux, "02"), {"No table :03", "No version: 0003", "", "APP002"}},
      {35, 30, Reponse(deux, "02"), {"Application non initialisée", "Application non active"}},
      // A table count that does not convert counts no table and adds no line; the second
      // block, beyond the answer, is printed with its fields empty.
      {26,
       12,
       Reponse(Entete("APP001") + "10ABCDEFGH?x", "02"),
       {"GH", "", "", "//  hm", "", "", "   ", "", "", "Application initialisée",
        "Application active", "", "", ""}},
      {29,
       13,
       Reponse(Entete("APP001") + "10ABCDEFGH?x" + BlocTeleParam("APP002", "01", 1), "02"),
       {"APP002"}},
      // Every table of the count, those beyond the answer with their fields empty.
      {40,
       34,
       Reponse(BlocTeleParam("APP001", "10", 1).replace(202, 2, "09"), "01"),
       {"No table :", "No version: ", "", "No table :", "No version: ", ""}},
      // A block count that does not convert counts no block.
      {0, 0, Reponse(BlocTeleParam("APP001", "10", 1), "?1"), {}},
  };
  for (const CasRapport& c : cas) Verifier(c, ConstruireRapportTeleParam(c.reponse));
}

// The terminal's answer in the two blocks of a long frame.
void ScripterReponse(essai::PortScripte& port, const std::string& trame) {
  essai::ScripterOuverture(port);
  if (trame.size() > 252) {
    std::string bloc1 = trame.substr(0, 249) + "\x10\x17";
    bloc1 += CalculerLrc(bloc1);
    port.Repondre(bloc1).Repondre("\x02" + trame.substr(249));
  } else {
    port.Repondre(trame);
  }
  port.Repondre("\x04");
}

TEST(DemandesRapport, EachOutcomeGivesItsLineAndStatus) {
  struct Cas {
    Gestionnaire clic;
    const char* message;
    std::string reponse;  // empty: the terminal is not ready
    std::string ligne;
    std::string etat;
  };
  const std::string tc = Reponse(kDeuxRemises, "02");
  const std::string tp = Reponse(BlocTeleParam("APP001", "10", 2), "01");
  const auto code = [](std::string reponse, char c) {
    reponse[17] = c;
    return EncadrerMessage(reponse.substr(1, reponse.size() - 4));
  };
  const Cas cas[] = {
      {cmdDemTic_Click, "AJ00203", tc, "Demande de ticket = OK", ""},
      {cmdDemTic_Click, "AJ00203", code(tc, '1'), "Demande de ticket telecol = Erreur n°11",
       "DemTIC télécollecte incomplète"},
      {cmdDemTic_Click, "AJ00203", code(tc, '7'), "Demande de ticket telecol = Erreur n°1", ""},
      {cmdDemTic_Click, "AJ00203", "", "Demande de ticket telecol = Erreur n°-600", ""},
      {Command4_Click, "AJ00205", tp, "Demande ticket teleParam = OK", ""},
      {Command4_Click, "AJ00205", code(tp, '1'), "Demande ticket teleParam = Erreur n°11",
       "DemEtatTeleParam téléparam incomplète"},
      {Command4_Click, "AJ00205", code(tp, '2'), "Demande ticket teleParam = Erreur n°2",
       "DemEtatTeleParam appel erroné ou inefficace"},
  };
  for (const Cas& c : cas) {
    essai::DossierTemporaire dossier;
    essai::Banc banc(dossier.Chemin());
    banc.etat.TexteTicket = "ancien";
    if (!c.reponse.empty()) ScripterReponse(banc.port, c.reponse);
    c.clic(banc.console);
    EXPECT_EQ(banc.fenetre.lignes, std::vector<std::string>{c.ligne});
    EXPECT_EQ(banc.fenetre.etat, c.etat) << c.ligne;
    const std::string texte = banc.fenetre.LireTexte(ZoneTexte::txtSelection);
    EXPECT_EQ(texte.empty(), c.ligne.ends_with("= OK") == false) << c.ligne;
    EXPECT_EQ(texte, banc.etat.TexteTicket);
    EXPECT_NE(essai::LireTout(dossier.Fichier("ZEF30test.txt")).find("*****\r\n" + texte + "\r\n"),
              std::string::npos);
    if (!c.reponse.empty()) {
      EXPECT_EQ(banc.port.Ecritures()[1].octets, EncadrerMessage(c.message));
    }
  }
}

}  // namespace
}  // namespace zef30
