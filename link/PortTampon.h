#pragma once

#include <cstddef>
#include <string>

#include "link/PortSerie.h"

namespace zef30 {

// What is left before `echeance` for a poll(), in milliseconds rounded up, at most a minute (the
// waiter then looks again); 0 once it has passed.
int MillisecondesAvant(Horloge::Instant echeance);

// A port whose received characters are moved from a descriptor that never blocks into a buffer
// of its own, so that a wait for several characters sleeps in poll() until each new one instead
// of spinning on data already counted. Only what the reader takes next is moved (one character,
// the characters a wait asks for, or what waits at a read of everything, up to kTamponMax).
// A local line and a line on the network differ only in how they take characters in and give
// the descriptor back.
class PortTampon : public PortSerie {
 public:
  bool EstOuvert() const override { return fd_ >= 0; }
  void Fermer() override;
  std::string DerniereErreur() const override { return erreur_; }
  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;
  int Descripteur() const override { return fd_; }

  // The most a wait gathers, or a read of everything takes: more than the longest frame; a wait
  // for more ends with this many.
  static constexpr std::size_t kTamponMax = 64 * 1024;

 protected:
  // Moves characters into `tampon_` until `voulus` (at most kTamponMax) are in hand or none is
  // left; false once the line is gone.
  bool Recueillir(std::size_t voulus);
  // Characters in hand, not read yet.
  std::size_t EnMain() const { return tampon_.size() - debut_; }
  // The line went away: given back, and the reason kept for the operator. What had arrived
  // before can still be read.
  void Perdre(const std::string& raison);

  int fd_ = -1;
  std::string tampon_;
  std::size_t debut_ = 0;  // where the characters not read yet begin in `tampon_`
  std::string erreur_;
  std::string entete_;  // "port N (path) : ", naming the open line in messages

 private:
  // Reads from `fd_` into `tampon_`, whose read part is gone already, until it holds `voulus`
  // or nothing more waits; false once the line is gone (after Perdre).
  virtual bool Remplir(std::size_t voulus) = 0;
  // Gives the descriptor back and closes it.
  virtual void Rendre() = 0;
  // Why the line is gone when poll() says it hung up or failed.
  virtual std::string RaisonCoupure(short evenements) const = 0;
  // Whether bytes wait to go out: a wait then wakes when the line takes some, and any operation
  // sends them.
  virtual bool AEnvoyer() const { return false; }

  int tailleLecture_ = 0;
};

}  // namespace zef30
