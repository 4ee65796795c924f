#include "link/PortTrace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/FichierRegulier.h"

namespace zef30 {

namespace {

// Every byte of `texte` at `position`, whatever the system takes at a time.
bool EcrireA(int fd, const std::string& texte, long long position) {
  std::size_t faits = 0;
  while (faits < texte.size()) {
    const ssize_t n = ::pwrite(fd, texte.data() + faits, texte.size() - faits,
                               static_cast<off_t>(position + static_cast<long long>(faits)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    faits += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

PortTrace::PortTrace(PortSerie& port, const Horloge& horloge, std::string debutMural)
    : port_(port),
      horloge_(horloge),
      debut_(horloge.Maintenant()),
      entete_(EnteteTrace(debutMural)) {}

PortTrace::~PortTrace() {
  if (fd_ >= 0) ::close(fd_);
}

bool PortTrace::EcrireDans(const std::string& chemin, std::string& erreur) {
  // Not O_APPEND: a growing burst is written again at its own place.
  FichierRegulier fichier(chemin, O_WRONLY | O_CREAT, 0644);
  const int fd = fichier.Liberer();
  if (fd < 0) {
    erreur = chemin + " : trace impossible à écrire : " + fichier.Raison();
    return false;
  }
  const off_t fin = ::lseek(fd, 0, SEEK_END);
  if (fin < 0 || !EcrireA(fd, entete_ + "\n", fin)) {
    erreur = chemin + " : trace impossible à écrire : " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  chemin_ = chemin;
  finFichier_ = fin + static_cast<long long>(entete_.size()) + 1;
  debutDernier_ = -1;
  return true;
}

bool PortTrace::Ouvrir(int numero, std::string_view parametres) {
  return port_.Ouvrir(numero, parametres);
}

void PortTrace::Ecrire(std::string_view octets) {
  // Traced before it goes: a write that never returns is still in the trace.
  Consigner(Sens::VersTerminal, octets);
  port_.Ecrire(octets);
}

std::string PortTrace::Lire() {
  std::string lu = port_.Lire();
  Consigner(Sens::VersConsole, lu);
  return lu;
}

void PortTrace::Consigner(Sens sens, std::string_view octets) {
  if (octets.empty()) return;
  const Horloge::Instant maintenant = horloge_.Maintenant();
  const double pauseMs =
      std::chrono::duration<double, std::milli>(maintenant - dernierOctet_).count();
  const bool suite = enCours_ && courant_.sens == sens && pauseMs <= kPauseSignaleeMs;
  if (!suite) {
    courant_ = EnregistrementTrace{};
    courant_.ms = std::chrono::duration<double, std::milli>(maintenant - debut_).count();
    courant_.sens = sens;
    if (enCours_ && pauseMs > kPauseSignaleeMs) courant_.pauseMs = pauseMs;
    enCours_ = true;
  }
  courant_.octets += octets;
  trames_[sens == Sens::VersTerminal ? 0 : 1].Ajouter(octets, courant_);
  dernierOctet_ = maintenant;
  EcrireLigne(FormaterEnregistrement(courant_) + "\n", suite);
  if (observateur_) observateur_(courant_, suite);
}

void PortTrace::EcrireLigne(const std::string& ligne, bool remplace) {
  if (fd_ < 0) return;
  const long long position = remplace && debutDernier_ >= 0 ? debutDernier_ : finFichier_;
  if (!EcrireA(fd_, ligne, position)) return;
  debutDernier_ = position;
  finFichier_ = position + static_cast<long long>(ligne.size());
}

}  // namespace zef30
