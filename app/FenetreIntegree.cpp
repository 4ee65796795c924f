// The window program's side: it is the window.
#include <cstdlib>

#include "app/FrontalFenetre.h"
#include "window/ExecutionFenetre.h"

namespace zef30 {

std::optional<int> PasserALaFenetre(char**, const std::string&) { return std::nullopt; }

std::string DossierProgramme(const std::string& dossierExecutable) {
  const char* dossier = std::getenv(kVariableDossierProgramme);
  return dossier != nullptr ? dossier : dossierExecutable;
}

int ExecuterFenetreConsole(int& argc, char** argv, const char* programme, EtatConsole& etat,
                           Liaison& liaison, PortTrace& trace, const std::string& dossier) {
  return ExecuterFenetre(argc, argv, programme, etat, liaison, trace, dossier);
}

}  // namespace zef30
