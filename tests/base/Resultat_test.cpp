#include "base/Resultat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zef30 {
namespace {

// What a caller reads back from each way of making a result: a value (a text literal included,
// which takes two conversions), a failure with its words and number, or nothing at all.
TEST(Resultat, DitLaValeurOuLEchec) {
  struct Cas {
    const char* nom;
    Resultat<std::string> resultat;
    bool reussi;
    std::string valeur;  // ValeurOu("?")
    std::string texte;   // TexteEchec
    int numero;
  };
  const std::vector<Cas> cas = {
      {"littéral", "abc", true, "abc", "", 0},
      {"texte vide", std::string(), true, "", "", 0},
      {"invalide", Invalide("mot inconnu"), false, "?", "mot inconnu", 0},
      {"système", Systeme("refusé", 13), false, "?", "refusé", 13},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(c.resultat.Reussi(), c.reussi) << c.nom;
    EXPECT_EQ(c.resultat.ValeurOu("?"), c.valeur) << c.nom;
    EXPECT_EQ(TexteEchec(c.resultat), c.texte) << c.nom;
    if (!c.reussi) {
      EXPECT_EQ(c.resultat.Erreur().numero, c.numero) << c.nom;
    }
  }
  const Resultat<void> fait;
  const Resultat<void> refuse = Invalide("non");
  EXPECT_TRUE(fait);
  EXPECT_EQ(TexteEchec(fait), "");
  EXPECT_EQ(TexteEchec(refuse), "non");
}

}  // namespace
}  // namespace zef30
