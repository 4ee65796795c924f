#pragma once

#include <span>
#include <string_view>

#include "base/Horloge.h"
#include "console/Gestionnaires.h"

namespace zef30 {

// One of the console's request buttons, as every front-end knows it: the window's control, its
// caption and place, the click handler of its request family, which says how the request ended,
// and the name a scripted run gives the request. A new request is one more row of
// BoutonsConsole(), in the window's tab order.
struct BoutonConsole {
  const char* nom;      // the control's name: "cmdDemSwi"
  const char* legende;  // "Demande de switch"
  int gauche;           // where the window shows it, in pixels from its top left corner
  int haut;
  Gestionnaire gestionnaire;
  const char* famille;  // "switch"; empty for "Sortie Ecoute", which a run clicks by itself
  // "Sortie Ecoute" must reach a listener that is running; every other button waits its turn.
  bool pendantUneRequete = false;
  // A listening that only the operator ends: how long before a scripted run clicks "Sortie
  // Ecoute" when the script gives no `duree`; none for the others.
  Horloge::Secondes dureeEcoute{};
};

std::span<const BoutonConsole> BoutonsConsole();
// The buttons a script names, in the window's order but the line-speed request last: the console
// stays at 9600 bauds, so a real terminal would hear nothing after it.
std::span<const BoutonConsole* const> FamillesRequetes();
// The button of that request family; nullptr when there is none.
const BoutonConsole* BoutonDeFamille(std::string_view famille);

}  // namespace zef30
