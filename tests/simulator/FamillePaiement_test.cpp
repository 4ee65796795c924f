#include "simulator/FamillePaiement.h"

#include <gtest/gtest.h>

#include <string>

#include "protocol/Trame.h"

namespace zef30::simulateur {
namespace {

TEST(FamillePaiement, TheTerminalKeepsItsOpenDossiersAcrossRequests) {
  const std::string d42 = "000000000042", d43 = "000000000043";
  const struct {
    std::string requete, debut;
  } etapes[] = {
      {"AK029000001250109782D" + d42 + "1", "000"},
      {"AK029000000900109782D" + d43 + "1", "000"},
      {"AJ00207", "00701CBEMV 002"},
      {"AL01100001250978" + d42 + "1", "0"},
      {"AL01100001250978" + d42 + "1", "9"},  // already registered
      {"AJ01408" + d42, "0080"},
      {"AK029000001250109782D" + d42 + "1", "F00"},  // never taken again
      {"AL01100000000978" + d43 + "1", "6"},         // cancelled
      {"AJ00207", "00700"},
  };
  const TableFamilles familles = FamillesConnues();
  Scenario scenario;
  scenario.paiement.ecranHote = false;  // the answer comes first
  for (const auto& etape : etapes) {
    const Deroulement deroulement = (*familles.Trouver(etape.requete))(etape.requete, scenario);
    EXPECT_EQ(deroulement.at(0).octets.substr(6, etape.debut.size()), etape.debut) << etape.requete;
  }
}

TEST(FamillePaiement, DisplayFramesComeOnlyWhenTheTerminalMirrorsItsDisplay) {
  const std::string requete = "AK029000001250109782D0000000000011";
  Scenario scenario;
  const Deroulement avec = (*FamillesConnues().Trouver(requete))(requete, scenario);
  EXPECT_EQ(avec.at(1).octets, TrameAffichage("12.50 EUR", "CODE ?"));
  EXPECT_EQ(avec.back().octets, TrameAffichage("", ""));
  scenario.paiement.ecranHote = false;  // the answer alone, in two blocks
  EXPECT_EQ((*FamillesConnues().Trouver(requete))(requete, scenario).size(), 2u);
}

}  // namespace
}  // namespace zef30::simulateur
