// zef30-pages-manuel: the manual pages of zef30-console and zef30-simulator, made at build time
// from their model in packaging/man and the programs' own descriptions of their options, so that
// a page says what --help says.
//   zef30-pages-manuel zef30-console|zef30-simulator MODÈLE SORTIE
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/OptionsDecrites.h"
#include "simulator/LectureScenario.h"
#include "simulator/LigneCommande.h"

namespace {

// The scenario's keys as --help lists them, kept in their columns.
std::string ClesManuel() {
  return ".nf\n" + zef30::EnRoff(zef30::simulateur::AideScenario()) + ".fi\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage : zef30-pages-manuel zef30-console|zef30-simulator MODÈLE SORTIE\n";
    return 2;
  }
  const std::string programme = argv[1];
  const bool console = programme == "zef30-console";
  if (!console && programme != "zef30-simulator") {
    std::cerr << "zef30-pages-manuel : programme inconnu « " << programme << " »\n";
    return 2;
  }
  std::ifstream modele(argv[2]);
  if (!modele) {
    std::cerr << "zef30-pages-manuel : " << argv[2] << " illisible\n";
    return 1;
  }
  std::ostringstream page;
  for (std::string ligne; std::getline(modele, ligne);) {
    if (ligne == "@SYNOPSIS@") {
      page << zef30::SynopsisManuel(
          programme, console ? zef30::SynopsisConsole() : zef30::simulateur::SynopsisSimulateur());
    } else if (ligne == "@OPTIONS@") {
      page << zef30::OptionsManuel(console ? zef30::OptionsConsoleDecrites()
                                           : zef30::simulateur::OptionsSimulateurDecrites());
    } else if (ligne == "@CLES@") {
      page << ClesManuel();
    } else {
      page << ligne << '\n';
    }
  }
  std::ofstream sortie(argv[3], std::ios::binary | std::ios::trunc);
  sortie << page.str();
  sortie.close();
  if (!sortie) {
    std::cerr << "zef30-pages-manuel : " << argv[3] << " : écriture impossible\n";
    return 1;
  }
  return 0;
}
