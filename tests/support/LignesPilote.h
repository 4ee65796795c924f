#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

namespace zef30::essai {

// A client of the Unix socket at `chemin`, as a test framework's would be; -1 when it cannot
// connect.
inline int Connecter(const std::string& chemin) {
  sockaddr_un adresse{};
  adresse.sun_family = AF_UNIX;
  chemin.copy(adresse.sun_path, sizeof adresse.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) == 0) return fd;
  ::close(fd);
  return -1;
}

// The client's end of a piloted console's channel (a socket): commands written whole, answers
// read back a line at a time, each wait bounded.
class ClientPilote {
 public:
  explicit ClientPilote(int fd = -1) : fd_(fd) {}

  void Envoyer(const std::string& ligne) const {
    const std::string texte = ligne + "\n";
    (void)::send(fd_, texte.data(), texte.size(), MSG_NOSIGNAL);
  }
  // The next answer line, or empty when none came within `limiteMs` (or the channel ended).
  std::string Lire(int limiteMs) {
    for (;;) {
      if (const auto saut = recu_.find('\n'); saut != std::string::npos) {
        std::string ligne = recu_.substr(0, saut);
        recu_.erase(0, saut + 1);
        return ligne;
      }
      pollfd attente{fd_, POLLIN, 0};
      if (::poll(&attente, 1, limiteMs) != 1) return {};
      char morceau[4096];
      const ssize_t n = ::recv(fd_, morceau, sizeof morceau, 0);
      if (n <= 0) return {};
      recu_.append(morceau, static_cast<std::size_t>(n));
    }
  }
  // The next answer holding `piece`, those before it passed over (and kept in `passees`).
  std::string Attendre(const std::string& piece, int limiteMs, std::string* passees = nullptr) {
    for (std::string ligne = Lire(limiteMs); !ligne.empty(); ligne = Lire(limiteMs)) {
      if (ligne.find(piece) != std::string::npos) return ligne;
      if (passees != nullptr) *passees += ligne.substr(0, 400) + "\n";
    }
    return {};
  }
  // Asks the state until it says a listening runs (at most `essais` times).
  bool AttendreEcoute(int limiteMs, int essais = 1000) {
    for (int essai = 0; essai < essais; ++essai) {
      Envoyer(R"({"id":"e","etat":true})");
      const std::string etat = Attendre(R"({"id":"e","etat":{)", limiteMs);
      if (etat.empty()) return false;
      if (etat.find(R"("ecoute":true)") != std::string::npos) return true;
    }
    return false;
  }

 private:
  int fd_;
  std::string recu_;
};

}  // namespace zef30::essai
