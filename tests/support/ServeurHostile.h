#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace zef30::essai {

// A serial device server that misbehaves on purpose, on a free port of 127.0.0.1: it takes one
// connection, sends `debut`, then `motif` over and over (as fast as the connection takes it, or
// at `debit` bytes a second), reading what the console sends or not; or it closes at once after
// `debut`, as a server whose line another operator holds. It stops with the object.
class ServeurHostile {
 public:
  struct Conduite {
    std::string debut = {};
    std::string motif = {};   // empty: nothing more
    bool lit = true;          // reads what the console sends
    bool fermer = false;      // closes right after `debut`
    double debit = 0;         // bytes a second; 0: as fast as it goes
    double duree = 0;         // seconds of sending; 0: until stopped
    int tamponReception = 0;  // its receive buffer, when it reads nothing; 0: the system's
  };

  explicit ServeurHostile(Conduite conduite) : conduite_(std::move(conduite)) {
    ecoute_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t taille = sizeof a;
    ::bind(ecoute_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(ecoute_, reinterpret_cast<sockaddr*>(&a), &taille);
    port_ = ntohs(a.sin_port);
    if (conduite_.tamponReception > 0) {
      ::setsockopt(ecoute_, SOL_SOCKET, SO_RCVBUF, &conduite_.tamponReception,
                   sizeof conduite_.tamponReception);
    }
    ::listen(ecoute_, 4);
    fil_ = std::thread([this] { Servir(); });
  }
  ~ServeurHostile() {
    arret_ = true;
    fil_.join();
    ::close(ecoute_);
  }
  ServeurHostile(const ServeurHostile&) = delete;
  ServeurHostile& operator=(const ServeurHostile&) = delete;

  std::string Url(bool telnet) const {
    return (telnet ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(port_);
  }
  // What it read of the console, and what it sent.
  std::size_t Recus() const { return recus_; }
  std::size_t Envoyes() const { return envoyes_; }

 private:
  void Servir() {
    int prise = -1;
    while (!arret_ && prise < 0) {
      pollfd attente{ecoute_, POLLIN, 0};
      if (::poll(&attente, 1, 20) > 0) prise = ::accept4(ecoute_, nullptr, nullptr, SOCK_CLOEXEC);
    }
    if (prise < 0) return;
    Envoyer(prise, conduite_.debut);
    if (conduite_.fermer) {
      ::shutdown(prise, SHUT_WR);
      ::close(prise);
      return;
    }
    std::string rafale;
    while (!conduite_.motif.empty() && rafale.size() < 64 * 1024) rafale += conduite_.motif;
    std::size_t position = 0;
    const auto debut = std::chrono::steady_clock::now();
    const auto ecoule = [&] {
      return std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    };
    while (!arret_ && (conduite_.duree <= 0 || ecoule() < conduite_.duree)) {
      // At a given rate, what is due by now; otherwise as much as the connection takes.
      // Where the pattern stands: a burst cut short goes on where it stopped.
      std::size_t du = rafale.size() - position;
      int attenteMs = 20;
      if (conduite_.debit > 0) {
        const double permis = conduite_.debit * ecoule() - static_cast<double>(envoyes_);
        du = static_cast<std::size_t>(std::clamp(permis, 0.0, static_cast<double>(du)));
        if (du == 0) attenteMs = 1;
      }
      const short voulu = static_cast<short>((conduite_.lit ? POLLIN : 0) | (du > 0 ? POLLOUT : 0));
      pollfd attente{prise, voulu, 0};
      if (::poll(&attente, 1, attenteMs) <= 0) continue;
      if (attente.revents & POLLIN) {
        char lus[4096];
        const ssize_t n = ::recv(prise, lus, sizeof lus, MSG_DONTWAIT);
        if (n == 0) break;
        if (n > 0) recus_ += static_cast<std::size_t>(n);
      }
      if ((attente.revents & POLLOUT) && du > 0) {
        const ssize_t n = ::send(prise, rafale.data() + position, du, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN) break;
        if (n > 0) {
          envoyes_ += static_cast<std::size_t>(n);
          position = (position + static_cast<std::size_t>(n)) % rafale.size();
        }
      }
      if (attente.revents & (POLLHUP | POLLERR)) break;
    }
    ::close(prise);
  }
  void Envoyer(int prise, const std::string& octets) {
    std::size_t faits = 0;
    while (faits < octets.size() && !arret_) {
      const ssize_t n = ::send(prise, octets.data() + faits, octets.size() - faits, MSG_NOSIGNAL);
      if (n <= 0) return;
      faits += static_cast<std::size_t>(n);
      envoyes_ += static_cast<std::size_t>(n);
    }
  }

  Conduite conduite_;
  int ecoute_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> arret_ = false;
  std::atomic<std::size_t> recus_ = 0;
  std::atomic<std::size_t> envoyes_ = 0;
  std::thread fil_;
};

}  // namespace zef30::essai
