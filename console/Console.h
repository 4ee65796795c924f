#pragma once

#include <ostream>
#include <string>

#include "console/EtatConsole.h"
#include "console/Fenetre.h"
#include "link/Liaison.h"
#include "link/PortTrace.h"

namespace zef30 {

class FichiersConsole;

// Everything a request or a listener works with, handed down from the window's click.
struct Console {
  EtatConsole& etat;
  Liaison& liaison;
  Fenetre& fenetre;
  FichiersConsole& fichiers;
};

// A port that cannot be opened leaves the console running; the status line says why, after the
// port's own words that name it ("port 1 (/dev/ttyS0) : ...").
inline void SignalerErreursPort(Liaison& liaison, Fenetre& fenetre) {
  liaison.SurErreurPort(
      [&fenetre](const std::string& raison) { fenetre.AfficherEtat("Ligne", raison); });
}

// A trace file that can no longer be written (a full disk) is said once, on the status line and
// on `erreurs`; the line goes on.
inline void SignalerEchecTrace(PortTrace& trace, Fenetre& fenetre, std::ostream& erreurs) {
  trace.SurEchecEcriture([&fenetre, &erreurs](const std::string& raison) {
    erreurs << raison << std::endl;
    fenetre.AfficherEtat("Trace", raison);
  });
}

}  // namespace zef30
