// The settings-file reader and writer on any file content: a value written is the value read
// back, and every other key keeps its value.
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/FichierIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view contenu(reinterpret_cast<const char*>(donnees), taille);
  const auto avant = zef30::LireValeurIni(contenu, "Dossier", "No");
  if (avant) zef30::LireEntierIni(*avant);
  const auto autre = zef30::LireValeurIni(contenu, "Poste", "Nom");

  const std::string modifie = zef30::ModifierIni(contenu, "Dossier", "No", "12345");
  if (zef30::LireValeurIni(modifie, "Dossier", "No") != "12345") std::abort();
  // A key of another section reads the same, unless its line was the one rewritten.
  const auto apres = zef30::LireValeurIni(modifie, "Poste", "Nom");
  if (autre && !apres) std::abort();
  return 0;
}
