// zef30-simulator: the simulated ZEF30 terminal on a pseudo-terminal or a serial line.
#include <signal.h>

#include <iostream>
#include <string>
#include <vector>

#include "simulator/LigneCommande.h"
#include "simulator/TerminalSimule.h"

int main(int argc, char** argv) {
  using namespace zef30::simulateur;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  OptionsSimulateur options;
  std::string erreur;
  if (!AnalyserLigneCommande(arguments, options, erreur)) {
    std::cerr << "zef30-simulator : " << erreur << "\n";
    return 2;
  }
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

  TerminalSimule terminal(options.scenario);
  if (options.peripherique.empty()) {
    const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
    if (chemin.empty()) {
      std::cerr << "zef30-simulator : " << erreur << "\n";
      return 1;
    }
    std::cout << chemin << std::endl;
  } else if (!terminal.OuvrirPeripherique(options.peripherique, erreur)) {
    std::cerr << "zef30-simulator : " << erreur << "\n";
    return 1;
  }
  terminal.Demarrer();

  // Until a signal, or until the line is gone.
  const timespec pas{0, 200'000'000};
  while (terminal.EnMarche()) {
    if (sigtimedwait(&fin, nullptr, &pas) > 0) break;
  }
  terminal.Arreter();
  return 0;
}
