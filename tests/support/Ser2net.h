#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <optional>
#include <string>

#include "link/PortReseau.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/Programme.h"

namespace zef30::essai {

// A real ser2net on 127.0.0.1 serving the line `chemin` over RFC 2217 and as raw TCP, each on a
// free port, with its own configuration; stopped at the end, started again on the same ports.
class Ser2net {
 public:
  explicit Ser2net(const std::string& chemin) {
    // Bound all at once, so that they differ; let go just before ser2net takes them. The third
    // only tells when ser2net listens, without taking the line.
    int prises[3];
    std::string texte;
    for (int i = 0; i < 3; ++i) {
      prises[i] = Lier(ports_[i]);
      texte += "connection: &c" + std::to_string(i) +
               "\n  accepter: " + (i == 0 ? "telnet(rfc2217)," : "") + "tcp(nodelay),127.0.0.1," +
               std::to_string(ports_[i]) + "\n  connector: serialdev," +
               (i == 2 ? "/dev/null" : chemin) + ",9600n81,local\n  options:\n" +
               "    chardelay: false\n";
    }
    for (const int p : prises) ::close(p);
    EcrireTout(dossier_.Fichier("ser2net.yaml"), texte);
    Demarrer();
  }
  ~Ser2net() { Arreter(); }

  // True once it listens, within 5 s.
  bool Demarrer() {
    serveur_.emplace(std::vector<std::string>{"-n", "-u", "-c", dossier_.Fichier("ser2net.yaml"),
                                              "-P", dossier_.Fichier("ser2net.pid")},
                     "/usr/sbin/ser2net");
    TablePorts table;
    table.Associer(1, "tcp://127.0.0.1:" + std::to_string(ports_[2]));
    // Connected is listening: ser2net's end of a connection to /dev/null is no refusal to wait for.
    PortReseau sonde(table, std::chrono::seconds(5), std::chrono::milliseconds(0));
    for (int essai = 0; serveur_->Lance() && essai < 1000; ++essai) {
      if (sonde.Ouvrir(1, "")) return true;
      if (serveur_->AttendreFin(5) >= 0) return false;  // a few ms more, unless it has ended
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
    return (telnet ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(ports_[!telnet]);
  }

  // A socket bound to a free port of 127.0.0.1, given in `port`.
  static int Lier(std::uint16_t& port) {
    const int prise = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t taille = sizeof a;
    ::bind(prise, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(prise, reinterpret_cast<sockaddr*>(&a), &taille);
    port = ntohs(a.sin_port);
    return prise;
  }

 private:
  DossierTemporaire dossier_;
  std::uint16_t ports_[3] = {};
  std::optional<Programme> serveur_;
};

}  // namespace zef30::essai
