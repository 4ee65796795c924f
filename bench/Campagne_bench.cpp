// A campaign of card switches on the simulated terminal's virtual line: the processor time of a
// request (the console with the simulated terminal it drives, in one thread), and what the heap
// grew by over N requests, against what the virtual line's own copy of the traffic (a test
// double's) accounts for: the rest is what the console itself kept. The records go to a journal
// file, as a headless run's do.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <ostream>

#include "bench/TempsProcesseur.h"
#include "console/Poste.h"
#include "headless/Campagne.h"
#include "headless/JournalCampagne.h"
#include "link/Liaison.h"
#include "simulator/LigneVirtuelle.h"

namespace zef30 {
namespace {

// Bytes in use on the heap, the large blocks the allocator maps on their own included.
double Tas() {
  const auto info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

void BM_CampagneSwitch(benchmark::State& etat) {
  const int requetes = static_cast<int>(etat.range(0));
  for (auto _ : etat) {
    simulateur::LigneVirtuelle ligne;
    FenetreTexte fenetre;
    Poste poste(ligne, ligne.HorlogeLigne(), fenetre, "/nonexistent-zef30-bench");
    Console& console = poste.console;
    const auto script = LireScript("switch");
    ReglagesCampagne reglages;
    reglages.repetitions = requetes;
    std::ostream nulle(nullptr);  // the lines told go nowhere, and are kept nowhere
    // An unnamed temporary file, as when the data folder cannot be written.
    JournalCampagne journal("/nonexistent-zef30-bench/campagne.jsonl");
    const double tas = Tas();
    const double processeur = TempsProcesseur();
    ExecuterCampagne(console, fenetre, *script, reglages, nulle, {}, {}, &journal);
    const double cpu = TempsProcesseur() - processeur;
    const double croissance = Tas() - tas;
    const double trafic = static_cast<double>(ligne.Recu().size() + ligne.Emis().size());
    etat.counters["cpu_us_requete"] = cpu / requetes * 1e6;
    etat.counters["tas_octets_requete"] = croissance / requetes;
    etat.counters["ligne_virtuelle_octets_requete"] = trafic / requetes;
    etat.counters["reste_octets_requete"] = (croissance - trafic) / requetes;
    int reussies = 0;
    journal.Parcours()([&](const ExecutionRequete& e) { reussies += e.reussie ? 1 : 0; });
    etat.counters["reussies"] = reussies;
  }
}
BENCHMARK(BM_CampagneSwitch)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30
