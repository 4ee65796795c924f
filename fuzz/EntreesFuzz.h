#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/Console.h"
#include "console/Poste.h"
#include "link/Liaison.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/HorlogeMuraleFixe.h"
#include "tests/support/PortScripte.h"

// What the fuzz targets make of the fuzzer's bytes: the terminal's replies, a command line.
namespace zef30::fuzz {

// The terminal's side of a line, read from the fuzzer's bytes as records, each the reply to one
// write of the console:
//   one byte: bit 7 set, a further piece of the same reply; bits 0-6, its delay in eighths of a
//             second after the write (up to 15.9 s, beyond every 10 s time-out of the link);
//   one byte: the length n of the piece; then n bytes (fewer when the input ends first).
// A reply of length 0 is silence.
struct Replique {
  bool suite = false;
  double apres = 0;
  std::string octets;
};

inline std::vector<Replique> LireRepliques(std::string_view donnees) {
  std::vector<Replique> repliques;
  while (donnees.size() >= 2) {
    const auto entete = static_cast<unsigned char>(donnees[0]);
    const auto n =
        std::min<std::size_t>(static_cast<unsigned char>(donnees[1]), donnees.size() - 2);
    repliques.push_back(
        {(entete & 0x80) != 0, (entete & 0x7F) / 8.0, std::string(donnees.substr(2, n))});
    donnees.remove_prefix(2 + n);
  }
  return repliques;
}

// The same records written back: what the corpus generator stores.
inline std::string EcrireRepliques(const std::vector<Replique>& repliques) {
  std::string donnees;
  for (const Replique& r : repliques) {
    for (std::size_t debut = 0; debut < r.octets.size() || debut == 0; debut += 255) {
      const std::string morceau = r.octets.substr(std::min(debut, r.octets.size()), 255);
      // Every piece of one reply arrives at the same moment, in order.
      const int delai = static_cast<int>(r.apres * 8);
      donnees += static_cast<char>(((r.suite || debut > 0) ? 0x80 : 0) | (delai & 0x7F));
      donnees += static_cast<char>(morceau.size());
      donnees += morceau;
      if (r.octets.empty()) break;
    }
  }
  return donnees;
}

// The fuzzer's bytes as a command line: one argument a line.
inline std::vector<std::string> LireArguments(std::string_view texte) {
  std::vector<std::string> arguments;
  std::size_t debut = 0;
  while (debut <= texte.size()) {
    const std::size_t fin = std::min(texte.find('\n', debut), texte.size());
    arguments.emplace_back(texte.substr(debut, fin - debut));
    debut = fin + 1;
  }
  return arguments;
}

// A whole console on a port that plays those replies, on a virtual clock; its files go nowhere
// (every write to them fails and says so on a result line, as on a folder that is gone).
struct ConsoleFuzz {
  explicit ConsoleFuzz(std::string_view donnees)
      : port(horloge),
        // A fixed date and format: making the user's locale at each run would cost more than
        // the run itself.
        poste(port, horloge, fenetre, "/nonexistent-zef30", murale, std::locale::classic()) {
    std::vector<essai::PortScripte::Morceau> reponse;
    bool premiere = true;
    for (Replique& r : LireRepliques(donnees)) {
      if (!r.suite && !premiere) {
        port.RepondreEnMorceaux(std::move(reponse));
        reponse.clear();
      }
      premiere = false;
      reponse.push_back({r.apres, std::move(r.octets)});
    }
    if (!premiere) port.RepondreEnMorceaux(std::move(reponse));
  }

  essai::HorlogeVirtuelle horloge;
  essai::PortScripte port;
  essai::FenetreMemoire fenetre;
  HorlogeMuraleFixe murale{2024, 12, 31, 23, 59, 58};
  Poste poste;
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

}  // namespace zef30::fuzz
