#pragma once

#include <string>

#include "base/Horloge.h"
#include "console/Poste.h"
#include "link/PortPosix.h"
#include "link/PortTrace.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"

namespace zef30::essai {

// A whole console whose port 1 is the line `chemin`, seen through the line trace, which writes
// into `fichierTrace`.
struct ConsoleTracee {
  ConsoleTracee(const std::string& chemin, const std::string& fichierTrace) : ligne(Table(chemin)) {
    if (auto ecrite = trace.EcrireDans(fichierTrace); !ecrite)
      throw std::runtime_error(ecrite.Erreur().texte);
  }
  static TablePorts Table(const std::string& chemin) {
    TablePorts table;
    table.Associer(1, chemin);
    return table;
  }

  DossierTemporaire dossier;
  HorlogeSysteme horloge;
  PortPosix ligne;
  PortTrace trace{ligne, horloge, "2026-12-08 06:27:15"};
  FenetreMemoire fenetre;
  Poste poste{trace, horloge, fenetre, dossier.Chemin()};
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

}  // namespace zef30::essai
