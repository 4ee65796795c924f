#pragma once

#include <functional>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/FenetreRelais.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// A request run in the window as a click would: what it shows goes to the window, where the
// person at the bench sees it, and to the record its verdict is judged from; the inputs and the
// waits are the record's, whose waits go through the window's line.
class FenetreDouble final : public FenetreRelais {
 public:
  // The inputs the record holds start from what the window shows: price, dossier, "Ecran
  // Hote", "Mode Vente".
  FenetreDouble(FenetreTexte& releve, Fenetre& ecran);

  // What is shown goes to both; the window alone is repainted, coloured, made busy.
  void AjouterLigne(const std::string& ligne) override {
    releve_.AjouterLigne(ligne);
    FenetreRelais::AjouterLigne(ligne);
  }
  void AfficherEtat(const std::string& contexte, const std::string& message) override {
    releve_.AfficherEtat(contexte, message);
    FenetreRelais::AfficherEtat(contexte, message);
  }
  void AfficherCarte(const std::string& numero, const std::string& dateValidite) override {
    releve_.AfficherCarte(numero, dateValidite);
    FenetreRelais::AfficherCarte(numero, dateValidite);
  }
  void EffacerCarte() override {
    releve_.EffacerCarte();
    FenetreRelais::EffacerCarte();
  }
  void EcrireTexte(ZoneTexte zone, const std::string& texte) override {
    releve_.EcrireTexte(zone, texte);
    FenetreRelais::EcrireTexte(zone, texte);
  }
  void AjouterTexte(ZoneTexte zone, const std::string& texte) override {
    releve_.AjouterTexte(zone, texte);
    FenetreRelais::AjouterTexte(zone, texte);
  }
  void RemplirListeDossiers(const std::vector<std::string>& dossiers) override {
    releve_.RemplirListeDossiers(dossiers);
    FenetreRelais::RemplirListeDossiers(dossiers);
  }
  void ViderListeDossiers() override {
    releve_.ViderListeDossiers();
    FenetreRelais::ViderListeDossiers();
  }
  void DefinirLegende(Panneau panneau, const std::string& texte) override {
    releve_.DefinirLegende(panneau, texte);
    FenetreRelais::DefinirLegende(panneau, texte);
  }
  void DefinirVisible(Panneau panneau, bool visible) override {
    releve_.DefinirVisible(panneau, visible);
    FenetreRelais::DefinirVisible(panneau, visible);
  }
  void CederAuxEvenements() override {
    FenetreRelais::CederAuxEvenements();
    releve_.CederAuxEvenements();
  }
  // The inputs and the status are read from the record, which holds the request's own.
  std::string LireEtat() const override { return releve_.LireEtat(); }
  std::string LireTexte(ZoneTexte zone) const override { return releve_.LireTexte(zone); }
  bool EcranHoteCoche() const override { return releve_.EcranHoteCoche(); }
  bool ModeVenteChoisi() const override { return releve_.ModeVenteChoisi(); }
  // Nobody may answer a box while the plan holds the window: it is recorded and the plan goes
  // on, as in a headless run.
  void BoiteMessage(const std::string& titre, const std::string& texte) override {
    releve_.BoiteMessage(titre, texte);
  }
  void DonnerIndice(const std::string& texte) override { releve_.DonnerIndice(texte); }
  // The window's own wait, which ends on any of its events (a stop heard meanwhile, by a click
  // or by a script, ends the listening at once), bounded by the click the record has to make.
  void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override;

 private:
  FenetreTexte& releve_;
};

// A plan run in the window, through the same button table as a headless run: every step shows
// there as a click would, and is judged from what it showed. `dire` hears each step's verdict
// line once it is judged, then the summary's lines. `demander` is asked at each operator step:
// false ends the plan there, as an interrupted campaign. The plan's inputs start from what the
// window holds (price, dossier, "Ecran Hote", "Mode Vente").
void ExecuterPlanEnFenetre(Console& console, const std::vector<RequeteScriptee>& requetes,
                           const std::function<void(const std::string&)>& dire,
                           const std::function<bool(const std::string&)>& demander);

}  // namespace zef30
