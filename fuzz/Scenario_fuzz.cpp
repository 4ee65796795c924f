// The simulator's scenario files and command line, whatever they hold.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/EntreesFuzz.h"
#include "simulator/LectureScenario.h"
#include "simulator/LigneCommande.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
  zef30::simulateur::Scenario scenario;
  (void)zef30::simulateur::LireTexteScenario(texte, "fuzz", scenario);

  // The same bytes as a command line, one argument a line. Files are not what is read here: an
  // argument that names one (a device that blocks, a huge file) is left out.
  if (texte.find('/') != std::string_view::npos) return 0;
  const std::vector<std::string> arguments = zef30::fuzz::LireArguments(texte);
  (void)zef30::simulateur::AnalyserLigneCommande(arguments);
  return 0;
}
