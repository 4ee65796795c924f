#include "link/LigneMemoire.h"

#include <algorithm>
#include <utility>

namespace zef30 {

void LigneMemoire::EnvoyerEnRoute(Horloge::Instant instant, std::string octets) {
  Placer({instant, std::move(octets), {}});
}

void LigneMemoire::PerdreA(Horloge::Instant instant, std::string raison) {
  Placer({instant, {}, std::move(raison)});
}

void LigneMemoire::Placer(Arrivee arrivee) {
  // Kept in order of arrival: every look at the line (thousands a listening) then takes them
  // from the front without sorting.
  const auto place = std::upper_bound(
      enRoute_.begin(), enRoute_.end(), arrivee.instant,
      [](Horloge::Instant instant, const Arrivee& a) { return instant < a.instant; });
  enRoute_.insert(place, std::move(arrivee));
}

void LigneMemoire::Livrer() {
  const auto maintenant = horloge_.Maintenant();
  auto it = enRoute_.begin();
  for (; it != enRoute_.end() && it->instant <= maintenant; ++it) {
    if (!it->perte.empty()) {
      // As the real port does with a line found gone: closed, and saying why.
      ouvert_ = false;
      erreur_ = entete_ + it->perte;
      enRoute_.clear();
      return;
    }
    attente_ += it->octets;
    arrive_ += it->octets;
  }
  enRoute_.erase(enRoute_.begin(), it);
}

int LigneMemoire::NombreEnAttente() {
  Livrer();
  return static_cast<int>(attente_.size());
}

std::string LigneMemoire::Lire() {
  Livrer();
  std::string lu;
  if (tailleLecture_ == 1) {
    lu = attente_.substr(0, std::min<std::size_t>(1, attente_.size()));
    attente_.erase(0, lu.size());
  } else {
    lu.swap(attente_);
  }
  return lu;
}

void LigneMemoire::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  for (;;) {
    Livrer();
    if (!erreur_.empty() || static_cast<int>(attente_.size()) >= nombre) return;
    if (enRoute_.empty() || enRoute_.front().instant > echeance) {
      horloge_.AvancerJusqua(echeance);
      return;
    }
    horloge_.AvancerJusqua(enRoute_.front().instant);
  }
}

}  // namespace zef30
