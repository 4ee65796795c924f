// What the console costs while it waits on the line: a wait on a silent terminal must sleep in
// poll(), not spin, and a whole exchange must cost little beyond the line's own time.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/Horloge.h"
#include "bench/TempsProcesseur.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "link/PortTrace.h"
#include "protocol/Trame.h"
#include "simulator/TerminalSimule.h"

namespace zef30 {
namespace {

double TempsMur() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A console's port on a pseudo-terminal whose terminal is played by `terminal`.
struct Ligne {
  explicit Ligne(simulateur::TerminalSimule& terminal) : port(Table(terminal)) {
    ouverte = port.Ouvrir(1, "9600,N,8,1");
  }
  static TablePorts Table(simulateur::TerminalSimule& terminal) {
    TablePorts table;
    table.Associer(1, terminal.OuvrirPseudoTerminal().ValeurOu({}));
    return table;
  }
  PortPosix port;
  bool ouverte = false;
};

// How the console reaches the line: its port alone, through the line trace kept in memory
// only (the window's Trace), or through the trace writing its file as well (--trace).
enum class Trace { Sans, Memoire, Fichier };

// A console's link to a simulated terminal that plays `scenario` on its own thread.
struct Poste {
  explicit Poste(const simulateur::Scenario& scenario, Trace trace = Trace::Sans)
      : terminal(scenario),
        ligne(terminal),
        port(trace == Trace::Sans ? static_cast<PortSerie&>(ligne.port) : traceur) {
    if (trace == Trace::Fichier) {
      (void)traceur.EcrireDans("/tmp/zef30-bench-" + std::to_string(::getpid()) + ".trace");
    }
    terminal.Demarrer();
  }
  ~Poste() {
    if (!traceur.Fichier().empty()) std::remove(traceur.Fichier().c_str());
  }
  simulateur::TerminalSimule terminal;
  Ligne ligne;
  HorlogeSysteme horloge;
  PortTrace traceur{ligne.port, horloge, "banc"};
  PortSerie& port;
  Liaison liaison{port, horloge};
};

// Runs `operation` once per iteration and reports the whole process's CPU time over the wall
// time it took (the simulated terminal's thread included).
template <typename Operation>
void MesurerCpu(benchmark::State& etat, Operation operation) {
  double cpu = 0, mur = 0;
  for (auto _ : etat) {
    const double c0 = TempsProcesseur(), m0 = TempsMur();
    if (!operation()) {
      etat.SkipWithError("échange manqué");
      return;
    }
    cpu += TempsProcesseur() - c0;
    mur += TempsMur() - m0;
  }
  etat.counters["cpu_sur_mur"] = mur > 0 ? cpu / mur : 0;
  etat.counters["cpu_ms_par_s"] = mur > 0 ? 1000 * cpu / mur : 0;
}

// A terminal that never answers: the wait lasts its whole second.
void BM_AttenteSurLigneMuette(benchmark::State& etat) {
  simulateur::TerminalSimule terminal;  // never started: nothing ever comes
  Ligne ligne(terminal);
  if (!ligne.ouverte) {
    etat.SkipWithError("pseudo-terminal impossible");
    return;
  }
  MesurerCpu(etat, [&] {
    ligne.port.AttendreAuMoins(1, std::chrono::steady_clock::now() + std::chrono::seconds(1));
    return true;
  });
}
BENCHMARK(BM_AttenteSurLigneMuette)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// The probe of the link against a terminal that hears it but keeps silent (its thread is
// running, so its own waiting counts too).
void BM_SondeSansReponse(benchmark::State& etat) {
  simulateur::Scenario scenario;
  scenario.sonde = simulateur::ReponseSonde::Silence;
  Poste poste(scenario);
  MesurerCpu(etat, [&] {
    return poste.liaison.EnvoyerTrame(std::string(1, ENQ), 1, Horloge::Secondes(1.0)).empty();
  });
}
BENCHMARK(BM_SondeSansReponse)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// A whole card switch exchange (frame, EOT, ENQ, answer, closing) at line speed or in bursts.
void BM_EchangeSwitch(benchmark::State& etat) {
  simulateur::Scenario scenario;
  scenario.rafale = etat.range(0) == 1;
  const auto trace = static_cast<Trace>(etat.range(1));
  Poste poste(scenario, trace);
  MesurerCpu(etat, [&] {
    return poste.liaison.AttendreTerminalPret() &&
           TexteReponse(poste.liaison.Echanger("AA000", 13, kDelaiReponse)).size() == 13;
  });
  etat.SetLabel(std::string(scenario.rafale ? "rafale" : "9600 bauds") +
                (trace == Trace::Sans      ? ""
                 : trace == Trace::Memoire ? ", trace en mémoire"
                                           : ", --trace fichier"));
}
BENCHMARK(BM_EchangeSwitch)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30
