// What one received character costs the line trace, at the start of a burst and after 100 000
// characters of a burst that never pauses (a terminal talking at the line's speed): without a
// file or a window, with the window's Trace (records formatted as they come), with a --trace
// file. The two must be the same.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/Horloge.h"
#include "link/PortTrace.h"
#include "link/TraceLigne.h"

namespace zef30 {

using namespace std::chrono_literals;
namespace {

// The line's clock, moved by the port: 10 bits a character at 9600 bauds.
class HorlogeLigne final : public Horloge {
 public:
  Instant Maintenant() const override { return maintenant_; }
  void Avancer(Secondes delai) { maintenant_ = Plus(maintenant_, delai); }

 private:
  Instant maintenant_{};
};

// A terminal that always has one more "A" for the console, at the line's pace.
class PortBavard final : public PortSerie {
 public:
  explicit PortBavard(HorlogeLigne& horloge) : horloge_(horloge) {}
  bool Ouvrir(int, std::string_view) override { return true; }
  bool EstOuvert() const override { return true; }
  void Fermer() override {}
  std::string DerniereErreur() const override { return {}; }
  bool Essayer(int) override { return true; }
  void DefinirTailleLecture(int) override {}
  void Ecrire(std::string_view) override {}
  int NombreEnAttente() override { return 1; }
  std::string Lire() override {
    horloge_.Avancer(Horloge::Secondes(10.0 / 9600));
    return "A";
  }
  void AttendreAuMoins(int, Horloge::Instant) override {}

 private:
  HorlogeLigne& horloge_;
};

enum Trace { kSans, kFenetre, kFichier };

// Arguments: the trace (kSans, kFenetre, kFichier), and 0 for characters at the start of a
// burst (bursts of 100 characters after a pause) or 100 000 for characters of one long burst
// after that many.
void BM_CaractereRecu(benchmark::State& etat) {
  HorlogeLigne horloge;
  PortBavard ligne(horloge);
  PortTrace trace(ligne, horloge, "08/12/2026 06:30:00");
  const std::string fichier = "/tmp/zef30-bench-caractere-" + std::to_string(::getpid());
  if (etat.range(0) == kFichier) (void)trace.EcrireDans(fichier);
  std::size_t lignes = 0;
  if (etat.range(0) == kFenetre) {
    trace.Observer(
        [&](const EnregistrementTrace& e, bool) { lignes += FormaterEnregistrement(e).size(); });
  }
  const bool debut = etat.range(1) == 0;
  for (long i = 0; i < etat.range(1); ++i) trace.Lire();
  long n = 0;
  for (auto _ : etat) {
    if (debut && n++ % 100 == 0) horloge.Avancer(60ms);
    benchmark::DoNotOptimize(trace.Lire());
  }
  benchmark::DoNotOptimize(lignes);
  std::remove(fichier.c_str());
}
BENCHMARK(BM_CaractereRecu)
    ->ArgsProduct({{kSans, kFenetre, kFichier}, {0, 100'000}})
    ->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace zef30
