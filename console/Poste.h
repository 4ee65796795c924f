#pragma once

#include <locale>
#include <string>

#include "base/Horloge.h"
#include "base/HorlogeMurale.h"
#include "console/Console.h"
#include "console/EtatConsole.h"
#include "console/Fenetre.h"
#include "console/FichiersConsole.h"
#include "link/Liaison.h"
#include "link/PortSerie.h"

namespace zef30 {

// A whole console over a port and a window: the state of the run, the link on the port and the
// files in the program folder, each made after what it works on, and the Console that hands
// them to the requests and listeners. It starts on port 1, as the state does.
struct Poste {
  // The files on the wall clock of the system, dates written in the user's own format.
  Poste(PortSerie& port, const Horloge& horloge, Fenetre& fenetre, std::string dossierProgramme);
  // The files on a given wall clock and date format (the tests fix both).
  Poste(PortSerie& port, const Horloge& horloge, Fenetre& fenetre, std::string dossierProgramme,
        const HorlogeMurale& murale, std::locale locale);

  Poste(const Poste&) = delete;
  Poste& operator=(const Poste&) = delete;

  // The port the link opens first, as the state shows it.
  void ChoisirPort(int numero);

  EtatConsole etat;
  Liaison liaison;
  FichiersConsole fichiers;
  Console console;
};

}  // namespace zef30
