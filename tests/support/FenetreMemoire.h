#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console/Fenetre.h"

namespace zef30::essai {

// The window kept in memory: every call leaves its trace for the tests to read.
class FenetreMemoire final : public Fenetre {
 public:
  struct Boite {
    std::string titre;
    std::string texte;
  };

  void AjouterLigne(const std::string& ligne) override { lignes.push_back(ligne); }
  void AfficherEtat(const std::string& contexte, const std::string& message) override {
    etat = TexteEtat(contexte, message);
    etats.push_back(etat);
  }
  void AfficherCarte(const std::string& numero, const std::string& dateValidite) override {
    numeroCarte = numero;
    dateValidite_ = dateValidite;
  }
  void EffacerCarte() override {
    numeroCarte.clear();
    dateValidite_.clear();
  }
  std::string LireTexte(ZoneTexte zone) const override {
    const auto trouve = textes.find(zone);
    return trouve == textes.end() ? std::string() : trouve->second;
  }
  void EcrireTexte(ZoneTexte zone, const std::string& texte) override { textes[zone] = texte; }
  void AjouterTexte(ZoneTexte zone, const std::string& texte) override { textes[zone] += texte; }
  bool EcranHoteCoche() const override { return ecranHote; }
  bool ModeVenteChoisi() const override { return modeVente; }
  void RemplirListeDossiers(const std::vector<std::string>& dossiers) override {
    listeDossiers.insert(listeDossiers.end(), dossiers.begin(), dossiers.end());
  }
  void ViderListeDossiers() override { listeDossiers.clear(); }
  void DefinirLegende(Panneau panneau, const std::string& texte) override {
    legendes[panneau] = texte;
  }
  void DefinirVisible(Panneau panneau, bool visible) override { visibles[panneau] = visible; }
  void Rafraichir(Panneau panneau) override { ++rafraichissements[panneau]; }
  void DefinirCouleurFond(Panneau panneau, std::optional<Couleur> couleur) override {
    fonds[panneau] = couleur;
  }
  void PointeurOccupe(bool occupe) override { pointeurs.push_back(occupe); }
  void BoiteMessage(const std::string& titre, const std::string& texte) override {
    boites.push_back({titre, texte});
    if (surBoite) surBoite();
  }
  void CederAuxEvenements() override {
    ++cessions;
    if (surCession) surCession();
  }

  std::vector<std::string> lignes;
  std::string etat;
  std::vector<std::string> etats;
  std::string numeroCarte;
  std::string dateValidite_;
  std::map<ZoneTexte, std::string> textes{{ZoneTexte::TextPrix, "100"}};
  bool ecranHote = true;
  bool modeVente = false;
  std::vector<std::string> listeDossiers;
  std::map<Panneau, std::string> legendes;
  std::map<Panneau, bool> visibles;
  std::map<Panneau, int> rafraichissements;
  std::map<Panneau, std::optional<Couleur>> fonds;
  std::vector<bool> pointeurs;
  std::vector<Boite> boites;
  int cessions = 0;
  // Played at each yield, a listener's waits included (which then let the scripted line advance
  // the virtual clock): how a test clicks "Sortie Ecoute" while a listener runs.
  std::function<void()> surCession;
  // Played while a message box waits for the operator.
  std::function<void()> surBoite;
};

}  // namespace zef30::essai
