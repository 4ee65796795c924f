// Reading a script for a run without a window: names listed with commas, or a file of lines
// with the operator's inputs.
#include "headless/RequetesScriptees.h"

#include <gtest/gtest.h>

#include "base/Json.h"

namespace zef30 {
namespace {

TEST(RequetesScriptees, ReadsAListOrAFileAndNamesWhatItCannotRead) {
  struct Cas {
    std::string texte;
    std::string lu;  // famille/prix/dossier/ecran/mode of each request, or the error
  };
  const Cas cas[] = {
      {"switch,consultation", "switch//// consultation//// "},
      {"# essai\nswitch ecran=non mode=vente prix=250 dossier=12\n\n  consultation mode=vidéo\n",
       "switch/250/12/0/1 consultation////0 "},
      {"switch,bogus", "requête 2 : requête inconnue « bogus » (connues : switch, prix, validite"},
      {"switch couleur=rouge\n", "ligne 1 : entrée « couleur=rouge » incomprise"},
      {"switch ecran=peut-etre\n", "ligne 1 : entrée « ecran=peut-etre » incomprise"},
      {"maintenance duree=-1\n", "ligne 1 : entrée « duree=-1 » incomprise"},
      {"switch,", "switch//// "},  // a closing comma asks for nothing more
      {"switch,,consultation", "requête 2 : requête inconnue «  »"},
      {std::string(100000, 'x'),
       "requête 1 : requête inconnue « xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx… » (connues"},
      // The inputs of every line are read before anything is sent.
      {"switch\nvalidite prix=12,50\n",
       "ligne 2 : entrée « prix=12,50 » : ce n’est pas un prix en centimes de 0 à 99999999 "
       "(rien n’est envoyé)"},
      {"validite prix=100000000\n", "ligne 1 : entrée « prix=100000000 » : ce n’est pas un prix"},
      {"info-dossier dossier=12a\n",
       "ligne 1 : entrée « dossier=12a » : ce n’est pas un numéro de dossier"},
      {"validite prix=12.5 dossier=\n", "validite/12.5/// "},
      {"\n# rien\n", "aucune requête à faire"},
  };
  for (const Cas& k : cas) {
    const auto requetes = LireScript(k.texte);
    std::string lu = TexteEchec(requetes);
    for (const auto& r : requetes.ValeurOu({})) {
      const auto b = [](const std::optional<bool>& v) { return v ? (*v ? "1" : "0") : ""; };
      lu += r.famille + "/" + r.prix.value_or("") + "/" + r.dossier.value_or("") + "/" +
            b(r.ecranHote) + "/" + b(r.modeVente) + " ";
    }
    EXPECT_EQ(lu.substr(0, k.lu.size()), k.lu) << k.texte;
  }
}

TEST(EnChaineJson, IsValidUtf8WithQuotesAndControlsEscaped) {
  const struct {
    std::string texte, json;
  } cas[] = {
      {"été €", "\"été €\""},
      {"\xE9t\xE9 \x80\xC3(", "\"été €Ã(\""},  // the terminal's Windows-1252
      {"a\"b\\c\x02\x7F", "\"a\\\"b\\\\c\\u0002\\u007f\""},
  };
  for (const auto& c : cas) EXPECT_EQ(EnChaineJson(c.texte), c.json) << c.texte;
}

}  // namespace
}  // namespace zef30

namespace zef30 {
namespace {

// A payment at 0.00 EUR goes as the window's would, and is said before it goes.
TEST(AvertissementPrix, APaymentWithoutAPriceIsSaid) {
  const struct {
    std::string famille;
    double prix;
    bool dit;
  } cas[] = {
      {"validite", 0, true},        {"enregistrement", 0, true}, {"validite", 1250, false},
      {"enregistrement", 1, false}, {"annulation", 0, false},    {"switch", 0, false},
      {"prix", 0, false},
  };
  for (const auto& c : cas) {
    EtatConsole etat;
    etat.Prix = c.prix;
    const std::string dit = AvertissementPrix(etat, *BoutonDeFamille(c.famille));
    EXPECT_EQ(!dit.empty(), c.dit) << c.famille << " " << c.prix;
    if (c.dit) {
      EXPECT_NE(dit.find(c.famille + " avec un prix de 0.00 EUR"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace zef30
