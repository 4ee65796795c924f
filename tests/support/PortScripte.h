#pragma once

#include <deque>
#include <string>
#include <vector>

#include "link/PortSerie.h"
#include "tests/support/HorlogeVirtuelle.h"

namespace zef30::essai {

// A terminal played from a script on a virtual clock. Each write of the console takes the next
// scripted reply, whose pieces arrive at chosen delays after that write; a write with no reply
// left meets silence. Every write is recorded with its virtual moment.
class PortScripte final : public PortSerie {
 public:
  struct Morceau {
    double apres = 0;  // seconds after the write
    std::string octets;
  };
  struct Ecriture {
    std::string octets;
    double moment = 0;  // virtual seconds since the clock was made
  };

  explicit PortScripte(HorlogeVirtuelle& horloge) : horloge_(horloge) {}

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
  int TailleLecture() const { return tailleLecture_; }

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return ouvert_; }
  void Fermer() override { ouvert_ = false; }
  std::string DerniereErreur() const override { return erreur_; }
  bool Essayer(int) override { return raisonRefus_.empty(); }
  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;

 private:
  struct Arrivee {
    Horloge::Instant instant;
    std::string octets;
    std::string perte;  // not empty: the line goes, for this reason
  };
  void EnvoyerEnRoute(Arrivee arrivee);
  void Livrer();

  HorlogeVirtuelle& horloge_;
  std::deque<std::vector<Morceau>> reponses_;
  std::vector<Arrivee> enRoute_;
  std::string recu_;
  std::vector<Ecriture> ecritures_;
  std::string raisonRefus_;
  std::string erreur_;
  bool ouvert_ = false;
  int ouvertures_ = 0;
  int dernierNumero_ = 0;
  int tailleLecture_ = 0;
};

}  // namespace zef30::essai
