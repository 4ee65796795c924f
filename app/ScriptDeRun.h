#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "headless/RequetesScriptees.h"

namespace zef30 {

// Where the requests of --run come from, told by its value alone: a name that happens to be a
// file of the current folder never turns a list of names into a script.
enum class SourceScript {
  Noms,            // "switch,validite"
  Fichier,         // a path: it holds a "/" or ends in ".txt"
  EntreeStandard,  // "-"
};
SourceScript SourceDuScript(std::string_view valeur);

// The requests of --run, read from the file or from `entreeStandard` when its value says so.
// Or one line (naming the file) when they cannot be read or make no sense.
Resultat<std::vector<RequeteScriptee>> LireScriptDeRun(const std::string& valeur,
                                                       std::istream& entreeStandard);

}  // namespace zef30
