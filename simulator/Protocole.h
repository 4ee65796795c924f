#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/Deroulement.h"
#include "simulator/Familles.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// What the terminal sends, in order, each after its own delay.
struct Sortie {
  std::string octets;
  double apres = 0;
  bool ensemble = false;  // in one write whatever the pacing, so that they are read together
};

// The terminal's side of the handshake, without line or clock: bytes from the console in, what
// the terminal sends back out. Anything that does not fit the handshake is ignored.
class Protocole {
 public:
  explicit Protocole(TableFamilles familles);

  std::vector<Sortie> Recevoir(std::string_view octets, const Scenario& scenario);
  // Traffic the terminal starts by itself: what to send now when the line is idle; otherwise it
  // waits for the end of the current exchange.
  std::vector<Sortie> Spontane(Deroulement deroulement, const Scenario& scenario);

  int RequetesServies() const { return servies_; }
  bool AuRepos() const { return etat_ == Etat::Repos && !collecte_; }
  TableFamilles& Familles() { return familles_; }

 private:
  enum class Etat { Repos, Acceptee, Refusee, Deroulement };

  void RecevoirOctet(char octet, const Scenario& scenario, std::vector<Sortie>& sorties);
  void TraiterTrame(const Scenario& scenario, std::vector<Sortie>& sorties);
  void Commencer(Deroulement deroulement, bool requete, std::vector<Sortie>& sorties);
  void Avancer(bool surAck, std::vector<Sortie>& sorties);
  void Terminer(std::vector<Sortie>& sorties);

  TableFamilles familles_;
  Etat etat_ = Etat::Repos;
  bool collecte_ = false;      // a frame is being received
  bool attenteCheck_ = false;  // its DLE ETX came, the check character is next
  std::string trame_;
  std::string requete_;
  int naksDonnes_ = 0;
  Deroulement deroulement_;
  std::size_t prochain_ = 0;
  bool deroulementRequete_ = false;
  std::deque<Deroulement> spontanes_;
  int servies_ = 0;
  char precedent_ = 0;  // the console's byte before the one being handled
};

}  // namespace zef30::simulateur
