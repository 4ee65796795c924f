#include "link/FichierRegulier.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "base/ErreursSysteme.h"

namespace zef30 {

FichierRegulier::FichierRegulier(const std::string& chemin, int drapeaux, mode_t mode,
                                 DernierLien lien) {
  const bool refuserLien = lien == DernierLien::Refuse;
  const int options = drapeaux | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (refuserLien ? O_NOFOLLOW : 0);
  int fd = -1;
  do {
    fd = ::open(chemin.c_str(), options, mode);
  } while (fd < 0 && errno == EINTR);
  struct stat etat {};
  if (fd < 0) {
    const int erreur = errno;
    // Refused for what stands there (a link, a pipe nobody reads, a socket): say what it is.
    const int vu = refuserLien ? ::lstat(chemin.c_str(), &etat) : ::stat(chemin.c_str(), &etat);
    const std::string nature = vu == 0 ? NatureNonReguliere(etat.st_mode) : std::string();
    const bool nonRegulier = !nature.empty() && !S_ISDIR(etat.st_mode);
    Refuser(erreur, nonRegulier ? nature : DecrireErreur(erreur), nonRegulier);
    return;
  }
  if (::fstat(fd, &etat) != 0) {
    const int erreur = errno;
    ::close(fd);
    Refuser(erreur, DecrireErreur(erreur), false);
    return;
  }
  if (!S_ISREG(etat.st_mode)) {
    ::close(fd);
    Refuser(S_ISDIR(etat.st_mode) ? EISDIR : EINVAL, NatureNonReguliere(etat.st_mode), true);
    return;
  }
  // A regular file: its reads and writes wait for the disk as they always do.
  const int etatFd = ::fcntl(fd, F_GETFL);
  if (etatFd != -1) (void)::fcntl(fd, F_SETFL, etatFd & ~O_NONBLOCK);
  fd_ = fd;
}

FichierRegulier::FichierRegulier(FichierRegulier&& autre) noexcept
    : fd_(std::exchange(autre.fd_, -1)),
      erreur_(autre.erreur_),
      raison_(std::move(autre.raison_)),
      nonRegulier_(autre.nonRegulier_) {}

FichierRegulier& FichierRegulier::operator=(FichierRegulier&& autre) noexcept {
  if (this != &autre) {
    Fermer();
    fd_ = std::exchange(autre.fd_, -1);
    erreur_ = autre.erreur_;
    raison_ = std::move(autre.raison_);
    nonRegulier_ = autre.nonRegulier_;
  }
  return *this;
}

void FichierRegulier::Refuser(int erreur, std::string raison, bool nonRegulier) {
  erreur_ = erreur;
  raison_ = std::move(raison);
  nonRegulier_ = nonRegulier;
}

FichierRegulier::Ecriture FichierRegulier::AjouterEnregistrement(std::string_view octets) {
  Ecriture ecriture;
  ecriture.total = octets.size();
  if (fd_ < 0) {
    ecriture.erreur = erreur_ != 0 ? erreur_ : EBADF;
    return ecriture;
  }
  // Consoles sharing the file write their records one after the other: each sees how the last
  // one ended, and a record taken back never takes another's with it.
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
  struct VerrouRendu {
    int fd;
    ~VerrouRendu() { (void)::flock(fd, LOCK_UN); }
  } rendu{fd_};
  struct stat avant {};
  if (::fstat(fd_, &avant) != 0) {
    ecriture.erreur = errno;
    return ecriture;
  }
  // The last byte an earlier run left: a record cut by a kill ends without its line end. A file
  // opened for writing only cannot tell, and is taken as whole.
  char dernier = '\n';
  if (avant.st_size > 0 && ::pread(fd_, &dernier, 1, avant.st_size - 1) != 1) dernier = '\n';
  std::string enregistrement = dernier == '\n' ? std::string() : std::string("\r\n");
  enregistrement += octets;

  ecriture = EcrireTout(fd_, enregistrement);
  if (ecriture.erreur == 0 || ecriture.ecrits == 0) return ecriture;
  // The bytes that went are taken back, unless another writer has added its own after them.
  struct stat apres {};
  if (::fstat(fd_, &apres) == 0 &&
      apres.st_size == avant.st_size + static_cast<off_t>(ecriture.ecrits)) {
    (void)::ftruncate(fd_, avant.st_size);
  }
  return ecriture;
}

FichierRegulier::Ecriture EcrireTout(int fd, std::string_view octets, std::optional<off_t> position,
                                     bool prise) {
  FichierRegulier::Ecriture ecriture;
  ecriture.total = octets.size();
  while (ecriture.ecrits < octets.size()) {
    const char* debut = octets.data() + ecriture.ecrits;
    const std::size_t reste = octets.size() - ecriture.ecrits;
    const ssize_t n =
        position ? ::pwrite(fd, debut, reste, *position + static_cast<off_t>(ecriture.ecrits))
        : prise  ? ::send(fd, debut, reste, MSG_NOSIGNAL)
                 : ::write(fd, debut, reste);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ecriture.erreur = n < 0 ? errno : EIO;
      break;
    }
    ecriture.ecrits += static_cast<std::size_t>(n);
  }
  return ecriture;
}

int FichierRegulier::LireTout(std::string& contenu, std::size_t tailleMax) {
  if (fd_ < 0) {
    contenu.clear();
    return erreur_ != 0 ? erreur_ : EBADF;
  }
  return LireToutDescripteur(fd_, contenu, tailleMax);
}

int LireToutDescripteur(int fd, std::string& contenu, std::size_t tailleMax) {
  contenu.clear();
  char morceau[4096];
  for (;;) {
    const ssize_t lus = ::pread(fd, morceau, sizeof morceau, static_cast<off_t>(contenu.size()));
    if (lus < 0 && errno == EINTR) continue;
    if (lus < 0) return errno;
    if (lus == 0) return 0;
    // A file that grows while it is read stops at the bound too.
    if (contenu.size() + static_cast<std::size_t>(lus) > tailleMax) return EFBIG;
    contenu.append(morceau, static_cast<std::size_t>(lus));
  }
}

int FichierRegulier::Fermer() {
  if (fd_ < 0) return 0;
  const int resultat = ::close(std::exchange(fd_, -1));
  return resultat == 0 ? 0 : errno;
}

int FichierRegulier::Liberer() { return std::exchange(fd_, -1); }

std::string NatureNonReguliere(mode_t mode) {
  const char* nature = nullptr;
  if (S_ISREG(mode)) return {};
  if (S_ISLNK(mode)) {
    nature = "lien symbolique";
  } else if (S_ISFIFO(mode)) {
    nature = "tube nommé";
  } else if (S_ISDIR(mode)) {
    nature = "dossier";
  } else if (S_ISCHR(mode) || S_ISBLK(mode)) {
    nature = "périphérique";
  } else if (S_ISSOCK(mode)) {
    nature = "socket";
  } else {
    nature = "fichier spécial";
  }
  return std::string(nature) + ", pas un fichier ordinaire";
}

std::string DecrireErreur(int numeroErreur) { return DecrireErreurSysteme(numeroErreur); }

Echec EchecSysteme(int numeroErreur, std::string raison) {
  return Systeme(raison.empty() ? DecrireErreur(numeroErreur) : std::move(raison), numeroErreur);
}

}  // namespace zef30
