#include "tests/support/PortScripte.h"

#include <algorithm>

namespace zef30::essai {

PortScripte& PortScripte::Repondre(std::string octets, double apres) {
  return RepondreEnMorceaux({{apres, std::move(octets)}});
}

PortScripte& PortScripte::RepondreEnMorceaux(std::vector<Morceau> morceaux) {
  reponses_.push_back(std::move(morceaux));
  return *this;
}

void PortScripte::Arriver(std::string octets, double apres) {
  EnvoyerEnRoute({Horloge::Plus(horloge_.Maintenant(), apres), std::move(octets), {}});
}

void PortScripte::PerdreLigne(std::string raison, double apres) {
  EnvoyerEnRoute({Horloge::Plus(horloge_.Maintenant(), apres), {}, std::move(raison)});
}

void PortScripte::EnvoyerEnRoute(Arrivee arrivee) {
  // Kept in order of arrival, those of one moment in the order they were sent: every look at the
  // line (thousands a listening) then takes them from the front without sorting.
  const auto place = std::upper_bound(
      enRoute_.begin(), enRoute_.end(), arrivee.instant,
      [](Horloge::Instant instant, const Arrivee& a) { return instant < a.instant; });
  enRoute_.insert(place, std::move(arrivee));
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

void PortScripte::Livrer() {
  const auto maintenant = horloge_.Maintenant();
  auto it = enRoute_.begin();
  for (; it != enRoute_.end() && it->instant <= maintenant; ++it) {
    if (!it->perte.empty()) {
      ouvert_ = false;
      erreur_ = it->perte;
      enRoute_.clear();
      return;
    }
    recu_ += it->octets;
  }
  enRoute_.erase(enRoute_.begin(), it);
}

int PortScripte::NombreEnAttente() {
  Livrer();
  return static_cast<int>(recu_.size());
}

std::string PortScripte::Lire() {
  Livrer();
  std::string lu;
  if (tailleLecture_ == 1) {
    lu = recu_.substr(0, std::min<std::size_t>(1, recu_.size()));
    recu_.erase(0, lu.size());
  } else {
    lu.swap(recu_);
  }
  return lu;
}

void PortScripte::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  for (;;) {
    Livrer();
    if (!erreur_.empty() || static_cast<int>(recu_.size()) >= nombre) return;
    if (enRoute_.empty() || enRoute_.front().instant > echeance) {
      horloge_.AvancerJusqua(echeance);
      return;
    }
    horloge_.AvancerJusqua(enRoute_.front().instant);
  }
}

}  // namespace zef30::essai
