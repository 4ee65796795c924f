// The reports of the terminal's last calls: tele-collection and tele-parameter state.
#include <gtest/gtest.h>

#include <cstdio>

#include "link/Texte.h"
#include "link/Trame.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "tests/console/DossierTemporaire.h"
#include "tests/support/Banc.h"

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

struct CasRapport {
  const char* nom;
  std::string reponse;
  std::size_t nombreLignes;
  std::vector<std::pair<std::size_t, std::string>> lignes;
};

void Verifier(const CasRapport& c, const std::string& texte) {
  const auto lignes = Lignes(texte);
  ASSERT_EQ(lignes.size(), c.nombreLignes) << c.nom << "\n" << texte;
  for (const auto& [indice, ligne] : c.lignes) EXPECT_EQ(lignes[indice], ligne) << c.nom;
}

const std::string kDeuxRemises = Entete("ACQ001") + "2" + Remise("000000012345") +
                                 Remise("000000000100") + Entete("ACQ002") + "0";

TEST(RapportTelecollecte, BlocksRemittancesAndUnreadableFields) {
  ASSERT_EQ(Extraire(Reponse(kDeuxRemises, "02"), 285, 6), "ACQ002");
  const CasRapport cas[] = {
      {"un bloc sans remise",
       Reponse(Entete("ACQ001") + "0", "01"),
       10,
       {{2, "05/03/26  09h07m03"}, {5, "0001 01 12345678 978"}, {8, "NB REMISE: 0"}, {9, ""}}},
      {"deux blocs, deux remises",
       Reponse(kDeuxRemises, "02"),
       34,
       {{8, "NB REMISE: 2"},
        {9, "No acquereur :000001"},
        {10, "No Remise: 000042"},
        {11, "Nb Transaction : 000003"},
        {12, "MONTANT TRANSACTION = "},
        {13, "\t123.45 978"},
        {14, "Nb Trans non aboutie: 000000"},
        {15, ""},
        {20, "\t1.00 978"},
        {23, ""},
        {24, "ACQ002"},
        {32, "NB REMISE: 0"}}},
      {"montant illisible",
       Reponse(Entete("ACQ001") + "1" + Remise("0000000ABC00"), "01"),
       17,
       {{13, "\tillisible (« 0000000ABC00 ») 978"}, {14, "Nb Trans non aboutie: 000000"}}},
      {"nombre de remises illisible",
       Reponse(kDeuxRemises.substr(0, 192) + "X", "02"),
       9,
       {{8, "NB REMISE: illisible (« X »)"}}},
      {"nombre de blocs illisible",
       Reponse(kDeuxRemises, "A1"),
       1,
       {{0, "Nombre de blocs : illisible (« A1 »)"}}},
      {"plus de blocs que la réponse", Reponse(Entete("ACQ001") + "0", "05"), 10, {}},
      {"plus de remises que la réponse",
       Reponse(Entete("ACQ001") + "3" + Remise("000000012345"), "01"),
       16,
       {}},
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
      {"un bloc, deux tables",
       Reponse(BlocTeleParam("APP001", "10", 2), "01"),
       19,
       {{8, "Application initialisée"},
        {9, "Application non active"},
        {10, "ABCD"},
        {12, "GH"},
        {13, "No table :01"},
        {14, "No version: 0001"},
        {15, ""},
        {17, "No version: 0002"}}},
      {"deux blocs, trois tables",
       Reponse(deux, "02"),
       35,
       {{22, "APP002"}, {30, "Application non initialisée"}, {31, "Application non active"}}},
      {"nombre de tables illisible",
       Reponse(Entete("APP001") + "10ABCDEFGH?x", "02"),
       14,
       {{13, "Nombre de tables : illisible (« ?x »)"}}},
      {"plus de tables que la réponse",
       Reponse(BlocTeleParam("APP001", "10", 1).replace(202, 2, "09"), "01"),
       16,
       {}},
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
    void (*clic)(Console&);
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
      {cmdDemTic_Click, "AJ00203", code(tc, '3'), "Demande de ticket telecol = Erreur n°3",
       "DemTIC pas d’appel"},
      {cmdDemTic_Click, "AJ00203", code(tc, '7'), "Demande de ticket telecol = Erreur n°1", ""},
      {cmdDemTic_Click, "AJ00203", "", "Demande de ticket telecol = Erreur n°-600", ""},
      {Command4_Click, "AJ00205", tp, "Demande ticket teleParam = OK", ""},
      {Command4_Click, "AJ00205", code(tp, '1'), "Demande ticket teleParam = Erreur n°11",
       "DemEtatTeleParam téléparam incomplète"},
      {Command4_Click, "AJ00205", code(tp, '2'), "Demande ticket teleParam = Erreur n°2",
       "DemEtatTeleParam appel erroné ou inefficace"},
      {Command4_Click, "AJ00205", Reponse(BlocTeleParam("APP001", "10", 2), "01", '1'),
       "Demande ticket teleParam = Erreur n°1", ""},
      {Command4_Click, "AJ00205", "", "Demande ticket teleParam = Erreur n°-600", ""},
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
