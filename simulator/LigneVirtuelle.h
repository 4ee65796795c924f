#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Horloge.h"
#include "link/LigneMemoire.h"
#include "simulator/Deroulement.h"
#include "simulator/Protocole.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// The simulated terminal at the end of a line that exists only in memory, on a clock that moves
// only when a wait asks it to: the same handshake, answers and faults as on a pseudo-terminal,
// at the same pace, but a 180 s time-out costs microseconds. The console uses it as its port.
class LigneVirtuelle final : public LigneMemoire {
 public:
  explicit LigneVirtuelle(Scenario scenario = {}, TableFamilles familles = FamillesConnues());

  // The clock of the line, for the console's link.
  const Horloge& HorlogeLigne() const { return horloge_; }
  // Virtual seconds since the line was made.
  double Ecoule() const { return horloge_.Ecoule(); }
  Scenario& ScenarioLigne() { return scenario_; }
  // Lets `secondes` pass with nobody waiting: the operator's pause between two requests.
  void Patienter(double secondes) { horloge_.Avancer(Horloge::Secondes(secondes)); }
  // Traffic the terminal starts by itself, played as soon as the line is idle.
  void EmettreSpontanement(Deroulement deroulement);

  std::string Recu() const { return recu_; }     // everything the console wrote
  std::string Emis() const { return Arrive(); }  // everything the terminal sent
  // A virtual line fails in one way only: the terminal hung up. It stays so.
  bool Raccrochee() const { return !erreur_.empty(); }
  int RequetesServies() const { return protocole_.RequetesServies(); }

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool Essayer(int) override { return !Raccrochee(); }
  void Ecrire(std::string_view octets) override;

 private:
  // Puts the terminal's replies on their way, one after the other as its thread would send them.
  void Programmer(const std::vector<Sortie>& sorties);

  Scenario scenario_;
  Protocole protocole_;
  Horloge::Instant libre_{};  // when the terminal has sent everything it had to send
  std::string recu_;
};

}  // namespace zef30::simulateur
