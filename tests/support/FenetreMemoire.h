#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console/FenetreEnregistree.h"

namespace zef30::essai {

// The window kept in memory: every call leaves its trace for the tests to read.
class FenetreMemoire final : public FenetreEnregistree {
 public:
  struct Boite {
    std::string titre;
    std::string texte;
  };

  void AfficherEtat(const std::string& contexte, const std::string& message) override {
    etat = TexteEtat(contexte, message);
    etats.push_back(etat);
  }
  std::string LireEtat() const override { return etat; }
  void AfficherCarte(const std::string& numero, const std::string& dateValidite) override {
    numeroCarte = numero;
    dateValidite_ = dateValidite;
  }
  void EffacerCarte() override {
    numeroCarte.clear();
    dateValidite_.clear();
  }
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
  void DonnerIndice(const std::string& texte) override { indices.push_back(texte); }
  void CederAuxEvenements() override {
    ++cessions;
    if (surCession) surCession();
  }

  std::string etat;
  std::vector<std::string> etats;
  std::string numeroCarte;
  std::string dateValidite_;
  std::vector<std::string> listeDossiers;
  std::map<Panneau, std::string> legendes;
  std::map<Panneau, bool> visibles;
  std::map<Panneau, int> rafraichissements;
  std::map<Panneau, std::optional<Couleur>> fonds;
  std::vector<bool> pointeurs;
  std::vector<Boite> boites;
  std::vector<std::string> indices;
  int cessions = 0;
  // Played at each yield, a listener's waits included (which then let the scripted line advance
  // the virtual clock): how a test clicks "Sortie Ecoute" while a listener runs.
  std::function<void()> surCession;
  // Played while a message box waits for the operator.
  std::function<void()> surBoite;
};

}  // namespace zef30::essai
