#pragma once

#include <string>

namespace zef30::simulateur {

// A pseudo-terminal for a terminal played here: our side (the master), and our own hold on the
// side the console opens, so that our side never reads a hang-up while no console has it open.
struct PseudoTerminal {
  int maitre = -1;
  int esclave = -1;
  std::string chemin;  // the side the console opens
};

// Opens one, raw at 9600 bauds, both descriptors non-blocking and closed on exec. False, with the
// reason in `erreur`, when the system gives none.
bool OuvrirPseudoTerminal(PseudoTerminal& pt, std::string& erreur);

}  // namespace zef30::simulateur
