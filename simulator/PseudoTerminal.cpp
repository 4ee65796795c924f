#include "simulator/PseudoTerminal.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/FichierRegulier.h"
#include "link/PortPosix.h"

namespace zef30::simulateur {

Resultat<PseudoTerminal> OuvrirPseudoTerminal() {
  const int maitre = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (maitre < 0) {
    return Systeme(std::string("pseudo-terminal impossible à créer : ") + DecrireErreur(errno));
  }
  char nom[256] = {};
  if (::grantpt(maitre) != 0 || ::unlockpt(maitre) != 0 ||
      ::ptsname_r(maitre, nom, sizeof nom) != 0) {
    Echec echec =
        Systeme(std::string("pseudo-terminal impossible à préparer : ") + DecrireErreur(errno));
    ::close(maitre);
    return echec;
  }
  const int esclave = ::open(nom, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (esclave < 0 || !ReglerLigneBrute(esclave, B9600)) {
    Echec echec = Systeme(std::string("pseudo-terminal ") + nom +
                          " impossible à régler : " + DecrireErreur(errno));
    if (esclave >= 0) ::close(esclave);
    ::close(maitre);
    return echec;
  }
  ::fcntl(maitre, F_SETFL, ::fcntl(maitre, F_GETFL) | O_NONBLOCK);
  ::fcntl(maitre, F_SETFD, FD_CLOEXEC);
  return PseudoTerminal{maitre, esclave, nom};
}

namespace {

constexpr auto kRegards = std::chrono::seconds(1);
constexpr int kEntreRegardsMs = 10;

}  // namespace

GardeExclusivite::~GardeExclusivite() { Arreter(); }

bool GardeExclusivite::Surveiller(const std::string& chemin, int esclave) {
  Arreter();
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return false;
  if (::inotify_add_watch(fd_, chemin.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    Arreter();
    return false;
  }
  esclave_ = esclave;
  return true;
}

void GardeExclusivite::Arreter() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  esclave_ = -1;
  regarderJusqua_ = {};
}

int GardeExclusivite::DelaiMs(Horloge::time_point maintenant) const {
  return maintenant < regarderJusqua_ ? kEntreRegardsMs : -1;
}

bool GardeExclusivite::Examiner(bool fermee, Horloge::time_point maintenant) {
  if (fd_ < 0) return false;
  if (fermee) {
    char evenements[4096];
    while (::read(fd_, evenements, sizeof evenements) > 0) {
    }
    regarderJusqua_ = maintenant + kRegards;
  }
  if (maintenant >= regarderJusqua_) return false;
  int exclusif = 0;
  if (::ioctl(esclave_, TIOCGEXCL, &exclusif) != 0 || exclusif == 0) {
    regarderJusqua_ = {};  // given back by its console, or never taken
    return false;
  }
  struct stat ligne {};
  if (::fstat(esclave_, &ligne) != 0 || !SansVerrou(ligne)) return false;
  ::ioctl(esclave_, TIOCNXCL);
  regarderJusqua_ = {};
  return true;
}

}  // namespace zef30::simulateur
