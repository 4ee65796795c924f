#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Horloge.h"
#include "link/PortSerie.h"
#include "simulator/Deroulement.h"
#include "simulator/Protocole.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// The simulated terminal at the end of a line that exists only in memory, on a clock that moves
// only when a wait asks it to: the same handshake, answers and faults as on a pseudo-terminal,
// at the same pace, but a 180 s time-out costs microseconds. The console uses it as its port.
class LigneVirtuelle final : public PortSerie {
 public:
  explicit LigneVirtuelle(Scenario scenario = {}, TableFamilles familles = FamillesConnues());

  // The clock of the line, for the console's link.
  const Horloge& HorlogeLigne() const { return horloge_; }
  // Virtual seconds since the line was made.
  double Ecoule() const;
  Scenario& ScenarioLigne() { return scenario_; }
  // Lets `secondes` pass with nobody waiting: the operator's pause between two requests.
  void Patienter(double secondes) {
    horloge_.AvancerJusqua(Horloge::Plus(horloge_.Maintenant(), secondes));
  }
  // Traffic the terminal starts by itself, played as soon as the line is idle.
  void EmettreSpontanement(Deroulement deroulement);

  std::string Recu() const { return recu_; }  // everything the console wrote
  std::string Emis() const { return emis_; }  // everything the terminal sent
  bool Raccrochee() const { return raccrochee_; }
  int RequetesServies() const { return protocole_.RequetesServies(); }

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return ouvert_; }
  void Fermer() override { ouvert_ = false; }
  std::string DerniereErreur() const override { return erreur_; }
  bool Essayer(int) override { return !raccrochee_; }
  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;

 private:
  class HorlogePas final : public Horloge {
   public:
    Instant Maintenant() const override { return maintenant_; }
    void AvancerJusqua(Instant instant) {
      if (instant > maintenant_) maintenant_ = instant;
    }

   private:
    Instant maintenant_{};
  };
  struct Arrivee {
    Horloge::Instant instant;
    std::string octets;
    bool raccrocher = false;
  };
  // Puts the terminal's replies on their way, one after the other as its thread would send them.
  void Programmer(const std::vector<Sortie>& sorties);
  void Livrer();

  Scenario scenario_;
  Protocole protocole_;
  HorlogePas horloge_;
  std::vector<Arrivee> enRoute_;
  Horloge::Instant libre_{};  // when the terminal has sent everything it had to send
  std::string attente_;       // arrived, not yet read by the console
  std::string recu_;
  std::string emis_;
  std::string erreur_;
  std::string entete_;  // "port N (ligne virtuelle) : ", as the real port names itself
  bool ouvert_ = false;
  bool raccrochee_ = false;
  int tailleLecture_ = 0;
};

}  // namespace zef30::simulateur
