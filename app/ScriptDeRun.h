#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/Console.h"
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

// The steps of the plan in the file at `chemin`, its includes brought in; or one line naming
// the file and why they cannot be had.
Resultat<std::vector<RequeteScriptee>> LirePlanDeFichier(const std::string& chemin);

// The window's "Exécuter un plan…": the plan of the file at `chemin` run on `console`, as
// ExecuterPlanEnFenetre runs it; when it cannot be read, the reason alone goes to `dire`.
void ExecuterPlanDeFichier(Console& console, const std::string& chemin,
                           const std::function<void(const std::string&)>& dire,
                           const std::function<bool(const std::string&)>& demander);

}  // namespace zef30
