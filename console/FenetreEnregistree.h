#pragma once

#include <map>
#include <string>
#include <vector>

#include "console/Fenetre.h"

namespace zef30 {

// A window without a screen: it keeps in memory the result lines, the text boxes and the
// operator's choices, for the text front-end that prints what it is shown and for the tests that
// read it. Each of them adds what it makes of the rest.
class FenetreEnregistree : public Fenetre {
 public:
  void AjouterLigne(const std::string& ligne) override { lignes.push_back(ligne); }
  std::string LireTexte(ZoneTexte zone) const override {
    const auto trouve = textes.find(zone);
    return trouve == textes.end() ? std::string() : trouve->second;
  }
  void EcrireTexte(ZoneTexte zone, const std::string& texte) override { textes[zone] = texte; }
  void AjouterTexte(ZoneTexte zone, const std::string& texte) override { textes[zone] += texte; }
  bool EcranHoteCoche() const override { return ecranHote; }
  bool ModeVenteChoisi() const override { return modeVente; }

  std::vector<std::string> lignes;  // every result line (List1)
  // What each text box holds; "Prix" shows 100 at start-up.
  std::map<ZoneTexte, std::string> textes{{ZoneTexte::TextPrix, "100"}};
  bool ecranHote = true;   // Check1 "Ecran Hote", ticked at start-up
  bool modeVente = false;  // Option1 "Mode Vente"; "Mode Vidéo" is chosen at start-up
};

}  // namespace zef30
