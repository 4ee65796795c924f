// Reading a scenario file: its time grows with its length, not with the square of it, up to the
// largest file the simulator takes (1 Mio, some 30 000 lines of frames).
#include <benchmark/benchmark.h>

#include <string>

#include "simulator/LectureScenario.h"

namespace zef30::simulateur {
namespace {

void BM_LireTexteScenario(benchmark::State& etat) {
  std::string texte;
  for (std::int64_t i = 0; i < etat.range(0); ++i) {
    texte += "spontane=affichage:LIGNE " + std::to_string(i) + "|SECONDE\n";
  }
  for (auto _ : etat) {
    Scenario scenario;
    if (const auto lu = LireTexteScenario(texte, "banc", scenario); !lu)
      etat.SkipWithError(lu.Erreur().texte.c_str());
    benchmark::DoNotOptimize(scenario);
  }
  etat.SetItemsProcessed(etat.iterations() * etat.range(0));
}
BENCHMARK(BM_LireTexteScenario)->Arg(1000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30::simulateur
