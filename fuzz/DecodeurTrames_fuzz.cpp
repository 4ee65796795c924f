// The decoder and the sequence chart on lines of any content: the fuzzer's bytes cut into
// records at each 0xFF, the first byte of each saying its direction; every frame named (never an
// empty text), the chart drawn, nothing read beyond a frame.
#include <string_view>
#include <vector>

#include "link/NommeurTrames.h"
#include "requests/DiagrammeSequence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  std::string_view reste(reinterpret_cast<const char*>(donnees), taille);
  std::vector<zef30::EnregistrementTrace> enregistrements;
  while (!reste.empty()) {
    const std::size_t fin = reste.find('\xFF');
    const std::string_view morceau = reste.substr(0, fin);
    reste.remove_prefix(fin == std::string_view::npos ? reste.size() : fin + 1);
    if (morceau.empty()) continue;
    zef30::EnregistrementTrace e;
    e.ms = 10.0 * static_cast<double>(enregistrements.size());
    e.sens = (morceau[0] & 1) ? zef30::Sens::VersConsole : zef30::Sens::VersTerminal;
    e.octets = std::string(morceau.substr(1));
    enregistrements.push_back(std::move(e));
  }
  zef30::DecodeurTrames decodeur(zef30::DispositionsConsole(), zef30::FormatMontant{','});
  const auto nommes = zef30::NommerTrames(enregistrements, decodeur);
  for (const auto& e : nommes) {
    for (const auto& d : e.decodages) {
      if (d.empty()) __builtin_trap();
    }
  }
  zef30::DessinerSequence(nommes);
  if (!nommes.empty()) zef30::EchangeDe(nommes, nommes.size() / 2);
  return 0;
}
