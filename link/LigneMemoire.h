#pragma once

#include <string>
#include <vector>

#include "base/Horloge.h"
#include "link/PortSerie.h"

namespace zef30 {

// A line that exists only in memory, on a virtual clock: what the far end sends is put on its
// way to arrive at a chosen moment, and a wait moves the clock on to the next arrival or to its
// deadline, so a time-out of minutes costs microseconds. The far end -- a script, the simulated
// terminal -- is the derived class: it opens, takes what the console writes and answers.
class LigneMemoire : public PortSerie {
 public:
  // On a clock of its own, or on `horloge`, shared with what else runs on the same time.
  LigneMemoire() : horloge_(horlogePropre_) {}
  explicit LigneMemoire(HorlogeVirtuelle& horloge) : horloge_(horloge) {}
  LigneMemoire(const LigneMemoire&) = delete;
  LigneMemoire& operator=(const LigneMemoire&) = delete;

  bool EstOuvert() const override { return ouvert_; }
  void Fermer() override { ouvert_ = false; }
  std::string DerniereErreur() const override { return erreur_; }
  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  int NombreEnAttente() override;
  std::string Lire() override;
  // A line that is gone, or was refused, ends every wait at once, as a real line does.
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;

  int TailleLecture() const { return tailleLecture_; }
  // Everything that has arrived so far, read or not.
  const std::string& Arrive() const { return arrive_; }

 protected:
  // `octets` arrive at `instant`; those of one moment in the order they were sent.
  void EnvoyerEnRoute(Horloge::Instant instant, std::string octets);
  // At `instant` the line goes: it closes, DerniereErreur() says `entete_` and `raison`, and
  // nothing still on its way arrives.
  void PerdreA(Horloge::Instant instant, std::string raison);
  // What has arrived by now joins the characters waiting to be read.
  void Livrer();

 private:
  HorlogeVirtuelle horlogePropre_;

 protected:
  HorlogeVirtuelle& horloge_;
  bool ouvert_ = false;
  // Not empty: the line is gone, or would not open, and says why.
  std::string erreur_;
  // How the line names itself at the head of its messages ("port 1 (ligne virtuelle) : ").
  std::string entete_;

 private:
  struct Arrivee {
    Horloge::Instant instant;
    std::string octets;
    std::string perte;  // not empty: the line goes, for this reason
  };
  void Placer(Arrivee arrivee);

  std::vector<Arrivee> enRoute_;
  std::string attente_;  // arrived, not yet read
  std::string arrive_;
  int tailleLecture_ = 0;
};

}  // namespace zef30
