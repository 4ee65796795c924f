#include "simulator/FamillePaiement.h"

#include <gtest/gtest.h>

#include <string>

#include "link/Trame.h"

namespace zef30::simulateur {
namespace {

// The data that begin the terminal's answer frame ("Ak", "Al", "Aj"), or "(none)".
std::string DebutReponse(const Deroulement& deroulement, std::size_t longueur) {
  for (const Envoi& envoi : deroulement) {
    if (envoi.octets.size() > 6 && envoi.octets[0] == STX && envoi.octets[1] == 'A') {
      return envoi.octets.substr(6, longueur);
    }
  }
  return "(none)";
}

TEST(FamillePaiement, TheTerminalKeepsItsOpenDossiersAcrossRequests) {
  const std::string d42 = "000000000042", d43 = "000000000043";
  const struct {
    std::string requete;
    std::string debut;
  } etapes[] = {
      {"AK029000001250109782D" + d42 + "1", "000"},
      {"AK029000001250109782D" + d42 + "1", "F00"},  // already open
      {"AK029000000900109782D" + d43 + "1", "000"},
      {"AJ00207", "00701CBEMV 002"},
      {"AJ01408" + d42, "0081"},
      {"AL01100001250978" + d42 + "1", "0"},
      {"AL01100001250978" + d42 + "1", "9"},  // already registered
      {"AJ01408" + d42, "0080"},
      {"AK029000001250109782D" + d42 + "1", "F00"},  // never taken again
      {"AL01100000000978" + d43 + "1", "6"},         // cancelled
      {"AJ00207", "00700"},
      {"AL01100001250978", "0"},  // without dossier
      {"AK016000001250309782D", "000"},
  };
  const TableFamilles familles = FamillesConnues();
  Scenario scenario;
  for (const auto& etape : etapes) {
    const Famille* famille = familles.Trouver(etape.requete);
    ASSERT_NE(famille, nullptr) << etape.requete;
    EXPECT_EQ(DebutReponse((*famille)(etape.requete, scenario), etape.debut.size()), etape.debut)
        << etape.requete;
  }
}

TEST(FamillePaiement, DisplayFramesComeOnlyWhenTheTerminalMirrorsItsDisplay) {
  const TableFamilles familles = FamillesConnues();
  const std::string requete = "AK029000001250109782D0000000000011";
  Scenario scenario;
  const Deroulement avec = (*familles.Trouver(requete))(requete, scenario);
  ASSERT_EQ(avec.size(), 6u);  // three screens, two blocks, the blank display
  EXPECT_EQ(avec[1].octets, TrameAffichage("12.50 EUR", "CODE ?"));
  EXPECT_DOUBLE_EQ(avec[1].apres, scenario.paiement.pauseCarte);
  EXPECT_EQ(avec.back().octets, TrameAffichage("", ""));

  scenario.paiement.ecranHote = false;
  const std::string autre = "AK029000001250109782D0000000000012";
  const Deroulement sans = (*familles.Trouver(autre))(autre, scenario);
  ASSERT_EQ(sans.size(), 2u);  // the answer alone, once the card holder is done
  EXPECT_DOUBLE_EQ(sans[0].apres, 4.5);
}

}  // namespace
}  // namespace zef30::simulateur
