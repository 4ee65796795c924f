#pragma once

#include <optional>
#include <string>
#include <vector>

#include "console/Fenetre.h"

namespace zef30 {

// A window that passes every call on to another: what a window adds to one it wraps (hearing
// what it shows, watching something more while a listener waits) overrides only that.
class FenetreRelais : public Fenetre {
 public:
  explicit FenetreRelais(Fenetre& fenetre) : fenetre_(fenetre) {}

  void AjouterLigne(const std::string& ligne) override { fenetre_.AjouterLigne(ligne); }
  void AfficherEtat(const std::string& contexte, const std::string& message) override {
    fenetre_.AfficherEtat(contexte, message);
  }
  std::string LireEtat() const override { return fenetre_.LireEtat(); }
  void AfficherCarte(const std::string& numero, const std::string& dateValidite) override {
    fenetre_.AfficherCarte(numero, dateValidite);
  }
  void EffacerCarte() override { fenetre_.EffacerCarte(); }
  std::string LireTexte(ZoneTexte zone) const override { return fenetre_.LireTexte(zone); }
  void EcrireTexte(ZoneTexte zone, const std::string& texte) override {
    fenetre_.EcrireTexte(zone, texte);
  }
  void AjouterTexte(ZoneTexte zone, const std::string& texte) override {
    fenetre_.AjouterTexte(zone, texte);
  }
  bool EcranHoteCoche() const override { return fenetre_.EcranHoteCoche(); }
  bool ModeVenteChoisi() const override { return fenetre_.ModeVenteChoisi(); }
  void RemplirListeDossiers(const std::vector<std::string>& dossiers) override {
    fenetre_.RemplirListeDossiers(dossiers);
  }
  void ViderListeDossiers() override { fenetre_.ViderListeDossiers(); }
  void DefinirLegende(Panneau panneau, const std::string& texte) override {
    fenetre_.DefinirLegende(panneau, texte);
  }
  void DefinirVisible(Panneau panneau, bool visible) override {
    fenetre_.DefinirVisible(panneau, visible);
  }
  void Rafraichir(Panneau panneau) override { fenetre_.Rafraichir(panneau); }
  void DefinirCouleurFond(Panneau panneau, std::optional<Couleur> couleur) override {
    fenetre_.DefinirCouleurFond(panneau, couleur);
  }
  void PointeurOccupe(bool occupe) override { fenetre_.PointeurOccupe(occupe); }
  void BoiteMessage(const std::string& titre, const std::string& texte) override {
    fenetre_.BoiteMessage(titre, texte);
  }
  void DonnerIndice(const std::string& texte) override { fenetre_.DonnerIndice(texte); }
  void CederAuxEvenements() override { fenetre_.CederAuxEvenements(); }
  void RefuserSaisiesEnAttente() override { fenetre_.RefuserSaisiesEnAttente(); }
  void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override {
    fenetre_.AttendreLigneOuEvenement(port, echeance);
  }

 protected:
  Fenetre& Interieure() { return fenetre_; }

 private:
  Fenetre& fenetre_;
};

}  // namespace zef30
