#include "console/Gestionnaires.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/Banc.h"

namespace zef30 {
namespace {

// A request that lets the window work once, as a listener does: the test clicks then.
void Requete(Console& console) { console.fenetre.CederAuxEvenements(); }
void AutreRequete(Console& console) { console.fenetre.AjouterLigne("autre requête"); }
void SortieEcoute(Console&) {}

TEST(ExecuterGestionnaire, ARefusedClickLeavesTheStatusLineWhenTheRequestEnds) {
  const std::string refus =
      "Console clic non pris en compte : une requête ou une écoute occupe déjà la ligne";
  const struct {
    std::optional<std::string> avant, apres;  // what the request shows before, after the click
    bool sortieEcoute;                        // "Sortie Ecoute" clicked after the refused click
    std::string fin;
  } cas[] = {
      {"DemSwi Carte présente", std::nullopt, false, "DemSwi Carte présente"},
      {std::nullopt, std::nullopt, false, ""},
      {"Ecoute", "Prix fixé", false, "Prix fixé"},
      {"Ecoute", std::nullopt, true, "Ecoute"},
  };
  for (const auto& c : cas) {
    essai::Banc banc;
    banc.fenetre.surCession = [&] {
      if (c.avant) banc.fenetre.AfficherEtat("", *c.avant);
      EXPECT_FALSE(ExecuterGestionnaire(banc.console, &AutreRequete, false));
      EXPECT_FALSE(ExecuterGestionnaire(banc.console, &AutreRequete, false));
      if (c.sortieEcoute) {
        EXPECT_TRUE(ExecuterGestionnaire(banc.console, &SortieEcoute, true));
      }
      EXPECT_EQ(banc.fenetre.etat, refus);
      if (c.apres) banc.fenetre.AfficherEtat("", *c.apres);
    };
    EXPECT_TRUE(ExecuterGestionnaire(banc.console, &Requete, false));
    EXPECT_EQ(banc.fenetre.etat, c.fin) << c.fin;
    EXPECT_TRUE(banc.fenetre.lignes.empty());
    EXPECT_EQ(banc.etat.GestionnairesEnCours, 0);
  }
}

}  // namespace
}  // namespace zef30
