#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/Resultat.h"
#include "link/PortTampon.h"
#include "link/TablePorts.h"
#include "link/Telnet2217.h"

namespace zef30 {

// A line served over the network: "rfc2217://HOST:PORT" (Telnet with the COM Port Control
// option) or "tcp://HOST:PORT" (the bytes as they are).
struct AdresseReseau {
  bool telnet = false;
  std::string hote;     // a name or an address; an IPv6 address without its brackets
  std::string service;  // the TCP port, digits
};

// Whether the path of a port names a line on the network rather than a device.
bool EstAdresseReseau(std::string_view chemin);
// The address a network path names, or why not when its host or port is missing or wrong.
Resultat<AdresseReseau> LireAdresseReseau(std::string_view chemin);

// A port whose line is a TCP connection to a serial device server. Everything above it sees a
// serial line: what it counts, reads and waits for are the terminal's bytes alone, the Telnet
// commands being answered here; waits block in poll() on the socket. Connecting is bounded by
// `delaiConnexion`; a connection the server closes or resets is a lost line, as an adapter
// pulled out, and the next Ouvrir connects again.
//
// Whatever the server sends, the console stays its own master: the socket is read in large
// pieces, at most kLectureMax bytes at a time before the port pauses for kRepos (a server that
// floods is read no faster than that, and every wait still ends at its deadline); what goes to
// the server waits in a queue of at most kEnvoiMax bytes, past which a server that reads nothing
// is a lost line.
class PortReseau final : public PortTampon {
 public:
  // `delaiRefus`: how long, once connected, the server is given to refuse the connection (the
  // line another operator's: a text, then the close) before the first byte is sent.
  explicit PortReseau(TablePorts table,
                      std::chrono::milliseconds delaiConnexion = std::chrono::seconds(5),
                      std::chrono::milliseconds delaiRefus = std::chrono::milliseconds(200));
  ~PortReseau() override;
  PortReseau(const PortReseau&) = delete;
  PortReseau& operator=(const PortReseau&) = delete;

  bool Ouvrir(int numero, std::string_view parametres) override;
  // True for a well-formed network address, without connecting: the line may be another
  // operator's, and the start-up of the console must not wait on the network.
  bool Essayer(int numero) override;

  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  // While the port pauses, a descriptor that turns readable when it is over.
  int Descripteur() const override;

  static constexpr std::size_t kLectureMax = 64 * 1024;
  static constexpr std::chrono::milliseconds kRepos{10};
  static constexpr std::size_t kEnvoiMax = 64 * 1024;

 private:
  // Takes what the connection holds, its Telnet commands answered and taken out, until
  // `voulus` terminal bytes are in hand or nothing is left.
  bool Remplir(std::size_t voulus) override;
  void Rendre() override;
  std::string RaisonCoupure(short) const override { return "connexion perdue"; }
  bool AEnvoyer() const override { return !envoi_.empty(); }
  // Bytes as they go on the connection (escaped already when Telnet): queued, and as much of the
  // queue sent as the connection takes now.
  void Envoyer(std::string_view octets);
  // The server's refusal, within `delaiRefus_` of connecting: its words, or nullopt.
  std::optional<std::string> Refus(int fd, bool telnet) const;
  // Not read again before `fin`: the pause's descriptor armed for then.
  void Reposer(Horloge::Instant fin);

  TablePorts table_;
  std::chrono::milliseconds delaiConnexion_;
  std::chrono::milliseconds delaiRefus_;
  bool telnet_ = false;
  std::string envoi_;  // what the connection has not taken yet
  std::string recu_;   // a piece of the socket
  std::optional<Horloge::Instant> repos_;
  int minuterie_ = -1;  // a timer descriptor, readable once the pause is over
  FiltreTelnet filtre_;
  std::string derniers_;  // the last terminal bytes received, read or not
};

}  // namespace zef30
