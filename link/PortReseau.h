#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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
// The address a network path names; nullopt, and why in `erreur`, when its host or port is
// missing or wrong.
std::optional<AdresseReseau> LireAdresseReseau(std::string_view chemin, std::string& erreur);

// A port whose line is a TCP connection to a serial device server. Everything above it sees a
// serial line: what it counts, reads and waits for are the terminal's bytes alone, the Telnet
// commands being answered here; waits block in poll() on the socket. Connecting is bounded by
// `delaiConnexion`; a connection the server closes or resets is a lost line, as an adapter
// pulled out, and the next Ouvrir connects again.
class PortReseau final : public PortTampon {
 public:
  explicit PortReseau(TablePorts table,
                      std::chrono::milliseconds delaiConnexion = std::chrono::seconds(5));
  ~PortReseau() override;
  PortReseau(const PortReseau&) = delete;
  PortReseau& operator=(const PortReseau&) = delete;

  bool Ouvrir(int numero, std::string_view parametres) override;
  // True for a well-formed network address, without connecting: the line may be another
  // operator's, and the start-up of the console must not wait on the network.
  bool Essayer(int numero) override;

  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;

 private:
  // Takes what the connection holds, its Telnet commands answered and taken out, until
  // `voulus` terminal bytes are in hand or nothing is left.
  bool Remplir(std::size_t voulus) override;
  void Rendre() override;
  std::string RaisonCoupure(short) const override { return "connexion perdue"; }
  // Bytes as they go on the connection (escaped already when Telnet).
  void Envoyer(std::string_view octets);

  TablePorts table_;
  std::chrono::milliseconds delaiConnexion_;
  bool telnet_ = false;
  FiltreTelnet filtre_;
  std::string derniers_;  // the last terminal bytes received, read or not
};

}  // namespace zef30
