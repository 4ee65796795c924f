#pragma once

#include <functional>
#include <string>
#include <vector>

#include "console/Console.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// A plan run in the window, through the same button table as a headless run: every step shows
// there as a click would, and is judged from what it showed. `dire` hears each step's verdict
// line once it is judged, then the summary's lines. `demander` is asked at each operator step:
// false ends the plan there, as an interrupted campaign. The plan's inputs start from what the
// window holds (price, dossier, "Ecran Hote", "Mode Vente").
void ExecuterPlanEnFenetre(Console& console, const std::vector<RequeteScriptee>& requetes,
                           const std::function<void(const std::string&)>& dire,
                           const std::function<bool(const std::string&)>& demander);

}  // namespace zef30
