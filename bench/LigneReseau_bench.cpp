// What a line served over the network adds to each turn of the handshake: the card switch
// (probe, frame, EOT, answer, closing) with the simulated terminal on a pseudo-terminal, reached
// directly or through a real ser2net on loopback, the terminal answering at once.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "link/Liaison.h"
#include "link/PortAiguillage.h"
#include "link/PortReseau.h"
#include "link/PortTrace.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/Ser2net.h"
#include "tests/support/ServeurHostile.h"

namespace zef30 {
namespace {

// One turn: from the console's send to its read of the terminal's reply, as the line trace
// timed both.
void BM_TourSwitch(benchmark::State& etat) {
  simulateur::Scenario scenario;
  scenario.rafale = true;
  simulateur::TerminalSimule terminal(scenario);
  const std::string chemin = terminal.OuvrirPseudoTerminal().ValeurOu({});
  terminal.Demarrer();
  const char* noms[] = {"pseudo-terminal", "rfc2217://", "tcp://"};
  std::optional<essai::Ser2net> serveur;
  if (etat.range(0) > 0) serveur.emplace(chemin);
  TablePorts table;
  table.Associer(1, serveur ? serveur->Url(etat.range(0) == 1) : chemin);
  PortAiguillage ligne(table);
  HorlogeSysteme horloge;
  PortTrace port(ligne, horloge, "banc");
  Liaison liaison(port, horloge);
  std::vector<double> tours;
  double envoi = -1;
  port.Observer([&](const EnregistrementTrace& e, bool) {
    if (e.sens == Sens::VersTerminal) {
      envoi = e.ms;
    } else if (envoi >= 0) {
      tours.push_back(e.ms - envoi);
      envoi = -1;
    }
  });
  for (auto _ : etat) {
    if (!liaison.AttendreTerminalPret() ||
        TexteReponse(liaison.Echanger("AA000", 13, kDelaiReponse)).size() != 13) {
      etat.SkipWithError(("échange manqué : " + ligne.DerniereErreur()).c_str());
      return;
    }
  }
  std::sort(tours.begin(), tours.end());
  if (tours.empty()) return;
  etat.counters["tours"] = static_cast<double>(tours.size());
  etat.counters["tour_median_ms"] = tours[tours.size() / 2];
  etat.counters["tour_p99_ms"] = tours[tours.size() * 99 / 100];
  etat.counters["tour_max_ms"] = tours.back();
  etat.SetLabel(noms[etat.range(0)]);
}
BENCHMARK(BM_TourSwitch)
    ->DenseRange(0, 2)
    ->Iterations(500)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The processor time of the waiting thread alone (the flooding server runs in this process too).
double TempsDuFil() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A wait of 10 s for the terminal's first byte on an RFC 2217 line whose server sends only
// IAC NOP: as fast as loopback takes them (0), or 200 KB/s (1). The server stops after 10.5 s,
// so that a wait that does not heed its deadline still ends. What the wait cost in processor
// time, and by how much it outlived its deadline.
void BM_AttenteSousFlotDeNop(benchmark::State& etat) {
  const double debit = etat.range(0) == 0 ? 0 : 200'000;
  for (auto _ : etat) {
    essai::ServeurHostile serveur({.motif = "\xFF\xF1", .debit = debit, .duree = 10.5});
    TablePorts table;
    table.Associer(1, serveur.Url(true));
    PortReseau port(table);
    if (!port.Ouvrir(1, "9600,N,8,1")) {
      etat.SkipWithError(port.DerniereErreur().c_str());
      return;
    }
    const double processeur = TempsDuFil();
    const auto echeance = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    port.AttendreAuMoins(1, echeance);
    const auto fin = std::chrono::steady_clock::now();
    // A wait that outlived the flood finds the server's close: the line is then lost.
    etat.counters["ligne_perdue"] = port.EstOuvert() ? 0 : 1;
    etat.counters["cpu_pct"] = 100 * (TempsDuFil() - processeur) / 10;
    etat.counters["depassement_ms"] =
        std::chrono::duration<double, std::milli>(fin - echeance).count();
    etat.counters["octets_serveur_Mo"] = static_cast<double>(serveur.Envoyes()) / 1e6;
  }
  etat.SetLabel(etat.range(0) == 0 ? "flot libre" : "200 Ko/s");
}
BENCHMARK(BM_AttenteSousFlotDeNop)
    ->DenseRange(0, 1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30
