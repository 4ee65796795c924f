#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "link/PortSerie.h"
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
class PortReseau final : public PortSerie {
 public:
  explicit PortReseau(TablePorts table,
                      std::chrono::milliseconds delaiConnexion = std::chrono::seconds(5));
  ~PortReseau() override;
  PortReseau(const PortReseau&) = delete;
  PortReseau& operator=(const PortReseau&) = delete;

  bool Ouvrir(int numero, std::string_view parametres) override;
  bool EstOuvert() const override { return fd_ >= 0; }
  void Fermer() override;
  std::string DerniereErreur() const override { return erreur_; }
  // True for a well-formed network address, without connecting: the line may be another
  // operator's, and the start-up of the console must not wait on the network.
  bool Essayer(int numero) override;

  void DefinirTailleLecture(int taille) override { tailleLecture_ = taille; }
  void Ecrire(std::string_view octets) override;
  int NombreEnAttente() override;
  std::string Lire() override;
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;
  int Descripteur() const override { return fd_; }

  // The most terminal bytes held unread; a wait for more ends with this many.
  static constexpr std::size_t kTamponMax = 64 * 1024;

 private:
  // Takes what the connection holds until `voulus` terminal bytes are in hand or nothing is
  // left; false once the connection is gone.
  bool Recueillir(std::size_t voulus);
  std::size_t EnMain() const { return tampon_.size() - debut_; }
  // Bytes as they go on the connection (escaped already when Telnet).
  void Envoyer(std::string_view octets);
  void Perdre(const std::string& raison);

  TablePorts table_;
  std::chrono::milliseconds delaiConnexion_;
  int fd_ = -1;
  bool telnet_ = false;
  FiltreTelnet filtre_;
  int tailleLecture_ = 0;
  std::string tampon_;  // terminal bytes received
  std::size_t debut_ = 0;
  std::string derniers_;  // the last terminal bytes received, read or not
  std::string erreur_;
  std::string entete_;
};

}  // namespace zef30
