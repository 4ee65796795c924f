#include "simulator/PseudoTerminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/PortPosix.h"

namespace zef30::simulateur {

bool OuvrirPseudoTerminal(PseudoTerminal& pt, std::string& erreur) {
  const int maitre = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (maitre < 0) {
    erreur = std::string("pseudo-terminal impossible à créer : ") + std::strerror(errno);
    return false;
  }
  char nom[256] = {};
  if (::grantpt(maitre) != 0 || ::unlockpt(maitre) != 0 ||
      ::ptsname_r(maitre, nom, sizeof nom) != 0) {
    erreur = std::string("pseudo-terminal impossible à préparer : ") + std::strerror(errno);
    ::close(maitre);
    return false;
  }
  const int esclave = ::open(nom, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (esclave < 0 || !ReglerLigneBrute(esclave, B9600)) {
    erreur =
        std::string("pseudo-terminal ") + nom + " impossible à régler : " + std::strerror(errno);
    if (esclave >= 0) ::close(esclave);
    ::close(maitre);
    return false;
  }
  ::fcntl(maitre, F_SETFL, ::fcntl(maitre, F_GETFL) | O_NONBLOCK);
  ::fcntl(maitre, F_SETFD, FD_CLOEXEC);
  pt = {maitre, esclave, nom};
  erreur.clear();
  return true;
}

}  // namespace zef30::simulateur
