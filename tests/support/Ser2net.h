#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <string>

#include "tests/support/DossierTemporaire.h"
#include "tests/support/Programme.h"

namespace zef30::essai {

// A real ser2net on 127.0.0.1 serving the line `chemin` over RFC 2217 and as raw TCP, each on a
// free port, with its own configuration; stopped at the end. Started again on the same ports.
class Ser2net {
 public:
  explicit Ser2net(const std::string& chemin) {
    // Bound all at once, so that the three are different; let go just before ser2net takes them.
    std::array<int, 3> prises{};
    for (std::size_t i = 0; i < prises.size(); ++i) {
      prises[i] = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in a = Adresse(0);
      socklen_t taille = sizeof a;
      ::bind(prises[i], reinterpret_cast<sockaddr*>(&a), sizeof a);
      ::getsockname(prises[i], reinterpret_cast<sockaddr*>(&a), &taille);
      ports_[i] = ntohs(a.sin_port);
    }
    for (const int p : prises) ::close(p);
    // The line has no modem lines (local); what it sends goes on at once (no chardelay). The
    // third connection is only there to tell when ser2net listens, without taking the line.
    std::string texte;
    for (std::size_t i = 0; i < 3; ++i) {
      texte += "connection: &c" + std::to_string(i) +
               "\n  accepter: " + (i == 0 ? "telnet(rfc2217),tcp(nodelay)," : "tcp(nodelay),") +
               "127.0.0.1," + std::to_string(ports_[i]) + "\n  connector: serialdev," +
               (i == 2 ? "/dev/null" : chemin) + ",9600n81,local\n  options:\n" +
               "    chardelay: false\n";
    }
    EcrireTout(dossier_.Fichier("ser2net.yaml"), texte);
    Demarrer();
  }
  ~Ser2net() { Arreter(); }

  // True once it listens, within 5 s.
  bool Demarrer() {
    serveur_.emplace(std::vector<std::string>{"-n", "-u", "-c", dossier_.Fichier("ser2net.yaml"),
                                              "-P", dossier_.Fichier("ser2net.pid")},
                     "/usr/sbin/ser2net");
    for (int essai = 0; serveur_->Lance() && essai < 1000; ++essai) {
      const int prise = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      const sockaddr_in a = Adresse(ports_[2]);
      const bool ecoute = ::connect(prise, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
      ::close(prise);
      if (ecoute) return true;
      // Not listening yet: a few milliseconds more, unless it has ended.
      if (serveur_->AttendreFin(5) >= 0) return false;
    }
    return false;
  }
  void Arreter() {
    if (!serveur_) return;
    serveur_->Signaler(SIGTERM);
    serveur_->AttendreFin(5000);
    serveur_.reset();
  }

  std::string Url(bool telnet) const {
    return (telnet ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") +
           std::to_string(ports_[telnet ? 0 : 1]);
  }

 private:
  static sockaddr_in Adresse(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
  }

  DossierTemporaire dossier_;
  std::array<std::uint16_t, 3> ports_{};
  std::optional<Programme> serveur_;
};

}  // namespace zef30::essai
