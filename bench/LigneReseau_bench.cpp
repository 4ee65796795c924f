// What a line served over the network adds to each turn of the handshake: the card switch
// (probe, frame, EOT, answer, closing) with the simulated terminal on a pseudo-terminal, reached
// directly or through a real ser2net on loopback, the terminal answering at once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "link/Liaison.h"
#include "link/PortAiguillage.h"
#include "link/PortTrace.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/Ser2net.h"

namespace zef30 {
namespace {

// One turn: from the console's send to its read of the terminal's reply, as the line trace
// timed both.
void BM_TourSwitch(benchmark::State& etat) {
  simulateur::Scenario scenario;
  scenario.rafale = true;
  simulateur::TerminalSimule terminal(scenario);
  std::string erreur;
  const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
  terminal.Demarrer();
  const char* noms[] = {"pseudo-terminal", "rfc2217://", "tcp://"};
  std::optional<essai::Ser2net> serveur;
  if (etat.range(0) > 0) serveur.emplace(chemin);
  TablePorts table;
  table.Associer(1, serveur ? serveur->Url(etat.range(0) == 1) : chemin);
  PortAiguillage ligne(table);
  HorlogeSysteme horloge;
  PortTrace port(ligne, horloge, "banc");
  const std::int32_t numero = 1;
  Liaison liaison(port, horloge, numero);
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
    if (!liaison.AttendreTerminalPret() || liaison.Echanger("AA000", 13, 10).size() != 13) {
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

}  // namespace
}  // namespace zef30
