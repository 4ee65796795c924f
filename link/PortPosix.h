#pragma once

#include <sys/stat.h>
#include <termios.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "link/PortSerie.h"
#include "link/TablePorts.h"

namespace zef30 {

// The speed of line settings such as "9600,N,8,1": 9600 or 19200 bauds, 8 data bits, no parity, 1
// stop bit, the only ones the console asks for; nullopt for any other.
std::optional<int> LireVitesse(std::string_view parametres);
// What is left before `echeance` for a poll(), in milliseconds rounded up, at most a minute (the
// waiter then looks again); 0 once it has passed.
int MillisecondesAvant(Horloge::Instant echeance);
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

// A serial line through termios: raw, 8N1, no flow control. Waits block in poll() on the
// descriptor, and what arrives is moved into our own buffer so that a wait for several
// characters sleeps until each new one instead of spinning on data already counted. Only what
// the reader takes next is moved (one character, the characters a wait asks for, or what waits
// at a read of everything, up to kTamponMax): the system keeps the rest, so a terminal that
// floods the line costs no more memory than that.
// The line is the console's alone while open (TIOCEXCL and an advisory flock), asks the driver for
// low latency, and gets back the settings it had when it is closed or found gone.
class PortPosix final : public PortSerie {
 public:
  explicit PortPosix(TablePorts table);
  ~PortPosix() override;
  PortPosix(const PortPosix&) = delete;
  PortPosix& operator=(const PortPosix&) = delete;

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return fd_ >= 0; }
  void Fermer() override;
  std::string DerniereErreur() const override { return erreur_; }
  bool Essayer(int numero) override;

  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;
  int Descripteur() const override { return fd_; }

  const TablePorts& Table() const { return table_; }

  // The most a wait gathers, or a read of everything takes: more than the longest frame; a wait
  // for more ends with this many.
  static constexpr std::size_t kTamponMax = 64 * 1024;

 private:
  // Moves characters the system holds into `tampon_` until `voulus` (at most kTamponMax) are in
  // hand or none is left; false once the line is gone.
  bool Recueillir(std::size_t voulus);
  // Characters in hand, not read yet.
  std::size_t EnMain() const;
  // Characters the system holds for us (FIONREAD).
  int EnAttenteSysteme() const;
  // Gives the line back as it was found, lets other programs have it, closes the descriptor.
  void Rendre();
  // The line went away: closed, and the reason kept for the operator. What had arrived before
  // can still be read.
  void Perdre(const std::string& raison);
  void DemanderFaibleLatence();

  TablePorts table_;
  int fd_ = -1;
  int tailleLecture_ = 0;
  std::string tampon_;
  std::size_t debut_ = 0;  // where the characters not read yet begin in `tampon_`
  std::string erreur_;
  std::string entete_;  // "port N (path) : ", naming the open line in messages
  termios reglagesTrouves_{};
  bool faibleLatenceDemandee_ = false;
};

}  // namespace zef30
