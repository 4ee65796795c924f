// The simulated terminal fed whatever a console may send, under any scenario and faults: it never
// crashes and never grows without bound.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "simulator/LectureScenario.h"
#include "simulator/Protocole.h"

// The input: scenario lines, a line "--", then the bytes of the console.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
  const std::size_t separation = texte.find("\n--\n");
  zef30::simulateur::Scenario scenario;
  std::string_view octets = texte;
  if (separation != std::string_view::npos) {
    (void)zef30::simulateur::LireTexteScenario(texte.substr(0, separation), "fuzz", scenario);
    octets = texte.substr(separation + 4);
  }
  // A flood of display frames is the same loop at 100 frames as at 10 000; at 10 000 a reply,
  // one input takes seconds and the run finds nothing more.
  scenario.fautes.affichages = std::min(scenario.fautes.affichages, 100);
  zef30::simulateur::Protocole protocole(zef30::simulateur::FamillesConnues());
  // In pieces, as a line delivers them.
  std::size_t emis = 0;
  for (std::size_t debut = 0; debut < octets.size(); debut += 7) {
    for (const auto& sortie : protocole.Recevoir(octets.substr(debut, 7), scenario)) {
      emis += sortie.octets.size();
    }
  }
  (void)emis;
  return 0;
}
