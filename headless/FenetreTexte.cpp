#include "headless/FenetreTexte.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "base/Texte.h"
#include "link/TraceLigne.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

const char* NomPanneau(Panneau panneau) {
  switch (panneau) {
    case Panneau::PanelAnnulation:
      return "afficheur";
    case Panneau::PanelRefus:
      return "afficheur (redémarrage)";
    case Panneau::LabelTemps:
      return "afficheur (télécollecte)";
    case Panneau::Label6:
      return "écoute";
  }
  return "afficheur";
}

}  // namespace

FenetreTexte::FenetreTexte(std::ostream* sortie) : sortie_(sortie) {}

void FenetreTexte::SuivreEcoutes(std::ostream& flux, const Horloge& horloge, bool ligneVivante) {
  suivi_ = Suivi{&flux, &horloge, ligneVivante};
}

Releve FenetreTexte::PrendreReleve() {
  // A listening that ended through its error box never hid its panel.
  ecouteDepuis_.reset();
  EffacerLigneVivante();
  return std::exchange(releve_, Releve{});
}

void FenetreTexte::DefinirVisible(Panneau panneau, bool visible) {
  if (panneau != Panneau::PanelAnnulation && panneau != Panneau::PanelRefus) return;
  if (visible && suivi_) {
    ecouteDepuis_ = suivi_->horloge->Maintenant();
  } else if (!visible) {
    ecouteDepuis_.reset();
    EffacerLigneVivante();
  }
}

void FenetreTexte::TenirLigneVivante() {
  if (!suivi_ || !suivi_->ligneVivante || !ecouteDepuis_) return;
  const auto secondes = static_cast<long long>(
      std::chrono::duration<double>(suivi_->horloge->Maintenant() - *ecouteDepuis_).count());
  if (secondes == secondesMontrees_) return;
  secondesMontrees_ = secondes;
  char texte[48];
  std::snprintf(texte, sizeof texte, "\r    EN ECOUTE %lld:%02lld\x1b[K", secondes / 60,
                secondes % 60);
  *suivi_->flux << texte << std::flush;
}

void FenetreTexte::EffacerLigneVivante() {
  if (secondesMontrees_ < 0 || !suivi_) return;
  secondesMontrees_ = -1;
  *suivi_->flux << "\r\x1b[K" << std::flush;
}

void FenetreTexte::DonnerIndice(const std::string& texte) {
  Dire("indice : ", texte);
  if (!suivi_) return;
  EffacerLigneVivante();
  *suivi_->flux << "zef30-console : " << texte << std::endl;
}

void FenetreTexte::Dire(const std::string& etiquette, const std::string& texte) {
  if (sortie_ == nullptr) return;
  // The story and the live line may share the screen: the line goes first.
  EffacerLigneVivante();
  std::ostream& o = *sortie_;
  // A text of several lines (receipt, report) goes under its label, one line each.
  const auto lignes = DecouperLignes(texte);
  if (lignes.size() == 1 && texte.find('\n') == std::string::npos) {
    o << "    " << etiquette << NommerControles(lignes[0]);
  } else {
    std::string_view seule = etiquette;
    if (seule.ends_with(' ')) seule.remove_suffix(1);
    o << "    " << seule;
    for (const auto ligne : lignes) o << "\n      " << NommerControles(ligne);
  }
  o << std::endl;
}

void FenetreTexte::ProgrammerClic(const Horloge& horloge, Horloge::Instant quand,
                                  std::function<void()> clic) {
  clic_ = Clic{&horloge, quand, std::move(clic)};
}

bool FenetreTexte::CliquerSiLeMomentEstVenu() {
  if (!clic_ || clic_->horloge->Maintenant() < clic_->quand) return false;
  const auto action = std::move(clic_->action);
  clic_.reset();
  action();
  return true;
}

void FenetreTexte::AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) {
  if (CliquerSiLeMomentEstVenu()) return;
  // The live line moves on every second even on a quiet line.
  auto jusqua = clic_ ? std::min(echeance, clic_->quand) : echeance;
  if (suivi_ && suivi_->ligneVivante && ecouteDepuis_) {
    jusqua = std::min(jusqua, Horloge::Plus(suivi_->horloge->Maintenant(), 1s));
  }
  port.AttendreAuMoins(1, jusqua);
  CliquerSiLeMomentEstVenu();
  TenirLigneVivante();
}

void FenetreTexte::AjouterLigne(const std::string& ligne) {
  FenetreEnregistree::AjouterLigne(ligne);
  releve_.lignes.push_back(ligne);
  Dire("", ligne);
}

void FenetreTexte::AfficherEtat(const std::string& contexte, const std::string& message) {
  etat_ = TexteEtat(contexte, message);
  releve_.etats.push_back(etat_);
  Dire("état : ", releve_.etats.back());
}

void FenetreTexte::AfficherCarte(const std::string& numero, const std::string& dateValidite) {
  releve_.numeroCarte = numero;
  releve_.dateValidite = dateValidite;
  Dire("carte : ", "N° CB " + numero + ", date de validité " + dateValidite);
}

void FenetreTexte::EffacerCarte() {
  releve_.numeroCarte.clear();
  releve_.dateValidite.clear();
}

void FenetreTexte::EcrireTexte(ZoneTexte zone, const std::string& texte) {
  FenetreEnregistree::EcrireTexte(zone, texte);
  if (zone == ZoneTexte::txtSelection) {
    releve_.textes.push_back(texte);
    Dire("texte : ", texte);
  } else if (zone == ZoneTexte::Text2) {
    Dire("dossier : ", texte);
  }
}

void FenetreTexte::RemplirListeDossiers(const std::vector<std::string>& dossiers) {
  std::string liste;
  for (const auto& dossier : dossiers) liste += (liste.empty() ? "" : ", ") + dossier;
  Dire("dossiers : ", liste);
}

void FenetreTexte::AjouterTexte(ZoneTexte zone, const std::string& texte) {
  FenetreEnregistree::AjouterTexte(zone, texte);
  std::string_view ajout = texte;
  if (ajout.starts_with("\r\n")) ajout.remove_prefix(2);  // the line it opens is the label's
  if (zone == ZoneTexte::txtSelection) Dire("texte, suite : ", std::string(ajout));
}

void FenetreTexte::DefinirLegende(Panneau panneau, const std::string& texte) {
  if (panneau == Panneau::Label6) {
    if (texte == legendeEcoute_) return;
    legendeEcoute_ = texte;
  }
  releve_.affichages.push_back(texte);
  Dire(std::string(NomPanneau(panneau)) + " : ", texte);
}

void FenetreTexte::BoiteMessage(const std::string& titre, const std::string& texte) {
  releve_.messages.push_back(titre + " : " + texte);
  Dire("message : ", releve_.messages.back());
}

}  // namespace zef30
