#include "link/PortPosix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace zef30 {

namespace {

struct Parametres {
  speed_t vitesse = B9600;
  bool valides = false;
};

// Only what the console ever asks for: a speed, no parity, 8 data bits, 1 stop bit.
Parametres LireParametres(std::string_view texte) {
  Parametres p;
  const auto virgule = texte.find(',');
  const std::string_view vitesse = texte.substr(0, virgule);
  const std::string_view reste = virgule == std::string_view::npos ? "" : texte.substr(virgule);
  if (reste != ",N,8,1") return p;
  if (vitesse == "9600") {
    p.vitesse = B9600;
  } else if (vitesse == "19200") {
    p.vitesse = B19200;
  } else {
    return p;
  }
  p.valides = true;
  return p;
}

std::string Raison(int erreur) { return std::strerror(erreur); }

}  // namespace

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

void EcrireSurLigne(int fd, std::string_view octets) {
  std::size_t faits = 0;
  while (faits < octets.size()) {
    const ssize_t ecrits = ::write(fd, octets.data() + faits, octets.size() - faits);
    if (ecrits > 0) {
      faits += static_cast<std::size_t>(ecrits);
    } else if (ecrits < 0 && errno == EINTR) {
      continue;
    } else if (ecrits < 0 && errno == EAGAIN) {
      // Nobody reads the line: wait a little for room, then let the rest go.
      pollfd attente{fd, POLLOUT, 0};
      if (::poll(&attente, 1, 1000) <= 0) return;
    } else {
      return;
    }
  }
}

PortPosix::PortPosix(TablePorts table) : table_(std::move(table)) {}

PortPosix::~PortPosix() { Fermer(); }

bool PortPosix::Ouvrir(int numero, std::string_view parametres) {
  Fermer();
  const std::string chemin = table_.Chemin(numero);
  const std::string entete = "port " + std::to_string(numero) + " (" + chemin + ") : ";
  const Parametres p = LireParametres(parametres);
  if (!p.valides) {
    erreur_ = entete + "réglages de ligne non pris en charge « " + std::string(parametres) + " »";
    return false;
  }
  const int fd = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    erreur_ = entete + "ouverture impossible : " + Raison(errno);
    return false;
  }
  if (!ReglerLigneBrute(fd, p.vitesse)) {
    const int e = errno;
    ::close(fd);
    erreur_ = entete + (e == ENOTTY ? "ce n’est pas une ligne série"
                                    : "réglage de la ligne impossible : " + Raison(e));
    return false;
  }
  fd_ = fd;
  tampon_.clear();
  erreur_.clear();
  return true;
}

void PortPosix::Fermer() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  tampon_.clear();
}

bool PortPosix::Recueillir() {
  if (fd_ < 0) return false;
  char morceau[512];
  for (;;) {
    const ssize_t lus = ::read(fd_, morceau, sizeof morceau);
    if (lus > 0) {
      tampon_.append(morceau, static_cast<std::size_t>(lus));
      continue;
    }
    if (lus < 0 && errno == EINTR) continue;
    // Nothing more for now: EAGAIN, or 0, which a raw line read with VMIN = VTIME = 0 gives when
    // nothing waits. Any other error (EIO: a pseudo-terminal whose other end closed): gone. A
    // line that hangs up is told by poll() in AttendreAuMoins.
    return lus == 0 || errno == EAGAIN;
  }
}

void PortPosix::Ecrire(std::string_view octets) {
  if (fd_ >= 0) EcrireSurLigne(fd_, octets);
}

int PortPosix::NombreEnAttente() {
  Recueillir();
  return static_cast<int>(tampon_.size());
}

std::string PortPosix::Lire() {
  Recueillir();
  std::string lu;
  if (tailleLecture_ == 1) {
    if (!tampon_.empty()) {
      lu = tampon_.substr(0, 1);
      tampon_.erase(0, 1);
    }
  } else {
    lu.swap(tampon_);
  }
  return lu;
}

void PortPosix::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  using namespace std::chrono;
  bool raccrochee = false;
  for (;;) {
    const bool vivant = Recueillir();
    // After a hang-up, what was still in the system has just been collected: nothing more comes.
    if (static_cast<int>(tampon_.size()) >= nombre || !vivant || raccrochee) return;
    const auto reste = echeance - steady_clock::now();
    if (reste <= steady_clock::duration::zero()) return;
    // Round up so that the wait never ends a hair before its deadline.
    const auto ms = duration_cast<milliseconds>(reste + milliseconds(1) - nanoseconds(1));
    pollfd attente{fd_, POLLIN, 0};
    const int pret = ::poll(&attente, 1, static_cast<int>(std::min<long long>(ms.count(), 60'000)));
    if (pret < 0 && errno != EINTR) return;
    // A hung-up line stays readable (reads give 0) and would wake poll() at once, forever.
    if (pret > 0 && (attente.revents & (POLLHUP | POLLERR | POLLNVAL))) raccrochee = true;
  }
}

}  // namespace zef30
