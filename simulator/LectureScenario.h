#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Resultat.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// Sets one key of the scenario ("naks", "switch", "app2.etat", "reponse.AJ00205"...) from its
// text. One line of failure when the key or its value is not understood; the scenario is then
// left as it was.
Resultat<void> AppliquerCle(Scenario& scenario, std::string_view cle, std::string_view valeur);

// A scenario text: one "key=value" a line; blank lines and lines that begin with "#" or ";"
// are skipped. The key is read without its surrounding blanks; the value is everything after
// "=" (a final CR dropped). An error names `nom` and the line: "nom:3: ...".
Resultat<void> LireTexteScenario(std::string_view texte, std::string_view nom, Scenario& scenario);
Resultat<void> LireFichierScenario(const std::string& chemin, Scenario& scenario);

// A scenario as a command line gives it: the file `fichier` (none when empty), then every key of
// `cles` over it, in their order, whatever the order they were given in. A key that is not
// understood is named after `avantCle` ("--" for "--naks : ...").
Resultat<void> ComposerScenario(const std::string& fichier,
                                const std::vector<std::pair<std::string, std::string>>& cles,
                                std::string_view avantCle, Scenario& scenario);

// Bytes written as text: "\xHH" stands for the byte HH and "\\" for one backslash.
bool DecoderOctets(std::string_view texte, std::string& octets);

// The keys and their values, for --help.
std::string AideScenario();

}  // namespace zef30::simulateur
