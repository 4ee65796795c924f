#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zef30 {

// The Telnet side of a line served over the network with the COM Port Control option: what the
// console sends is escaped, what the server sends is split into the terminal's bytes and the
// server's own commands, which are answered here and never reach the link. A pure filter: it
// only turns bytes into bytes, and never waits for a server that may never answer.
class FiltreTelnet {
 public:
  // What to send as soon as the connection is up: binary transmission and no go-ahead both ways,
  // the COM Port Control option, the terminal's line settings and a purge of both buffers.
  static std::string Ouverture();
  // The console's bytes as they go on the connection: every 0xFF doubled.
  static std::string Echapper(std::string_view octets);

  // Takes what the server sent (any cut: a command may straddle two calls): the terminal's bytes
  // are appended to `donnees`, the answers owed to the server to `reponses`. Each byte costs the
  // same whatever came before it, and the answers of a whole connection are bounded: each side
  // of each option is answered at most once, so no server can keep a negotiation going.
  void Recevoir(std::string_view recu, std::string& donnees, std::string& reponses);

  // The longest subnegotiation read: the server's notifications take a few bytes. One left open
  // past this is cut there, dropped, and what follows is the terminal's bytes again.
  static constexpr std::size_t kSousNegociationMax = 4096;

 private:
  enum class Etat : std::uint8_t { Donnees, Commande, Option, Sous, SousCommande };
  // Whether we said WILL (our side) and DO (the server's side) of an option, asked or agreed.
  struct Option {
    bool chezNous = false;
    bool chezLui = false;
    // Whether either side was answered already: it never is again.
    bool reponduNous = false;
    bool reponduLui = false;
  };
  void Negocier(std::uint8_t verbe, std::uint8_t option, std::string& reponses);

  Etat etat_ = Etat::Donnees;
  std::uint8_t verbe_ = 0;
  std::size_t dansSous_ = 0;  // bytes of the subnegotiation under way
  std::array<Option, 256> options_ = OptionsDemandees();
  static std::array<Option, 256> OptionsDemandees();
};

}  // namespace zef30
