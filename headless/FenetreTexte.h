#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "console/FenetreEnregistree.h"

namespace zef30 {

// What one request showed, as the window would have shown it.
struct Releve {
  std::vector<std::string> lignes;      // result lines (List1)
  std::vector<std::string> etats;       // status lines (Text1), in order
  std::string numeroCarte;              // TextNoCB
  std::string dateValidite;             // TextDateVal
  std::vector<std::string> textes;      // what was put in txtSelection: answers, receipts, reports
  std::vector<std::string> affichages;  // the terminal's display and the listening indicator
  std::vector<std::string> messages;    // message boxes, "title : text"
};

// The window as plain UTF-8 text, for runs without a display: every line, status, card, text
// and display caption is printed as it comes (when given a stream) and kept for the request's
// record. It holds the operator's inputs (price, dossier, "Ecran Hote", "Mode Vente") itself.
class FenetreTexte final : public FenetreEnregistree {
 public:
  // `sortie` null: nothing printed, the records only.
  explicit FenetreTexte(std::ostream* sortie = nullptr);

  void CocherEcranHote(bool coche) { ecranHote = coche; }
  // The operator's click `clic` once `quand` (on `horloge`) has come, at the next yield or
  // listener's wait: how a run ends a listening that only "Sortie Ecoute" ends.
  void ProgrammerClic(const Horloge& horloge, Horloge::Instant quand, std::function<void()> clic);
  void AnnulerClic() { clic_.reset(); }
  // When the programmed click is due (on its clock); none when no click is programmed.
  std::optional<Horloge::Instant> ClicProgramme() const {
    return clic_ ? std::optional(clic_->quand) : std::nullopt;
  }
  void ChoisirModeVente(bool vente) { modeVente = vente; }
  // What a person at a terminal would see of a listening without the window: its hints on
  // `flux`, and, when `ligneVivante` (`flux` is a terminal), one line kept up to date with the
  // time it has listened, as the window's listening shows it, cleared when it ends.
  void SuivreEcoutes(std::ostream& flux, const Horloge& horloge, bool ligneVivante);
  // What was shown since the last call, and a fresh record for the next request.
  Releve PrendreReleve();
  // What the window would hold now: every result line of the run (List1), the status (Text1).
  const std::vector<std::string>& Lignes() const { return lignes; }
  const std::string& Etat() const { return etat_; }

  void AjouterLigne(const std::string& ligne) override;
  void AfficherEtat(const std::string& contexte, const std::string& message) override;
  std::string LireEtat() const override { return etat_; }
  void AfficherCarte(const std::string& numero, const std::string& dateValidite) override;
  void EffacerCarte() override;
  void EcrireTexte(ZoneTexte zone, const std::string& texte) override;
  // What a listener adds to txtSelection is printed as it comes, the added part alone.
  void AjouterTexte(ZoneTexte zone, const std::string& texte) override;
  void RemplirListeDossiers(const std::vector<std::string>& dossiers) override;
  void ViderListeDossiers() override {}
  void DefinirLegende(Panneau panneau, const std::string& texte) override;
  // The panel a listener shows while it listens: when the listening starts and ends.
  void DefinirVisible(Panneau panneau, bool visible) override;
  // Told once, on the error stream and in the story.
  void DonnerIndice(const std::string& texte) override;
  void Rafraichir(Panneau) override {}
  void PointeurOccupe(bool) override {}
  // Nobody is there to press OK: the box is printed and the run goes on.
  void BoiteMessage(const std::string& titre, const std::string& texte) override;
  void CederAuxEvenements() override {
    CliquerSiLeMomentEstVenu();
    TenirLigneVivante();
  }
  // Sleeps on the line until a character comes, the deadline or the programmed click.
  void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override;

 private:
  // One printed item: its label, then the text, each of its lines indented.
  void Dire(const std::string& etiquette, const std::string& texte);
  // True when the programmed click was due, and has been made.
  bool CliquerSiLeMomentEstVenu();
  // The live line redrawn when the seconds it shows have changed; cleared.
  void TenirLigneVivante();
  void EffacerLigneVivante();

  struct Clic {
    const Horloge* horloge;
    Horloge::Instant quand;
    std::function<void()> action;
  };

  std::ostream* sortie_;
  Releve releve_;
  std::string etat_;
  std::optional<Clic> clic_;
  // The listening clock's caption, set again at every pass of the listener: told when it changes.
  std::string legendeEcoute_;
  struct Suivi {
    std::ostream* flux;
    const Horloge* horloge;
    bool ligneVivante;
  };
  std::optional<Suivi> suivi_;
  std::optional<Horloge::Instant> ecouteDepuis_;  // the listening under way began then
  long long secondesMontrees_ = -1;               // what the live line shows; -1: none shown
};

}  // namespace zef30
