#include "tests/support/PortScripte.h"

#include <utility>

namespace zef30::essai {

PortScripte& PortScripte::Repondre(std::string octets, double apres) {
  return RepondreEnMorceaux({{apres, std::move(octets)}});
}

PortScripte& PortScripte::RepondreEnMorceaux(std::vector<Morceau> morceaux) {
  reponses_.push_back(std::move(morceaux));
  return *this;
}

void PortScripte::Arriver(std::string octets, double apres) {
  EnvoyerEnRoute(Horloge::Plus(horloge_.Maintenant(), Horloge::Secondes(apres)), std::move(octets));
}

void PortScripte::PerdreLigne(std::string raison, double apres) {
  PerdreA(Horloge::Plus(horloge_.Maintenant(), Horloge::Secondes(apres)), std::move(raison));
}

std::string PortScripte::Ligne() const {
  std::string ligne;
  for (const auto& e : ecritures_) ligne += e.octets;
  return ligne;
}

bool PortScripte::Ouvrir(int numero, std::string_view) {
  dernierNumero_ = numero;
  erreur_ = raisonRefus_;
  if (!raisonRefus_.empty()) return false;
  ouvert_ = true;
  ++ouvertures_;
  return true;
}

void PortScripte::Ecrire(std::string_view octets) {
  Livrer();
  if (!erreur_.empty()) return;  // the line is gone
  ecritures_.push_back({std::string(octets), horloge_.Ecoule()});
  if (reponses_.empty()) return;
  for (auto& morceau : reponses_.front()) {
    if (!morceau.octets.empty()) Arriver(std::move(morceau.octets), morceau.apres);
  }
  reponses_.pop_front();
}

}  // namespace zef30::essai
