#include "link/PortReseau.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/Texte.h"
#include "link/FichierRegulier.h"
#include "link/PortPosix.h"

namespace zef30 {

namespace {

constexpr std::string_view kTelnet = "rfc2217://";
constexpr std::string_view kTcp = "tcp://";

// Once the connection is made: the connect's own outcome (0 when made), ETIMEDOUT past
// `echeance`.
int AttendreConnexion(int fd, Horloge::Instant echeance) {
  for (;;) {
    const int ms = MillisecondesAvant(echeance);
    if (ms <= 0) return ETIMEDOUT;
    pollfd attente{fd, POLLOUT, 0};
    const int pret = ::poll(&attente, 1, ms);
    if (pret < 0 && errno == EINTR) continue;
    if (pret < 0) return errno;
    if (pret == 0) continue;
    int erreur = 0;
    socklen_t taille = sizeof erreur;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &erreur, &taille) != 0) return errno;
    return erreur;
  }
}

// Each ACK and EOT leaves at once; a network gone silent is found within seconds, while
// listening (keep-alive probes) as while sending (unacknowledged data).
void ReglerPrise(int fd) {
  const int oui = 1, inactif = 5, intervalle = 2, sondes = 3;
  const unsigned int sansAccuse = 10'000;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &oui, sizeof oui);
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &oui, sizeof oui);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &inactif, sizeof inactif);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalle, sizeof intervalle);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &sondes, sizeof sondes);
  ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &sansAccuse, sizeof sansAccuse);
}

// A connected socket, or why there is none. Every address of the host is tried in turn within
// the one limit.
Resultat<int> Connecter(const AdresseReseau& adresse, std::chrono::milliseconds delai) {
  const auto echeance = std::chrono::steady_clock::now() + delai;
  addrinfo indices{};
  indices.ai_family = AF_UNSPEC;
  indices.ai_socktype = SOCK_STREAM;
  indices.ai_flags = AI_NUMERICSERV;
  addrinfo* liste = nullptr;
  const int trouve = ::getaddrinfo(adresse.hote.c_str(), adresse.service.c_str(), &indices, &liste);
  if (trouve != 0) {
    return Systeme(trouve == EAI_NONAME || trouve == EAI_NODATA || trouve == EAI_FAIL
                       ? "hôte « " + Citer(adresse.hote) + " » introuvable"
                   : trouve == EAI_AGAIN
                       ? "hôte « " + Citer(adresse.hote) + " » : serveur de noms injoignable"
                   : trouve == EAI_SYSTEM
                       ? "hôte « " + Citer(adresse.hote) + " » : " + DecrireErreur(errno)
                       : "hôte « " + Citer(adresse.hote) + " » : " + ::gai_strerror(trouve));
  }
  std::string erreur;
  int fd = -1;
  for (const addrinfo* a = liste; a != nullptr && fd < 0; a = a->ai_next) {
    const int prise =
        ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (prise < 0) {
      erreur = DecrireErreur(errno);
      continue;
    }
    int issue = ::connect(prise, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
    if (issue == EINPROGRESS) issue = AttendreConnexion(prise, echeance);
    if (issue == 0) {
      fd = prise;
    } else {
      ::close(prise);
      erreur = DecrireErreur(issue);
      if (issue == ETIMEDOUT) break;
    }
  }
  ::freeaddrinfo(liste);
  if (fd < 0) return Systeme(std::move(erreur));
  ReglerPrise(fd);
  return fd;
}

// A server that will not serve (its line already taken by another operator) says so in words
// before it closes: the last line received, when it is such text, is given with the loss.
std::string MotDuServeur(std::string_view derniers) {
  while (!derniers.empty() && (derniers.back() == '\r' || derniers.back() == '\n'))
    derniers.remove_suffix(1);
  const auto fin = derniers.find_last_of("\r\n");
  if (fin != std::string_view::npos) derniers.remove_prefix(fin + 1);
  const bool texte =
      std::all_of(derniers.begin(), derniers.end(), [](char c) { return c >= ' ' && c <= '~'; });
  if (derniers.size() < 4 || !texte) return {};
  return " : « " + std::string(derniers) + " »";
}

constexpr std::size_t kDerniersMax = 80;

}  // namespace

bool EstAdresseReseau(std::string_view chemin) {
  return chemin.starts_with(kTelnet) || chemin.starts_with(kTcp);
}

Resultat<AdresseReseau> LireAdresseReseau(std::string_view chemin) {
  AdresseReseau adresse;
  adresse.telnet = chemin.starts_with(kTelnet);
  std::string_view reste = chemin.substr(adresse.telnet ? kTelnet.size() : kTcp.size());
  std::string_view hote;
  if (reste.starts_with('[')) {
    const auto fin = reste.find(']');
    hote = reste.substr(1, fin == std::string_view::npos ? 0 : fin - 1);
    reste = fin == std::string_view::npos ? "" : reste.substr(fin + 1);
  } else {
    hote = reste.substr(0, reste.rfind(':'));
    reste = reste.substr(hote.size());
  }
  const auto numero = reste.starts_with(':') ? LireEntierStrict(reste.substr(1)) : std::nullopt;
  if (hote.empty() || !numero || *numero < 1 || *numero > 65535) {
    return Invalide("adresse réseau « " + Citer(chemin) +
                    " » : il faut HÔTE:PORT (PORT de 1 à 65535)");
  }
  adresse.hote = std::string(hote);
  adresse.service = std::to_string(*numero);
  return adresse;
}

PortReseau::PortReseau(TablePorts table, std::chrono::milliseconds delaiConnexion,
                       std::chrono::milliseconds delaiRefus)
    : table_(std::move(table)), delaiConnexion_(delaiConnexion), delaiRefus_(delaiRefus) {}

PortReseau::~PortReseau() {
  Fermer();
  if (minuterie_ >= 0) ::close(minuterie_);
}

bool PortReseau::Essayer(int numero) { return LireAdresseReseau(table_.Chemin(numero)).Reussi(); }

bool PortReseau::Ouvrir(int numero, std::string_view parametres) {
  Fermer();
  const std::string chemin = table_.Chemin(numero);
  const std::string entete = "port " + std::to_string(numero) + " (" + chemin + ") : ";
  const auto adresse = LireAdresseReseau(chemin);
  // The server sets its line to the one speed the Telnet option is told.
  Resultat<int> fd =
      !adresse ? Resultat<int>(adresse.Erreur())
      : adresse->telnet && LireVitesse(parametres) != 9600
          ? Invalide("réglages de ligne non pris en charge « " + std::string(parametres) + " »")
          : Connecter(*adresse, delaiConnexion_);
  if (fd) {
    if (auto refus = Refus(*fd, adresse->telnet)) {
      ::close(*fd);
      fd = Systeme("refusé par le serveur" + *refus);
    }
  }
  if (!fd) {
    erreur_ = entete + fd.Erreur().texte;
    return false;
  }
  fd_ = *fd;
  entete_ = entete;
  telnet_ = adresse->telnet;
  filtre_ = FiltreTelnet();
  derniers_.clear();
  erreur_.clear();
  if (telnet_) Envoyer(FiltreTelnet::Ouverture());
  return fd_ >= 0;
}

std::optional<std::string> PortReseau::Refus(int fd, bool telnet) const {
  // Only its close is waited for: what it sent stays in the socket, to be read as ever when the
  // server serves. A server that refuses says why in a line of text, Telnet commands around it.
  const auto echeance = std::chrono::steady_clock::now() + delaiRefus_;
  for (;;) {
    const int ms = MillisecondesAvant(echeance);
    if (ms <= 0) return std::nullopt;
    pollfd attente{fd, POLLRDHUP, 0};
    const int pret = ::poll(&attente, 1, ms);
    if (pret < 0 && errno == EINTR) continue;
    if (pret <= 0) return std::nullopt;
    char octets[1024];
    const ssize_t lus = ::recv(fd, octets, sizeof octets, MSG_PEEK | MSG_DONTWAIT);
    const std::string_view recu(octets, lus > 0 ? static_cast<std::size_t>(lus) : 0);
    std::string texte, reponses;
    if (telnet) {
      FiltreTelnet().Recevoir(recu, texte, reponses);
    } else {
      texte = recu;
    }
    return MotDuServeur(texte);
  }
}

void PortReseau::Rendre() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  envoi_.clear();
  repos_.reset();
}

int PortReseau::Descripteur() const { return repos_ ? minuterie_ : fd_; }

void PortReseau::Reposer(Horloge::Instant fin) {
  if (minuterie_ < 0) minuterie_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  // Without a timer to wake the window, the pause is skipped: reading on costs processor time,
  // never a wait.
  if (minuterie_ < 0) return;
  const auto depuisLeDebut = fin.time_since_epoch();
  const auto s = std::chrono::duration_cast<std::chrono::seconds>(depuisLeDebut);
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(depuisLeDebut - s);
  itimerspec quand{};
  quand.it_value.tv_sec = s.count();
  quand.it_value.tv_nsec = ns.count();
  if (quand.it_value.tv_sec == 0 && quand.it_value.tv_nsec == 0) quand.it_value.tv_nsec = 1;
  if (::timerfd_settime(minuterie_, TFD_TIMER_ABSTIME, &quand, nullptr) == 0) repos_ = fin;
}

void PortReseau::Envoyer(std::string_view octets) {
  if (fd_ < 0) return;
  if (envoi_.size() + octets.size() > kEnvoiMax) {
    Perdre("le serveur ne lit plus");
    return;
  }
  envoi_.append(octets);
  const auto ecriture = EcrireTout(fd_, envoi_, std::nullopt, true);
  envoi_.erase(0, ecriture.ecrits);
  if (ecriture.erreur != 0 && ecriture.erreur != EAGAIN && ecriture.erreur != EWOULDBLOCK) {
    Perdre(DecrireErreur(ecriture.erreur));
  }
}

bool PortReseau::Remplir(std::size_t voulus) {
  if (!envoi_.empty()) Envoyer({});
  if (fd_ < 0) return false;
  const auto maintenant = std::chrono::steady_clock::now();
  if (repos_ && maintenant < *repos_) return true;
  repos_.reset();
  std::string reponses;
  std::size_t lusEnTout = 0;
  recu_.resize(16 * 1024);
  while (tampon_.size() < voulus) {
    if (lusEnTout >= kLectureMax) {
      // The server sends faster than any terminal: it waits for the pause to end.
      Reposer(maintenant + kRepos);
      break;
    }
    // Never more terminal bytes in hand than the buffer's bound: Telnet commands only make the
    // terminal's share smaller.
    const std::size_t n = std::min(
        {recu_.size(), kTamponMax - std::min(kTamponMax, tampon_.size()), kLectureMax - lusEnTout});
    if (n == 0) break;
    const ssize_t lus = ::recv(fd_, recu_.data(), n, MSG_DONTWAIT);
    if (lus > 0) {
      lusEnTout += static_cast<std::size_t>(lus);
      const std::string_view recu(recu_.data(), static_cast<std::size_t>(lus));
      const std::size_t avant = tampon_.size();
      if (telnet_) {
        filtre_.Recevoir(recu, tampon_, reponses);
      } else {
        tampon_.append(recu);
      }
      const std::string_view nouveaux = std::string_view(tampon_).substr(avant);
      derniers_ += nouveaux.substr(nouveaux.size() - std::min(nouveaux.size(), kDerniersMax));
      if (derniers_.size() > kDerniersMax) derniers_.erase(0, derniers_.size() - kDerniersMax);
      continue;
    }
    if (lus < 0 && errno == EINTR) continue;
    if (lus < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    // A reset may follow the server's last words, when our answers to it crossed its close.
    const int erreur = lus == 0 ? 0 : errno;
    Perdre((lus == 0 ? "connexion fermée par le serveur" : DecrireErreur(erreur)) +
           (lus == 0 || erreur == ECONNRESET ? MotDuServeur(derniers_) : ""));
    return false;
  }
  if (!reponses.empty()) Envoyer(reponses);
  return fd_ >= 0;
}

void PortReseau::Ecrire(std::string_view octets) {
  Envoyer(telnet_ ? FiltreTelnet::Echapper(octets) : std::string(octets));
}

int PortReseau::NombreEnAttente() {
  // Everything the connection holds is taken, so that its Telnet commands are answered and a
  // window waiting on the socket is not woken again by them.
  Recueillir(kTamponMax);
  return static_cast<int>(EnMain());
}

}  // namespace zef30
