#include "console/Gestionnaires.h"

#include <gtest/gtest.h>

#include "tests/support/Banc.h"

namespace zef30 {
namespace {

// A request that lets the window work once, as a listener does: the test clicks then.
IssueRequete Requete(Console& console) {
  console.fenetre.CederAuxEvenements();
  return {};
}
IssueRequete Autre(Console& console) {
  console.fenetre.AjouterLigne("autre requête");
  return {};
}
IssueRequete SortieEcoute(Console&) { return {}; }

TEST(ExecuterGestionnaire, ARefusedClickLeavesTheStatusLineWhenTheRequestEnds) {
  const struct {
    const char *avant, *apres;  // the request's status before and after the refused click
    bool sortieEcoute;          // "Sortie Ecoute" clicked after it
    const char* fin;
  } cas[] = {
      {"DemSwi Carte présente", nullptr, false, "DemSwi Carte présente"},
      {nullptr, nullptr, false, ""},
      {"Ecoute", "Prix fixé", false, "Prix fixé"},
      {"Ecoute", nullptr, true, "Ecoute"},
  };
  for (const auto& c : cas) {
    essai::Banc banc;
    banc.fenetre.surCession = [&] {
      if (c.avant) banc.fenetre.AfficherEtat("", c.avant);
      EXPECT_FALSE(ExecuterGestionnaire(banc.console, &Autre, false));
      EXPECT_FALSE(ExecuterGestionnaire(banc.console, &Autre, false));
      if (c.sortieEcoute) ExecuterGestionnaire(banc.console, &SortieEcoute, true);
      EXPECT_EQ(banc.fenetre.etat.rfind("Console clic non pris en compte", 0), 0u);
      if (c.apres) banc.fenetre.AfficherEtat("", c.apres);
    };
    EXPECT_TRUE(ExecuterGestionnaire(banc.console, &Requete, false));
    EXPECT_EQ(banc.fenetre.etat, c.fin) << c.fin;
    EXPECT_TRUE(banc.fenetre.lignes.empty());
  }
}

}  // namespace
}  // namespace zef30
