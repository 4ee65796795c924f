#include "simulator/LigneVirtuelle.h"

#include <algorithm>
#include <utility>

namespace zef30::simulateur {

LigneVirtuelle::LigneVirtuelle(Scenario scenario, TableFamilles familles)
    : scenario_(std::move(scenario)), protocole_(std::move(familles)) {}

double LigneVirtuelle::Ecoule() const {
  return std::chrono::duration<double>(horloge_.Maintenant() - Horloge::Instant{}).count();
}

bool LigneVirtuelle::Ouvrir(int numero, std::string_view) {
  entete_ = "port " + std::to_string(numero) + " (ligne virtuelle) : ";
  if (raccrochee_) {
    erreur_ = entete_ + "ouverture impossible : ligne raccrochée";
    return false;
  }
  erreur_.clear();
  ouvert_ = true;
  return true;
}

void LigneVirtuelle::EmettreSpontanement(Deroulement deroulement) {
  Programmer(protocole_.Spontane(std::move(deroulement), scenario_));
}

void LigneVirtuelle::Ecrire(std::string_view octets) {
  Livrer();
  if (!ouvert_ || raccrochee_) return;
  recu_ += octets;
  Programmer(protocole_.Recevoir(octets, scenario_));
}

void LigneVirtuelle::Programmer(const std::vector<Sortie>& sorties) {
  auto instant = std::max(libre_, horloge_.Maintenant());
  // 10 bits a character on the line (start, 8 data bits, stop).
  const double parCaractere = scenario_.bauds > 0 ? 10.0 / scenario_.bauds : 0;
  for (const Sortie& sortie : sorties) {
    instant = Horloge::Plus(instant, sortie.apres);
    if (sortie.raccrocher) {
      enRoute_.push_back({instant, "", true});
      continue;
    }
    const bool ensemble = sortie.ensemble || scenario_.rafale || parCaractere <= 0;
    for (std::size_t i = 0; i < sortie.octets.size();) {
      const std::size_t n = ensemble ? sortie.octets.size() : 1;
      instant = Horloge::Plus(instant, ensemble ? 0 : parCaractere);
      enRoute_.push_back({instant, sortie.octets.substr(i, n)});
      i += n;
    }
  }
  libre_ = instant;
}

void LigneVirtuelle::Livrer() {
  std::stable_sort(enRoute_.begin(), enRoute_.end(),
                   [](const Arrivee& a, const Arrivee& b) { return a.instant < b.instant; });
  const auto maintenant = horloge_.Maintenant();
  auto it = enRoute_.begin();
  for (; it != enRoute_.end() && it->instant <= maintenant && !raccrochee_; ++it) {
    if (it->raccrocher) {
      // As the real port does with a line found gone: closed, and saying why.
      raccrochee_ = true;
      ouvert_ = false;
      erreur_ = entete_ + "ligne perdue : raccrochée";
      continue;
    }
    attente_ += it->octets;
    emis_ += it->octets;
  }
  // Nothing comes any more on a line that has hung up.
  enRoute_.erase(enRoute_.begin(), raccrochee_ ? enRoute_.end() : it);
}

int LigneVirtuelle::NombreEnAttente() {
  Livrer();
  return static_cast<int>(attente_.size());
}

std::string LigneVirtuelle::Lire() {
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

void LigneVirtuelle::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  for (;;) {
    Livrer();
    // A hung-up line ends every wait at once, as the real port does.
    if (static_cast<int>(attente_.size()) >= nombre || raccrochee_) return;
    if (enRoute_.empty() || enRoute_.front().instant > echeance) {
      horloge_.AvancerJusqua(echeance);
      return;
    }
    horloge_.AvancerJusqua(enRoute_.front().instant);
  }
}

}  // namespace zef30::simulateur
