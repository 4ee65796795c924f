#include "simulator/LigneVirtuelle.h"

#include <algorithm>
#include <utility>

namespace zef30::simulateur {

LigneVirtuelle::LigneVirtuelle(Scenario scenario, TableFamilles familles)
    : scenario_(std::move(scenario)), protocole_(std::move(familles)) {}

bool LigneVirtuelle::Ouvrir(int numero, std::string_view) {
  // As the real port names itself.
  entete_ = "port " + std::to_string(numero) + " (ligne virtuelle) : ";
  if (Raccrochee()) {
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
  if (!ouvert_ || Raccrochee()) return;
  recu_ += octets;
  Programmer(protocole_.Recevoir(octets, scenario_));
}

void LigneVirtuelle::Programmer(const std::vector<Sortie>& sorties) {
  // Nothing comes any more on a line that has hung up.
  if (Raccrochee()) return;
  auto instant = std::max(libre_, horloge_.Maintenant());
  // 10 bits a character on the line (start, 8 data bits, stop).
  const double parCaractere = scenario_.bauds > 0 ? 10.0 / scenario_.bauds : 0;
  for (const Sortie& sortie : sorties) {
    instant = Horloge::Plus(instant, Horloge::Secondes(sortie.apres));
    if (sortie.raccrocher) {
      PerdreA(instant, "ligne perdue : raccrochée");
      continue;
    }
    const bool ensemble = sortie.ensemble || scenario_.rafale || parCaractere <= 0;
    for (std::size_t i = 0; i < sortie.octets.size();) {
      const std::size_t n = ensemble ? sortie.octets.size() : 1;
      instant = Horloge::Plus(instant, Horloge::Secondes(ensemble ? 0 : parCaractere));
      EnvoyerEnRoute(instant, sortie.octets.substr(i, n));
      i += n;
    }
  }
  libre_ = instant;
}

}  // namespace zef30::simulateur
