// zef30-simulator: the simulated ZEF30 terminal on a pseudo-terminal or a serial line.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "link/FichierRegulier.h"
#include "link/PortPosix.h"
#include "link/TraceLigne.h"
#include "simulator/LigneCommande.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/Rejeu.h"
#include "simulator/TerminalSimule.h"

namespace {

// How long the replay waits for the console where the recording says it spoke.
constexpr double kSilenceMaxRejeu = 60;
// A replay holds its whole trace in memory: past this, narrow the trace first.
constexpr std::size_t kTailleRejeuMax = 256u << 20;

int Echouer(const std::string& raison) {
  std::cerr << "zef30-simulator : " << raison << "\n";
  return 1;
}

// --replay: the trace played on a pseudo-terminal (its path on stdout) or on --device, until it
// is done, the console differs, or a signal of `fin` comes.
int Rejouer(const zef30::simulateur::OptionsSimulateur& options, const sigset_t& fin) {
  using namespace zef30::simulateur;
  // Opened without waiting: a pipe or a device at that name is refused, never waited on.
  zef30::FichierRegulier fichier(options.fichierRejeu, O_RDONLY, 0, zef30::DernierLien::Suivi);
  std::string texte;
  if (const int lu = fichier.LireTout(texte, kTailleRejeuMax); lu != 0) {
    return Echouer(options.fichierRejeu + " : trace illisible" +
                   (fichier.NonRegulier() ? " : " + fichier.Raison()
                    : lu == EFBIG         ? std::string(" : plus de 256 Mio")
                                          : std::string()));
  }
  auto enregistrements = zef30::LireTrace(texte);
  if (!enregistrements)
    return Echouer(options.fichierRejeu + " : " + enregistrements.Erreur().texte);

  PseudoTerminal ligne;
  if (options.peripherique.empty()) {
    auto pt = OuvrirPseudoTerminal();
    if (!pt) return Echouer(pt.Erreur().texte);
    ligne = std::move(*pt);
    std::cout << ligne.chemin << std::endl;
  } else {
    ligne.maitre = ::open(options.peripherique.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (ligne.maitre < 0 || !zef30::ReglerLigneBrute(ligne.maitre, B9600)) {
      return Echouer(options.peripherique + " : " + zef30::DecrireErreur(errno));
    }
  }
  std::atomic<bool> arret = false;
  std::thread signaux([&] {
    int signal = 0;
    sigwait(&fin, &signal);
    arret = true;
  });
  Rejeu rejeu(std::move(*enregistrements), options.pausesComprimees);
  GardeExclusivite garde;
  if (ligne.esclave >= 0) garde.Surveiller(ligne.chemin, ligne.esclave);
  const int code = JouerRejeu(ligne.maitre, rejeu, kSilenceMaxRejeu, arret, std::cout, &garde);
  if (!arret) pthread_kill(signaux.native_handle(), SIGTERM);
  signaux.join();
  for (int fd : {ligne.maitre, ligne.esclave}) {
    if (fd >= 0) ::close(fd);
  }
  return code == 2 ? 0 : code;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zef30::simulateur;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  auto analyse = AnalyserLigneCommande(arguments);
  if (!analyse) {
    std::cerr << "zef30-simulator : " << analyse.Erreur().texte << "\n";
    return 2;
  }
  const OptionsSimulateur options = std::move(*analyse);
  if (options.aide) {
    std::cout << TexteAide();
    return 0;
  }
  if (options.version) {
    std::cout << "zef30-simulator " << ZEF30_VERSION << "\n";
    return 0;
  }

  // The signals that end us are taken in this thread only, and waited for below.
  sigset_t fin;
  sigemptyset(&fin);
  sigaddset(&fin, SIGINT);
  sigaddset(&fin, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &fin, nullptr);
  signal(SIGPIPE, SIG_IGN);
  if (!options.fichierRejeu.empty()) return Rejouer(options, fin);

  TerminalSimule terminal(options.scenario);
  if (options.peripherique.empty()) {
    const auto chemin = terminal.OuvrirPseudoTerminal();
    if (!chemin) {
      std::cerr << "zef30-simulator : " << chemin.Erreur().texte << "\n";
      return 1;
    }
    std::cout << *chemin << std::endl;
  } else if (const auto ouvert = terminal.OuvrirPeripherique(options.peripherique); !ouvert) {
    std::cerr << "zef30-simulator : " << ouvert.Erreur().texte << "\n";
    return 1;
  }
  terminal.Demarrer();

  // Until a signal, or until the line is gone.
  const timespec pas{0, 200'000'000};
  int rendues = 0;
  while (terminal.EnMarche()) {
    if (sigtimedwait(&fin, nullptr, &pas) > 0) break;
    if (const int n = terminal.LignesRendues(); n > rendues) {
      rendues = n;
      std::cout << "mode exclusif levé : la console partie sans rendre la ligne n’empêche pas la "
                   "suivante de l’ouvrir"
                << std::endl;
    }
  }
  terminal.Arreter();
  return 0;
}
