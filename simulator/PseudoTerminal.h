#pragma once

#include <chrono>
#include <string>

#include "base/Resultat.h"

namespace zef30::simulateur {

// A pseudo-terminal for a terminal played here: our side (the master), and our own hold on the
// side the console opens, so that our side never reads a hang-up while no console has it open.
struct PseudoTerminal {
  int maitre = -1;
  int esclave = -1;
  std::string chemin;  // the side the console opens
};

// Opens one, raw at 9600 bauds, both descriptors non-blocking and closed on exec; or why the
// system gives none.
Resultat<PseudoTerminal> OuvrirPseudoTerminal();

// Since we hold the console's side open, the exclusive mode (TIOCEXCL) of a console that went
// away without giving it back (killed, crashed) would outlive it and keep every later console
// out. This watch hears each close of that side, and when the line is still in exclusive mode
// with nobody holding its lock (a console that holds the line always does), it lifts the mode
// on our own hold of the side, so the next console opens the line.
class GardeExclusivite {
 public:
  using Horloge = std::chrono::steady_clock;

  GardeExclusivite() = default;
  ~GardeExclusivite();
  GardeExclusivite(const GardeExclusivite&) = delete;
  GardeExclusivite& operator=(const GardeExclusivite&) = delete;

  // Watches the side at `chemin`, which we hold open as `esclave`. False when the system gives
  // no watch: the line then works as before, without the lifting.
  bool Surveiller(const std::string& chemin, int esclave);
  void Arreter();

  // Readable when the side has been closed; -1 without a watch.
  int Descripteur() const { return fd_; }
  // How long to wait, at most, before the next look (-1: until the next close).
  int DelaiMs(Horloge::time_point maintenant) const;
  // After a wait (`fermee`: Descripteur() was readable): takes the closes told, looks when due.
  // True when it has just lifted the mode.
  bool Examiner(bool fermee, Horloge::time_point maintenant);

 private:
  int fd_ = -1;
  int esclave_ = -1;
  // A closing program lets its lock go a moment after its close is told: until then, we look
  // again every few milliseconds.
  Horloge::time_point regarderJusqua_{};
};

}  // namespace zef30::simulateur
