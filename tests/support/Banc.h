#pragma once

#include <string>

#include "console/Console.h"
#include "console/FichiersConsole.h"
#include "link/Liaison.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/PortScripte.h"

namespace zef30::essai {

// A whole console on a scripted port and an in-memory window.
struct Banc {
  explicit Banc(std::string dossier = "/nonexistent-zef30-data")
      : port(horloge), liaison(port, horloge, etat.NumeroPortCom), fichiers(dossier, fenetre) {}

  HorlogeVirtuelle horloge;
  PortScripte port;
  EtatConsole etat;
  Liaison liaison;
  FenetreMemoire fenetre;
  FichiersConsole fichiers;
  Console console{etat, liaison, fenetre, fichiers};
};

// The terminal's side of a successful probe and of an accepted request, up to its ENQ.
inline void ScripterOuverture(PortScripte& port) {
  port.Repondre("\x06").Repondre("\x06").Repondre("\x05");
}

}  // namespace zef30::essai
