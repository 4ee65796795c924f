#include "link/Signaux.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include "link/PortPosix.h"

namespace zef30 {

namespace {

// What a signal handler must find with no argument to carry it: the line to give back. This is
// the console's one piece of static state, and it stays in this unit. It is written only with
// the signals held in the main thread, the only thread whose handler reads it, so the handler
// never sees it half written.
struct LigneARendre {
  volatile sig_atomic_t fd = -1;
  volatile sig_atomic_t faibleLatence = 0;
  termios trouves{};
  // A first SIGINT that only asks for a stop.
  volatile sig_atomic_t arretEnDouceur = 0;
  volatile sig_atomic_t arretDemande = 0;
  // A run without a window says which signal ended it, and after which request.
  volatile sig_atomic_t direArret = 0;
  volatile sig_atomic_t requetesFinies = 0;
};
LigneARendre ligneARendre;

// Every signal sent to the console whose default action ends it: the operator's, the session's,
// the timers' and limits' ones, and those left to programs. (The faults of the program itself,
// SIGSEGV and its kind, keep their own end.)
sigset_t SignauxDeFin() {
  sigset_t ensemble;
  sigemptyset(&ensemble);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU,
                           SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSTKFLT}) {
    sigaddset(&ensemble, signal);
  }
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&ensemble, signal);
  return ensemble;
}

// Appends `texte` to `ligne`, within its `taille`; async-signal-safe.
void Ajouter(char* ligne, std::size_t taille, std::size_t& longueur, const char* texte) {
  while (*texte != '\0' && longueur + 1 < taille) ligne[longueur++] = *texte++;
  ligne[longueur] = '\0';
}

void AjouterNombre(char* ligne, std::size_t taille, std::size_t& longueur, long nombre) {
  char chiffres[24];
  std::size_t n = sizeof chiffres - 1;
  chiffres[n] = '\0';
  do {
    chiffres[--n] = static_cast<char>('0' + nombre % 10);
    nombre /= 10;
  } while (nombre > 0 && n > 0);
  Ajouter(ligne, taille, longueur, chiffres + n);
}

// "zef30-console : arrêtée par SIGTERM après la requête 3", in one write; async-signal-safe.
void DireArret(int signal, long finies) {
  struct Nom {
    int signal;
    const char* nom;
  };
  static constexpr Nom kNoms[] = {{SIGINT, "SIGINT"},   {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"},
                                  {SIGQUIT, "SIGQUIT"}, {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"},
                                  {SIGALRM, "SIGALRM"}};
  char ligne[160];
  std::size_t longueur = 0;
  Ajouter(ligne, sizeof ligne, longueur, "\nzef30-console : arrêtée par ");
  const char* nom = nullptr;
  for (const Nom& n : kNoms) {
    if (n.signal == signal) nom = n.nom;
  }
  if (nom != nullptr) {
    Ajouter(ligne, sizeof ligne, longueur, nom);
  } else {
    Ajouter(ligne, sizeof ligne, longueur, "le signal ");
    AjouterNombre(ligne, sizeof ligne, longueur, signal);
  }
  if (finies > 0) {
    Ajouter(ligne, sizeof ligne, longueur, " après la requête ");
    AjouterNombre(ligne, sizeof ligne, longueur, finies);
  } else {
    Ajouter(ligne, sizeof ligne, longueur, " avant la fin de la première requête");
  }
  Ajouter(ligne, sizeof ligne, longueur, "\n");
  const int erreur = errno;
  if (::write(STDERR_FILENO, ligne, longueur) < 0) {
    // Nothing else to do from a signal handler.
  }
  errno = erreur;
}

// Async-signal-safe from end to end.
void RendreLaLigneEtTerminer(int signal) {
  if (::gettid() != ::getpid()) {
    // Not the main thread: this one takes the signal no more, and hands it to the process
    // again, where the main thread gets it (at once, or once it lets it through).
    const int erreur = errno;
    sigset_t un;
    sigemptyset(&un);
    sigaddset(&un, signal);
    pthread_sigmask(SIG_BLOCK, &un, nullptr);
    ::kill(::getpid(), signal);
    errno = erreur;
    return;
  }
  if (signal == SIGINT && ligneARendre.arretEnDouceur != 0 && ligneARendre.arretDemande == 0) {
    ligneARendre.arretDemande = 1;
    // The operator learns at once that it was heard, and how to end without waiting.
    static constexpr char kEntendu[] =
        "\nCtrl-C : arrêt après la requête en cours (Ctrl-C encore : arrêt immédiat)\n";
    const int erreur = errno;
    if (::write(STDERR_FILENO, kEntendu, sizeof kEntendu - 1) < 0) {
      // Nothing else to do from a signal handler.
    }
    errno = erreur;
    return;
  }
  const int fd = ligneARendre.fd;
  if (fd >= 0) RestaurerLigne(fd, ligneARendre.trouves, ligneARendre.faibleLatence != 0);
  if (ligneARendre.direArret != 0) DireArret(signal, ligneARendre.requetesFinies);
  ::_exit(128 + signal);
}

}  // namespace

void TerminerSurSignaux() {
  struct sigaction action {};
  action.sa_handler = RendreLaLigneEtTerminer;
  action.sa_mask = SignauxDeFin();
  // A thread that only passes the signal on goes on with what it was doing.
  action.sa_flags = SA_RESTART;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&action.sa_mask, signal) == 1) ::sigaction(signal, &action, nullptr);
  }
  // A closed socket or pipe is a failed write, which its writer reports; a file grown past the
  // size limit set for the session fails its write likewise, instead of ending the console.
  // Ignored signals stay ignored across the hand-over to the window's program.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

void ArreterEnDouceurSurSigint() { ligneARendre.arretEnDouceur = 1; }

bool ArretDemande() { return ligneARendre.arretDemande != 0; }

void DireArretSurSignal() { ligneARendre.direArret = 1; }

void NoterRequeteFinie(int rang) { ligneARendre.requetesFinies = rang; }

SignauxRetenus::SignauxRetenus() {
  const sigset_t fin = SignauxDeFin();
  pthread_sigmask(SIG_BLOCK, &fin, &avant_);
}

SignauxRetenus::~SignauxRetenus() { pthread_sigmask(SIG_SETMASK, &avant_, nullptr); }

void ConfierLigne(int fd, const termios& trouves, bool faibleLatence) {
  ligneARendre.trouves = trouves;
  ligneARendre.faibleLatence = faibleLatence ? 1 : 0;
  ligneARendre.fd = fd;
}

void ReprendreLigne(int fd) {
  if (ligneARendre.fd == fd) ligneARendre.fd = -1;
}

}  // namespace zef30
