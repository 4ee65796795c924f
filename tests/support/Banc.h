#pragma once

#include <string>
#include <utility>

#include "console/Poste.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/PortScripte.h"

namespace zef30::essai {

// A whole console on a scripted port and an in-memory window.
struct Banc {
  explicit Banc(std::string dossier = "/nonexistent-zef30-data")
      : port(horloge), poste(port, horloge, fenetre, std::move(dossier)) {}

  HorlogeVirtuelle horloge;
  PortScripte port;
  FenetreMemoire fenetre;
  Poste poste;
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  FichiersConsole& fichiers = poste.fichiers;
  Console& console = poste.console;
};

// The terminal's side of a successful probe and of an accepted request, up to its ENQ.
inline void ScripterOuverture(PortScripte& port) {
  port.Repondre("\x06").Repondre("\x06").Repondre("\x05");
}

}  // namespace zef30::essai
