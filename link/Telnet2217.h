#pragma once

#include <array>
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
  // are appended to `donnees`, the answers owed to the server to `reponses`.
  void Recevoir(std::string_view recu, std::string& donnees, std::string& reponses);

 private:
  enum class Etat : std::uint8_t { Donnees, Commande, Option, Sous, SousCommande };
  // Whether we said WILL (our side) and DO (the server's side) of an option, asked or agreed.
  struct Option {
    bool chezNous = false;
    bool chezLui = false;
  };
  void Negocier(std::uint8_t verbe, std::uint8_t option, std::string& reponses);

  Etat etat_ = Etat::Donnees;
  std::uint8_t verbe_ = 0;
  std::array<Option, 256> options_ = OptionsDemandees();
  static std::array<Option, 256> OptionsDemandees();
};

}  // namespace zef30
