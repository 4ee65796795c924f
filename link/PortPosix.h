#pragma once

#include <sys/stat.h>
#include <termios.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "link/PortTampon.h"
#include "link/TablePorts.h"

namespace zef30 {

// The speed of line settings such as "9600,N,8,1": 9600 or 19200 bauds, 8 data bits, no parity, 1
// stop bit, the only ones the console asks for; nullopt for any other.
std::optional<int> LireVitesse(std::string_view parametres);
// A line's descriptor made raw: 8N1, no flow control, no echo, reads that never block
// (VMIN = VTIME = 0), at `vitesse` (B9600...). False, with errno set, when it is no serial line
// (ENOTTY) or refuses the settings.
bool ReglerLigneBrute(int fd, speed_t vitesse);
// Every byte of `octets` written to a non-blocking line, waiting up to 1 s at a time for room
// (then the rest is let go). False, with errno set, when the line refuses the write (gone). A
// `prise` (a network connection) is written without SIGPIPE.
bool EcrireSurLigne(int fd, std::string_view octets, bool prise = false);
// Gives a line taken with ReglerLigneBrute back as it was found: `trouves`, no exclusive mode, and
// no low latency when `faibleLatence` (we asked for it). Async-signal-safe; the descriptor stays
// open.
void RestaurerLigne(int fd, const termios& trouves, bool faibleLatence);
// True when the system's table of locks (/proc/locks) could be read and shows no flock on
// `fichier`: nobody holds the line locked.
bool SansVerrou(const struct stat& fichier);

// A serial line through termios: raw, 8N1, no flow control, read through the buffer of a
// PortTampon: the system keeps what the reader does not take next, so a terminal that floods the
// line costs no more memory than that.
// The line is the console's alone while open (TIOCEXCL and an advisory flock), asks the driver for
// low latency, and gets back the settings it had when it is closed or found gone.
class PortPosix final : public PortTampon {
 public:
  explicit PortPosix(TablePorts table);
  ~PortPosix() override;
  PortPosix(const PortPosix&) = delete;
  PortPosix& operator=(const PortPosix&) = delete;

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool Essayer(int numero) override;

  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;

  const TablePorts& Table() const { return table_; }

 private:
  bool Remplir(std::size_t voulus) override;
  // Gives the line back as it was found, lets other programs have it, closes the descriptor.
  void Rendre() override;
  std::string RaisonCoupure(short evenements) const override;
  // Characters the system holds for us (FIONREAD).
  int EnAttenteSysteme() const;
  void DemanderFaibleLatence();

  TablePorts table_;
  termios reglagesTrouves_{};
  bool faibleLatenceDemandee_ = false;
};

}  // namespace zef30
