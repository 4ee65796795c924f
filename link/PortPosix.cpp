#include "link/PortPosix.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>

#include "base/Texte.h"
#include "link/FichierRegulier.h"
#include "link/Signaux.h"

namespace zef30 {

namespace {

constexpr std::string_view kDejaUtilise = "déjà utilisé par un autre programme";

// Exclusive mode with nobody holding the lock: a program that takes no lock holds the line, or
// one that ended without giving it back left it so (on a pseudo-terminal whose other side stays
// open, the mode outlives the program).
std::string ModeExclusifSeul(const std::string& chemin) {
  return "ligne en mode exclusif sans verrou : un programme qui ne la verrouille pas la tient, "
         "ou l’a laissée ainsi en s’arrêtant ; « fuser -v " +
         chemin + " » nomme ceux qui l’ont ouverte : fermez-les pour la libérer";
}

// Why the line at `chemin` is refused, when it is in exclusive mode and cannot be opened.
std::string RaisonOccupee(const std::string& chemin) {
  struct stat fichier {};
  return ::stat(chemin.c_str(), &fichier) == 0 && SansVerrou(fichier) ? ModeExclusifSeul(chemin)
                                                                      : std::string(kDejaUtilise);
}

}  // namespace

std::optional<int> LireVitesse(std::string_view parametres) {
  const auto virgule = parametres.find(',');
  const std::string_view vitesse = parametres.substr(0, virgule);
  const std::string_view reste =
      virgule == std::string_view::npos ? "" : parametres.substr(virgule);
  if (reste != ",N,8,1") return std::nullopt;
  if (vitesse == "9600") return 9600;
  if (vitesse == "19200") return 19200;
  return std::nullopt;
}

bool ReglerLigneBrute(int fd, speed_t vitesse) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, vitesse);
  ::cfsetospeed(&tio, vitesse);
  return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool EcrireSurLigne(int fd, std::string_view octets, bool prise) {
  for (;;) {
    const auto ecriture = EcrireTout(fd, octets, std::nullopt, prise);
    if (ecriture.erreur != EAGAIN) {
      errno = ecriture.erreur;
      return ecriture.erreur == 0;
    }
    octets.remove_prefix(ecriture.ecrits);
    // Nobody reads the line: wait a little for room, then let the rest go.
    pollfd attente{fd, POLLOUT, 0};
    if (::poll(&attente, 1, 1000) <= 0) return true;
    if (attente.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      errno = EIO;
      return false;
    }
  }
}

void RestaurerLigne(int fd, const termios& trouves, bool faibleLatence) {
  serial_struct serie{};
  if (faibleLatence && ::ioctl(fd, TIOCGSERIAL, &serie) == 0) {
    serie.flags &= ~ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serie);
  }
  // On a line that is gone these fail, and there is nothing left to give back.
  ::tcsetattr(fd, TCSANOW, &trouves);
  ::ioctl(fd, TIOCNXCL);
}

bool SansVerrou(const struct stat& fichier) {
  const int fd = ::open("/proc/locks", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // The table has a line per lock held on the system; more than this would be no table.
  constexpr std::size_t kTailleMax = 16 * 1024 * 1024;
  std::string table;
  char morceau[4096];
  ssize_t lus = 0;
  while (table.size() < kTailleMax && (lus = ::read(fd, morceau, sizeof morceau)) != 0) {
    if (lus < 0 && errno == EINTR) continue;
    if (lus < 0) break;
    table.append(morceau, static_cast<std::size_t>(lus));
  }
  ::close(fd);
  if (lus != 0) return false;
  // "1: FLOCK  ADVISORY  WRITE 16513 00:19:3 0 EOF": the file system's device, then the inode.
  char fichierVise[64];
  std::snprintf(fichierVise, sizeof fichierVise, "%02x:%02x:%llu", ::major(fichier.st_dev),
                ::minor(fichier.st_dev), static_cast<unsigned long long>(fichier.st_ino));
  for (const std::string_view ligne : DecouperLignes(table)) {
    std::vector<std::string_view> mots;
    for (const std::string_view mot : Decouper(ligne, " ")) {
      if (!mot.empty()) mots.push_back(mot);
    }
    // A lock waited for ("1: -> FLOCK ...") is held by nobody yet.
    if (mots.size() < 6 || mots[1] != "FLOCK") continue;
    if (mots[5] == fichierVise) return false;
  }
  return true;
}

PortPosix::PortPosix(TablePorts table) : table_(std::move(table)) {}

PortPosix::~PortPosix() { Fermer(); }

bool PortPosix::Essayer(int numero) {
  // Neither carrier wait nor controlling terminal, and not one setting read back or written.
  const int fd = ::open(table_.Chemin(numero).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool serie = ::isatty(fd) == 1;
  ::close(fd);
  return serie;
}

bool PortPosix::Ouvrir(int numero, std::string_view parametres) {
  // A signal that ends the console finds the line either not taken, or taken and known to it.
  const SignauxRetenus retenus;
  Fermer();
  const std::string chemin = table_.Chemin(numero);
  const std::string entete = "port " + std::to_string(numero) + " (" + chemin + ") : ";
  const auto vitesse = LireVitesse(parametres);
  if (!vitesse) {
    erreur_ = entete + "réglages de ligne non pris en charge « " + std::string(parametres) + " »";
    return false;
  }
  const int fd = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // EBUSY: the line is in exclusive mode (TIOCEXCL).
    const int e = errno;
    erreur_ = entete +
              (e == EBUSY ? RaisonOccupee(chemin) : "ouverture impossible : " + DecrireErreur(e));
    return false;
  }
  termios trouves{};
  if (::tcgetattr(fd, &trouves) != 0) {
    const int e = errno;
    ::close(fd);
    erreur_ = entete + (e == ENOTTY ? "ce n’est pas une ligne série"
                                    : "réglage de la ligne impossible : " + DecrireErreur(e));
    return false;
  }
  // Taken before anything is changed: a line another program holds keeps its settings. Root,
  // whom TIOCEXCL lets through, is stopped by the lock or by the exclusive mode already set.
  // (A file system without locks lets the line be opened without one.)
  const bool verrouillee = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  int exclusif = 0;
  if (verrouillee || (::ioctl(fd, TIOCGEXCL, &exclusif) == 0 && exclusif != 0)) {
    ::close(fd);
    erreur_ = entete + (verrouillee ? std::string(kDejaUtilise) : ModeExclusifSeul(chemin));
    return false;
  }
  ::ioctl(fd, TIOCEXCL);
  fd_ = fd;
  reglagesTrouves_ = trouves;
  entete_ = entete;
  if (!ReglerLigneBrute(fd, *vitesse == 19200 ? B19200 : B9600)) {
    const int e = errno;
    Fermer();
    erreur_ = entete + "réglage de la ligne impossible : " + DecrireErreur(e);
    return false;
  }
  DemanderFaibleLatence();
  ConfierLigne(fd_, reglagesTrouves_, faibleLatenceDemandee_);
  tampon_.clear();
  debut_ = 0;
  erreur_.clear();
  return true;
}

void PortPosix::DemanderFaibleLatence() {
  // A USB adapter otherwise holds what it receives up to 16 ms before handing it on, at every
  // turn of the handshake. Lines that have no such setting (pseudo-terminals) refuse: no matter.
  serial_struct serie{};
  if (::ioctl(fd_, TIOCGSERIAL, &serie) != 0 || (serie.flags & ASYNC_LOW_LATENCY) != 0) return;
  serie.flags |= ASYNC_LOW_LATENCY;
  faibleLatenceDemandee_ = ::ioctl(fd_, TIOCSSERIAL, &serie) == 0;
}

void PortPosix::Rendre() {
  if (fd_ < 0) return;
  const SignauxRetenus retenus;
  ReprendreLigne(fd_);
  RestaurerLigne(fd_, reglagesTrouves_, faibleLatenceDemandee_);
  faibleLatenceDemandee_ = false;
  ::close(fd_);  // lets the advisory lock go
  fd_ = -1;
}

int PortPosix::EnAttenteSysteme() const {
  int n = 0;
  if (::ioctl(fd_, FIONREAD, &n) != 0 || n < 0) return 0;
  return n;
}

bool PortPosix::Remplir(std::size_t voulus) {
  char morceau[512];
  while (tampon_.size() < voulus) {
    const std::size_t n = std::min(sizeof morceau, voulus - tampon_.size());
    const ssize_t lus = ::read(fd_, morceau, n);
    if (lus > 0) {
      tampon_.append(morceau, static_cast<std::size_t>(lus));
      continue;
    }
    if (lus < 0 && errno == EINTR) continue;
    // Nothing more for now: EAGAIN, or 0, which a raw line read with VMIN = VTIME = 0 gives when
    // nothing waits. A line that hangs up without an error is told by poll() in AttendreAuMoins.
    if (lus == 0 || errno == EAGAIN) return true;
    // EIO (a pseudo-terminal whose other end closed, an adapter pulled out), ENXIO...
    Perdre(DecrireErreur(errno));
    return false;
  }
  return true;
}

void PortPosix::Ecrire(std::string_view octets) {
  if (fd_ >= 0 && !EcrireSurLigne(fd_, octets)) Perdre(DecrireErreur(errno));
}

int PortPosix::NombreEnAttente() {
  // One character taken when none is in hand: a line gone is found by that read.
  if (!Recueillir(1)) return static_cast<int>(EnMain());
  const long long n = static_cast<long long>(EnMain()) + EnAttenteSysteme();
  return static_cast<int>(std::min<long long>(n, std::numeric_limits<int>::max()));
}

std::string PortPosix::RaisonCoupure(short evenements) const {
  return (evenements & POLLHUP) ? "raccrochée" : "erreur de ligne";
}

}  // namespace zef30
