// A piloted console's stop: from "arret" written by the client to the listening's record read
// back, and what a listening on a silent line costs while the console also watches its commands.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "bench/TempsProcesseur.h"
#include "console/Poste.h"
#include "headless/FenetreTexte.h"
#include "headless/Pilotage.h"
#include "link/PortAiguillage.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/LignesPilote.h"

namespace zef30 {
namespace {

double TempsMur() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The console as main assembles it, on the simulated terminal, its session on a thread; the
// bench holds the client's end of a socket pair.
struct ConsolePilotee {
  ConsolePilotee() {
    terminal.Demarrer();
    fin = std::async(std::launch::async, [this] { pilote.Session().Executer(); });
  }
  ~ConsolePilotee() {
    Envoyer(R"({"id":"fin","fin":true})");
    ::shutdown(fds[1], SHUT_WR);
    fin.wait();
    ::close(fds[0]);
    ::close(fds[1]);
  }
  void Envoyer(const std::string& ligne) { client.Envoyer(ligne); }
  std::string Attendre(const std::string& piece) { return client.Attendre(piece, 10'000); }
  bool Ecouter() {
    Envoyer(R"({"id":"m","requete":"maintenance"})");
    return client.AttendreEcoute(10'000);
  }

  static TablePorts Table(simulateur::TerminalSimule& terminal) {
    TablePorts table;
    table.Associer(1, terminal.OuvrirPseudoTerminal().ValeurOu({}));
    return table;
  }
  struct Paire {
    Paire() { (void)::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds); }
    int fds[2] = {-1, -1};
  };

  simulateur::TerminalSimule terminal;
  TablePorts table = Table(terminal);
  PortAiguillage port{table};
  HorlogeSysteme horloge;
  FenetreTexte fenetre;
  Poste poste{port, horloge, fenetre, "/nonexistent-zef30-bench"};
  Paire paire;
  int* fds = paire.fds;
  CanalDescripteurs canal{fds[0], fds[0]};
  PiloteSansFenetre pilote{poste.console, fenetre, canal};
  std::future<void> fin;
  essai::ClientPilote client{fds[1]};
};

// From "arret" sent to the listening's record read back by the client.
void BM_ArretPilote(benchmark::State& etat) {
  ConsolePilotee console;
  std::vector<double> ms;
  for (auto _ : etat) {
    etat.PauseTiming();
    if (!console.Ecouter()) {
      etat.SkipWithError("pas d’écoute");
      return;
    }
    etat.ResumeTiming();
    const double debut = TempsMur();
    console.Envoyer(R"({"id":"a","arret":true})");
    if (console.Attendre(R"({"id":"m","numero")").empty()) {
      etat.SkipWithError("pas d’enregistrement");
      return;
    }
    ms.push_back(1000 * (TempsMur() - debut));
  }
  std::sort(ms.begin(), ms.end());
  etat.counters["median_ms"] = ms[ms.size() / 2];
  etat.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_ArretPilote)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

// 5 s of maintenance listening on a line where nothing comes: the whole process's processor
// time a second (the simulated terminal's thread included).
void BM_EcoutePiloteeMuette(benchmark::State& etat) {
  ConsolePilotee console;
  double cpu = 0, mur = 0;
  for (auto _ : etat) {
    if (!console.Ecouter()) {
      etat.SkipWithError("pas d’écoute");
      return;
    }
    const double c0 = TempsProcesseur(), m0 = TempsMur();
    pollfd rien{-1, 0, 0};
    (void)::poll(&rien, 1, 5'000);
    cpu += TempsProcesseur() - c0;
    mur += TempsMur() - m0;
    console.Envoyer(R"({"id":"a","arret":true})");
    (void)console.Attendre(R"({"id":"m","numero")");
  }
  etat.counters["cpu_ms_par_s"] = mur > 0 ? 1000 * cpu / mur : 0;
}
BENCHMARK(BM_EcoutePiloteeMuette)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30
