#include "console/ListeDossiers.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/support/FenetreMemoire.h"

namespace zef30 {
namespace {

using essai::FenetreMemoire;

// Each entry clicked with "avant" in Text2; Text2 as the click leaves it.
void VerifierClics(const std::vector<std::pair<std::string, std::string>>& cas,
                   FenetreMemoire& fenetre) {
  for (const auto& [entree, attendu] : cas) {
    fenetre.EcrireTexte(ZoneTexte::Text2, "avant");
    List2_Click(fenetre, entree);
    EXPECT_EQ(fenetre.LireTexte(ZoneTexte::Text2), attendu) << "entrée « " << entree << " »";
  }
}

TEST(List2Click, LeNumeroPasseDansText2SansZerosNiBlancs) {
  FenetreMemoire fenetre;
  VerifierClics({{"000000000015", "15"},
                 {"000000000042", "42"},
                 {"  17 ", "17"},
                 {"2.6", "3"},
                 {"-2.6", "-3"},
                 // A half goes to the even neighbour.
                 {"2.5", "2"},
                 {"3.5", "4"},
                 {"-0.4", "0"},
                 {"2147483647.4", "2147483647"},
                 {"-2147483648", "-2147483648"}},
                fenetre);
  EXPECT_TRUE(fenetre.etats.empty());
}

TEST(List2Click, CeQuiNestPasUnNumeroLaisseText2) {
  FenetreMemoire fenetre;
  VerifierClics({{"abc", "avant"}, {"", "avant"}, {"12a", "avant"}, {".", "avant"}}, fenetre);
  EXPECT_TRUE(fenetre.etats.empty());
}

TEST(List2Click, HorsDesTrenteDeuxBitsText2ResteEtLaLigneDEtatLeDit) {
  FenetreMemoire fenetre;
  VerifierClics({{"2147483647.5", "avant"}, {"-2147483649", "avant"}, {"999999999999", "avant"}},
                fenetre);
  ASSERT_EQ(fenetre.etats.size(), 3u);
  EXPECT_EQ(fenetre.etats.back(), "List2 numéro de dossier hors limites : 999999999999");
}

}  // namespace
}  // namespace zef30
