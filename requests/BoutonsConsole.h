#pragma once

#include <span>
#include <string_view>

#include "console/Gestionnaires.h"

namespace zef30 {

// One of the console's request buttons, as every front-end knows it: the window's control, its
// caption and place, the click handler of its request family, and the name a scripted run gives
// the request. A new request is one more row of BoutonsConsole(), in the window's tab order.
struct BoutonConsole {
  const char* nom;      // the control's name: "cmdDemSwi"
  const char* legende;  // "Demande de switch"
  int gauche;           // where the window shows it, in pixels from its top left corner
  int haut;
  Gestionnaire gestionnaire;
  const char* famille;  // "switch"; empty for "Sortie Ecoute", which a run clicks by itself
  // "Sortie Ecoute" must reach a listener that is running; every other button waits its turn.
  bool pendantUneRequete = false;
};

std::span<const BoutonConsole> BoutonsConsole();
// The button of that request family; nullptr when there is none.
const BoutonConsole* BoutonDeFamille(std::string_view famille);

}  // namespace zef30
