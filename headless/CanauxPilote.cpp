// The channels of a piloted console (Pilotage.h): standard input and output, a Unix socket.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "base/ErreursSysteme.h"
#include "headless/Pilotage.h"
#include "link/FichierRegulier.h"

namespace zef30 {

namespace {

// How many clients may knock while one is served, before the second is told and closed.
constexpr int kClientsEnAttente = 4;
constexpr const char* kClientDeTrop = R"({"id":null,"erreur":"un client pilote déjà la console"})";

// Whether `fd` has something to read (or has ended) now.
bool Pret(int fd) {
  pollfd attente{fd, POLLIN, 0};
  return ::poll(&attente, 1, 0) == 1;
}

// The lines of `tampon` with `lus` appended, each given to `lire` once and taken out of it before
// (`lire` may come back here); a line longer than kLigneCommandeMaximale is given once, empty, and
// what follows of it up to its end skipped (`tropLongue` while it is). With `fin`, what is left
// after the last line end is the last line.
void DonnerLignes(std::string& tampon, bool& tropLongue, std::string_view lus, bool fin,
                  const CanalPilote::Lecteur& lire) {
  tampon.append(lus);
  for (;;) {
    const auto saut = tampon.find('\n');
    if (saut == std::string::npos) {
      if (tampon.size() >= kLigneCommandeMaximale) {
        tampon.clear();
        if (!tropLongue) {
          tropLongue = true;
          lire("", true);
        }
      }
      if (fin && !tampon.empty() && !tropLongue) {
        std::string derniere = std::exchange(tampon, std::string());
        if (derniere.ends_with('\r')) derniere.pop_back();
        lire(derniere, false);
      }
      return;
    }
    std::string ligne = tampon.substr(0, saut);
    tampon.erase(0, saut + 1);
    if (std::exchange(tropLongue, false)) continue;  // the end of a line refused already
    if (ligne.size() + 1 > kLigneCommandeMaximale) {
      lire("", true);
      continue;
    }
    if (ligne.ends_with('\r')) ligne.pop_back();
    lire(ligne, false);
  }
}

// `ligne` and its line end, written whole to `fd`: 0, or the system's error number when it
// could not be (EPIPE: the reader has gone).
int EcrireLigne(int fd, std::string_view ligne, bool socket) {
  return EcrireTout(fd, std::string(ligne) + '\n', std::nullopt, socket).erreur;
}

}  // namespace

// --- Standard input and output ---

CanalDescripteurs::CanalDescripteurs(int entree, int sortie, std::ostream* erreurs)
    : entree_(entree), sortie_(sortie), erreurs_(erreurs) {}

std::vector<int> CanalDescripteurs::Descripteurs() const {
  if (finie_) return {};
  return {entree_};
}

bool CanalDescripteurs::Recevoir(const Lecteur& lire) {
  if (finie_) return false;
  // Lines read already come first: a request run from one line of a read reads the others here.
  if (!Pret(entree_)) {
    DonnerLignes(tampon_, tropLongue_, {}, false, lire);
    return !finie_;
  }
  char morceau[16 * 1024];
  const ssize_t n = ::read(entree_, morceau, sizeof morceau);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  // A read error ends the input as its end does.
  finie_ = n <= 0;
  DonnerLignes(tampon_, tropLongue_,
               std::string_view(morceau, n > 0 ? static_cast<std::size_t>(n) : 0), finie_, lire);
  return !finie_;
}

bool CanalDescripteurs::Ecrire(std::string_view ligne) {
  if (fermee_) return false;
  const int erreur = EcrireLigne(sortie_, ligne, false);
  if (erreur == 0) return true;
  fermee_ = true;
  if (erreurs_ != nullptr) {
    *erreurs_ << "zef30-console : les réponses ne peuvent plus être écrites : "
              << DecrireErreur(erreur) << std::endl;
  }
  return false;
}

// --- The Unix socket ---

Resultat<std::unique_ptr<CanalSocket>> CanalSocket::Ouvrir(const std::string& chemin,
                                                           std::ostream* erreurs) {
  const std::string dit = "--pilote-socket " + chemin + " : ";
  sockaddr_un adresse{};
  adresse.sun_family = AF_UNIX;
  if (chemin.empty() || chemin.size() >= sizeof adresse.sun_path) {
    return Invalide(dit + "un chemin de 1 à " + std::to_string(sizeof adresse.sun_path - 1) +
                    " octets");
  }
  const auto barre = chemin.find_last_of('/');
  const std::string dossier = barre == std::string::npos ? "."
                              : barre == 0               ? "/"
                                                         : chemin.substr(0, barre);
  // Whoever may write the folder may put another socket in its place.
  struct stat etat {};
  if (::stat(dossier.c_str(), &etat) != 0) return Invalide(dit + DecrireErreur(errno));
  if (!S_ISDIR(etat.st_mode)) return Invalide(dit + dossier + " n’est pas un dossier");
  if (etat.st_uid != ::geteuid()) {
    return Invalide(dit + "le dossier " + dossier + " n’est pas à vous");
  }
  if ((etat.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return Invalide(dit + "le dossier " + dossier + " peut être écrit par d’autres");
  }
  chemin.copy(adresse.sun_path, chemin.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Invalide(dit + DecrireErreur(errno));
  // A socket left by a console that ended without removing it answers nobody: it is replaced.
  // Anything else there is not the console's to remove.
  if (::lstat(chemin.c_str(), &etat) == 0) {
    if (!S_ISSOCK(etat.st_mode)) {
      ::close(fd);
      return Invalide(dit + "existe et n’est pas une socket");
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) == 0 ||
        errno != ECONNREFUSED) {
      ::close(fd);
      return Invalide(dit + "une autre console l’écoute déjà");
    }
    ::unlink(chemin.c_str());
  }
  // Made 0600 from the start: no moment when another user may connect.
  const mode_t masque = ::umask(0177);
  const int liee = ::bind(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse);
  const int erreurLien = errno;
  ::umask(masque);
  if (liee != 0 || ::listen(fd, kClientsEnAttente) != 0) {
    const int erreur = liee != 0 ? erreurLien : errno;
    ::close(fd);
    return Invalide(dit + DecrireErreur(erreur));
  }
  return std::unique_ptr<CanalSocket>(new CanalSocket(chemin, fd, erreurs));
}

CanalSocket::CanalSocket(std::string chemin, int ecoute, std::ostream* erreurs)
    : chemin_(std::move(chemin)), ecoute_(ecoute), erreurs_(erreurs) {}

CanalSocket::~CanalSocket() {
  Deconnecter();
  ::close(ecoute_);
  ::unlink(chemin_.c_str());
}

std::vector<int> CanalSocket::Descripteurs() const {
  if (client_ < 0) return {ecoute_};
  return {ecoute_, client_};
}

void CanalSocket::Accepter() {
  const int venu = ::accept4(ecoute_, nullptr, nullptr, SOCK_CLOEXEC);
  if (venu < 0) return;
  if (client_ < 0) {
    client_ = venu;
    tampon_.clear();
    tropLongue_ = false;
    return;
  }
  // Told without waiting on it: a client that reads nothing cannot hold the console.
  (void)::send(venu, kClientDeTrop, std::char_traits<char>::length(kClientDeTrop),
               MSG_NOSIGNAL | MSG_DONTWAIT);
  (void)::send(venu, "\n", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  ::close(venu);
}

void CanalSocket::Deconnecter() {
  if (client_ < 0) return;
  ::close(client_);
  client_ = -1;
  tampon_.clear();
  tropLongue_ = false;
}

bool CanalSocket::Recevoir(const Lecteur& lire) {
  if (Pret(ecoute_)) Accepter();
  if (client_ < 0) return true;
  if (!Pret(client_)) {
    DonnerLignes(tampon_, tropLongue_, {}, false, lire);
    return true;
  }
  char morceau[16 * 1024];
  const ssize_t n = ::recv(client_, morceau, sizeof morceau, 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) {
    // Its last line counts, even without its line end; the next client may come while that
    // line's request runs.
    std::string reste = std::exchange(tampon_, std::string());
    bool tropLongue = tropLongue_;
    Deconnecter();
    DonnerLignes(reste, tropLongue, {}, true, lire);
    return true;
  }
  DonnerLignes(tampon_, tropLongue_, std::string_view(morceau, static_cast<std::size_t>(n)), false,
               lire);
  return true;
}

bool CanalSocket::Ecrire(std::string_view ligne) {
  if (client_ < 0) return true;
  if (const int erreur = EcrireLigne(client_, ligne, true); erreur != 0) {
    if (erreurs_ != nullptr) {
      *erreurs_ << "zef30-console : le client de la console pilotée est parti ("
                << DecrireErreur(erreur) << ") : le suivant est attendu" << std::endl;
    }
    Deconnecter();
  }
  return true;
}

}  // namespace zef30
