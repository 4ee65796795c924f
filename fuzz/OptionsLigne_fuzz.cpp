// The console's command line, whatever it holds: a result or one line saying what is wrong.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/OptionsLigne.h"
#include "fuzz/EntreesFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
  const std::vector<std::string> arguments = zef30::fuzz::LireArguments(texte);
  const zef30::LectureOptions lues = zef30::LireOptions(arguments);
  if (!lues.options && lues.erreur.empty()) std::abort();
  if (lues.options) {
    for (const auto& [numero, chemin] : lues.options->ports) {
      if (numero < 1 || numero > 20) std::abort();
    }
  }
  zef30::DossierDe(std::string(texte));
  return 0;
}
