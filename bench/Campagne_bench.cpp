// A campaign of card switches on the simulated terminal's virtual line: the processor time of a
// request (the console with the simulated terminal it drives, in one thread), and what the heap
// grew by over N requests, against what the records of the runs and the virtual line's own copy
// of the traffic (a test double's) account for: the rest is what the console itself kept.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <ostream>

#include "console/FichiersConsole.h"
#include "headless/Campagne.h"
#include "link/Liaison.h"
#include "simulator/LigneVirtuelle.h"

namespace zef30 {
namespace {

double TempsProcesseur() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Bytes in use on the heap, the large blocks the allocator maps on their own included.
double Tas() {
  const auto info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

// What the records of a campaign hold on the heap: their array and the texts too long to be
// kept inside a string.
double OctetsEnregistrements(const std::vector<ExecutionRequete>& executions) {
  const auto texte = [](const std::string& t) { return t.capacity() > 15 ? t.capacity() + 1 : 0; };
  double octets = static_cast<double>(executions.capacity() * sizeof(ExecutionRequete));
  for (const auto& e : executions) {
    octets += static_cast<double>(texte(e.famille) + texte(e.raison) + texte(e.ligneResultat) +
                                  texte(e.ligneEtat));
  }
  return octets;
}

void BM_CampagneSwitch(benchmark::State& etat) {
  const int requetes = static_cast<int>(etat.range(0));
  for (auto _ : etat) {
    simulateur::LigneVirtuelle ligne;
    EtatConsole console_etat;
    Liaison liaison{ligne, ligne.HorlogeLigne(), console_etat.NumeroPortCom};
    FenetreTexte fenetre;
    FichiersConsole fichiers("/nonexistent-zef30-bench", fenetre);
    Console console{console_etat, liaison, fenetre, fichiers};
    std::string erreur;
    const auto script = LireScript("switch", erreur);
    ReglagesCampagne reglages;
    reglages.repetitions = requetes;
    std::ostream nulle(nullptr);  // the lines told go nowhere, and are kept nowhere
    const double tas = Tas();
    const double processeur = TempsProcesseur();
    const auto campagne = ExecuterCampagne(console, fenetre, *script, reglages, nulle);
    const double cpu = TempsProcesseur() - processeur;
    const double croissance = Tas() - tas;
    const double records = OctetsEnregistrements(campagne.executions);
    const double trafic = static_cast<double>(ligne.Recu().size() + ligne.Emis().size());
    etat.counters["cpu_us_requete"] = cpu / requetes * 1e6;
    etat.counters["tas_octets_requete"] = croissance / requetes;
    etat.counters["enregistrements_octets_requete"] = records / requetes;
    etat.counters["ligne_virtuelle_octets_requete"] = trafic / requetes;
    etat.counters["reste_octets_requete"] = (croissance - records - trafic) / requetes;
    etat.counters["reussies"] =
        static_cast<double>(std::count_if(campagne.executions.begin(), campagne.executions.end(),
                                          [](const ExecutionRequete& e) { return e.reussie; }));
  }
}
BENCHMARK(BM_CampagneSwitch)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30
