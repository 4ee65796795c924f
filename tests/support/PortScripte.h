#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/LigneMemoire.h"
#include "tests/support/HorlogeVirtuelle.h"

namespace zef30::essai {

// A terminal played from a script on a virtual clock. Each write of the console takes the next
// scripted reply, whose pieces arrive at chosen delays after that write; a write with no reply
// left meets silence. Every write is recorded with its virtual moment.
class PortScripte final : public LigneMemoire {
 public:
  struct Morceau {
    double apres = 0;  // seconds after the write
    std::string octets;
  };
  struct Ecriture {
    std::string octets;
    double moment = 0;  // virtual seconds since the clock was made
  };

  explicit PortScripte(HorlogeVirtuelle& horloge) : LigneMemoire(horloge) {}

  // The reply to the next write: `octets` arriving `apres` seconds after it (empty = silence).
  PortScripte& Repondre(std::string octets, double apres = 0);
  PortScripte& RepondreEnMorceaux(std::vector<Morceau> morceaux);
  PortScripte& Silence() { return Repondre(""); }
  // Characters that arrive by themselves, `apres` seconds from now.
  void Arriver(std::string octets, double apres = 0);

  const std::vector<Ecriture>& Ecritures() const { return ecritures_; }
  // The writes joined, as the terminal saw the line.
  std::string Ligne() const;
  int NombreOuvertures() const { return ouvertures_; }
  int DernierNumeroOuvert() const { return dernierNumero_; }
  // No port opens, nor is any found by a scan, for that reason.
  void RefuserOuverture(std::string raison) { raisonRefus_ = std::move(raison); }
  // The line goes away `apres` seconds from now, for `raison`: the port closes itself, and
  // nothing more arrives or leaves until it is opened again.
  void PerdreLigne(std::string raison, double apres = 0);

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool Essayer(int) override { return raisonRefus_.empty(); }
  void Ecrire(std::string_view octets) override;

 private:
  std::deque<std::vector<Morceau>> reponses_;
  std::vector<Ecriture> ecritures_;
  std::string raisonRefus_;
  int ouvertures_ = 0;
  int dernierNumero_ = 0;
};

}  // namespace zef30::essai
