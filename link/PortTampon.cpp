#include "link/PortTampon.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace zef30 {

int MillisecondesAvant(Horloge::Instant echeance) {
  using namespace std::chrono;
  const auto reste = echeance - steady_clock::now();
  if (reste <= steady_clock::duration::zero()) return 0;
  // Rounded up so that the wait never ends a hair before its deadline.
  const auto ms = duration_cast<milliseconds>(reste + milliseconds(1) - nanoseconds(1));
  return static_cast<int>(std::min<long long>(ms.count(), 60'000));
}

void PortTampon::Fermer() {
  Rendre();
  tampon_.clear();
  debut_ = 0;
}

void PortTampon::Perdre(const std::string& raison) {
  Rendre();
  erreur_ = entete_ + "ligne perdue : " + raison;
}

bool PortTampon::Recueillir(std::size_t voulus) {
  if (fd_ < 0) return false;
  voulus = std::min(voulus, kTamponMax);
  if (EnMain() >= voulus) return true;
  // What was read already goes first: the buffer never holds more than one wait asked for.
  tampon_.erase(0, debut_);
  debut_ = 0;
  return Remplir(voulus);
}

std::string PortTampon::Lire() {
  std::string lu;
  if (tailleLecture_ == 1) {
    Recueillir(1);
    if (EnMain() > 0) lu.assign(1, tampon_[debut_++]);
  } else {
    // Everything waiting, up to kTamponMax: a terminal that never pauses cannot keep one read
    // going. (The system's count may not hold yet what a read of a pseudo-terminal would find.)
    Recueillir(kTamponMax);
    lu = tampon_.substr(debut_);
    tampon_.clear();
  }
  if (debut_ >= tampon_.size()) {
    tampon_.clear();
    debut_ = 0;
  }
  return lu;
}

void PortTampon::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  for (;;) {
    if (nombre <= 0) return;
    const auto voulus = static_cast<std::size_t>(nombre);
    if (!Recueillir(voulus) || EnMain() >= std::min(voulus, kTamponMax)) return;
    const int ms = MillisecondesAvant(echeance);
    if (ms <= 0) return;
    // The line's descriptor, or the one a port that pauses gives instead.
    const int fd = Descripteur();
    pollfd attente{fd, static_cast<short>(POLLIN | (AEnvoyer() ? POLLOUT : 0)), 0};
    const int pret = ::poll(&attente, 1, ms);
    if (pret < 0 && errno != EINTR) return;
    // A hung-up line or a closed connection stays readable and would wake poll() at once,
    // forever: take what the system still holds, then the line is gone.
    if (pret > 0 && fd == fd_ && (attente.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      if (Recueillir(kTamponMax)) Perdre(RaisonCoupure(attente.revents));
      return;
    }
  }
}

}  // namespace zef30
