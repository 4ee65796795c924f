#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "link/TraceLigne.h"
#include "simulator/Protocole.h"
#include "simulator/PseudoTerminal.h"

namespace zef30::simulateur {

// A recorded line played again from the terminal's side: what the terminal sent goes out as it
// went then, each burst once the console's bytes recorded before it have come, after its
// recorded pause (or a short one); the console's bytes are checked against the recording.
class Rejeu {
 public:
  // Compressed pauses last at most this.
  static constexpr double kPauseComprimee = 0.02;

  Rejeu(std::vector<EnregistrementTrace> enregistrements, bool pausesComprimees);

  // The terminal's bursts due now, in order, each with its pause: every one up to the next
  // console burst of the recording.
  std::vector<Sortie> AEnvoyer();
  // Bytes from the console. False from the first byte that differs (or that comes after the
  // end of the recording); Ecart() then says where.
  bool Recevoir(std::string_view octets);
  bool Fini() const { return prochain_ >= enregistrements_.size() && attendu_ == 0; }
  const std::optional<std::string>& Ecart() const { return ecart_; }
  // Where the replay stands, for people: "enregistrement 12 (1234.567 ms)".
  std::string Position() const;

 private:
  std::vector<EnregistrementTrace> enregistrements_;
  bool comprimees_;
  std::size_t prochain_ = 0;  // the next record to play
  std::size_t courant_ = 0;   // the console record being checked, when attendu_ > 0
  std::size_t attendu_ = 0;   // its bytes still to come
  std::optional<std::string> ecart_;
};

// Plays `rejeu` on the line `fd` until it is done, a console byte differs, the console keeps
// silent for `silenceMax` seconds where the recording waits for it, or `arret` is set. Tells
// what happened on `compteRendu` in one line; returns 0 when the console matched to the end.
// With `garde`, the watch of the console's side of a pseudo-terminal runs all along, as it does
// for the simulated terminal: a console killed holding the line leaves it to the next.
int JouerRejeu(int fd, Rejeu& rejeu, double silenceMax, const std::atomic<bool>& arret,
               std::ostream& compteRendu, GardeExclusivite* garde = nullptr);

}  // namespace zef30::simulateur
