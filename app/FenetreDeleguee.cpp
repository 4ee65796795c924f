// zef30-console's side: the window is another program's, started in its place.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/FrontalFenetre.h"

namespace zef30 {

namespace {
constexpr const char* kProgrammeFenetre = "zef30-console-fenetre";
}  // namespace

std::optional<int> PasserALaFenetre(char** argv, const std::string& dossierExecutable) {
  // Next to zef30-console in the build; in its own folder once installed.
  const std::string chemins[] = {
      dossierExecutable + "/" + kProgrammeFenetre,
      dossierExecutable + "/" ZEF30_FENETRE_INSTALLEE "/" + kProgrammeFenetre};
  int erreur = ENOENT;
  for (const auto& chemin : chemins) {
    if (::access(chemin.c_str(), X_OK) != 0) continue;
    ::setenv(kVariableDossierProgramme, dossierExecutable.c_str(), 1);
    ::execv(chemin.c_str(), argv);
    erreur = errno;
    break;
  }
  std::cerr << "zef30-console : la fenêtre ne peut pas démarrer : " << kProgrammeFenetre << " : "
            << std::strerror(erreur) << '\n';
  return 1;
}

std::string DossierProgramme(const std::string& dossierExecutable) { return dossierExecutable; }

int ExecuterFenetreConsole(int&, char**, const char*, EtatConsole&, Liaison&, PortTrace&,
                           const std::string&) {
  // Never reached: the window was handed over before anything was started.
  return 1;
}

}  // namespace zef30
