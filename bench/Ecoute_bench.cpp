// What a listener costs: a maintenance listening on a silent line must sleep in the window's
// wait, against a loop that polls the line and the window's events; a flood of display frames
// at the line's full speed must all be shown, each soon after its last byte; and a terminal
// that never pauses must cost the same at the end as at first, and not keep "Sortie Ecoute"
// from being heard.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/ApplicationQt.h"
#include "bench/TempsProcesseur.h"
#include "console/Poste.h"
#include "headless/FenetreTexte.h"
#include "link/PortPosix.h"
#include "link/PortRelais.h"
#include "link/PortTrace.h"
#include "listening/EcouteMaintenance.h"
#include "protocol/Trame.h"
#include "requests/Validite.h"
#include "simulator/Deroulement.h"
#include "simulator/TerminalSimule.h"
#include "simulator/TraficEcoute.h"
#if __has_include("link/NommeurTrames.h")
#include "link/NommeurTrames.h"
#define ZEF30_BENCH_DECODEUR
#elif __has_include("requests/DecodeurTrames.h")
#include "requests/DecodeurTrames.h"
#define ZEF30_BENCH_DECODEUR
#endif
#if __has_include("window/FenPresentation.h")
#include "window/FenPresentation.h"
#include "window/FenTrace.h"
#else
#include "console/FenPresentation.h"
#include "console/FenTrace.h"
#endif

namespace zef30 {
namespace {

using Montre = std::chrono::steady_clock;

// The port on the line, noting when the console reads the check character of each display
// frame.
class PortChronometre final : public PortRelais {
 public:
  explicit PortChronometre(PortSerie& port) : PortRelais(port) {}
  std::string Lire() override {
    std::string lu = PortRelais::Lire();
    for (const char c : lu) Suivre(c);
    return lu;
  }

  // When the check character of each display frame was read.
  std::vector<Montre::time_point> affichages;

 private:
  void Suivre(char c) {
    if (controle_) {
      controle_ = false;
      if (type_ == 'D') affichages.push_back(Montre::now());
    } else if (c == STX) {
      position_ = 0;
    } else if (position_ >= 0 && ++position_ == 1) {
      type_ = c;
    } else if (c == ETX && precedent_ == DLE) {
      controle_ = true;
      position_ = -1;
    }
    precedent_ = c;
  }

  char precedent_ = 0;
  char type_ = 0;
  int position_ = -1;  // in the frame since its STX; -1 out of a frame
  bool controle_ = false;
};

// The window, noting when each new text of PanelAnnulation is set.
class FenetreChronometree final : public Fenetre {
 public:
  explicit FenetreChronometree(Fenetre& f) : f_(f) {}
  void AjouterLigne(const std::string& l) override { f_.AjouterLigne(l); }
  void AfficherEtat(const std::string& c, const std::string& m) override { f_.AfficherEtat(c, m); }
  std::string LireEtat() const override { return f_.LireEtat(); }
  void AfficherCarte(const std::string& n, const std::string& d) override {
    f_.AfficherCarte(n, d);
  }
  void EffacerCarte() override { f_.EffacerCarte(); }
  std::string LireTexte(ZoneTexte z) const override { return f_.LireTexte(z); }
  void EcrireTexte(ZoneTexte z, const std::string& t) override { f_.EcrireTexte(z, t); }
  void AjouterTexte(ZoneTexte z, const std::string& t) override { f_.AjouterTexte(z, t); }
  bool EcranHoteCoche() const override { return f_.EcranHoteCoche(); }
  bool ModeVenteChoisi() const override { return f_.ModeVenteChoisi(); }
  void RemplirListeDossiers(const std::vector<std::string>& d) override {
    f_.RemplirListeDossiers(d);
  }
  void ViderListeDossiers() override { f_.ViderListeDossiers(); }
  void DefinirLegende(Panneau p, const std::string& t) override {
    f_.DefinirLegende(p, t);
    if (p == Panneau::PanelAnnulation && !t.empty()) affichages.push_back(Montre::now());
  }
  void DefinirVisible(Panneau p, bool v) override { f_.DefinirVisible(p, v); }
  void Rafraichir(Panneau p) override { f_.Rafraichir(p); }
  void DefinirCouleurFond(Panneau p, std::optional<Couleur> c) override {
    f_.DefinirCouleurFond(p, c);
  }
  void PointeurOccupe(bool o) override { f_.PointeurOccupe(o); }
  void BoiteMessage(const std::string& t, const std::string& m) override { f_.BoiteMessage(t, m); }
  void CederAuxEvenements() override { f_.CederAuxEvenements(); }
  void AttendreLigneOuEvenement(PortSerie& p, Horloge::Instant e) override {
    f_.AttendreLigneOuEvenement(p, e);
  }

  std::vector<Montre::time_point> affichages;

 private:
  Fenetre& f_;
};

// The window over a console whose port 1 is the simulated terminal's line.
struct PosteFenetre {
  PosteFenetre() { terminal.Demarrer(); }
  static TablePorts Ligne(simulateur::TerminalSimule& terminal) {
    TablePorts table;
    table.Associer(1, terminal.OuvrirPseudoTerminal().ValeurOu({}));
    return table;
  }
  // Listens for `secondes`, then stops as "Sortie Ecoute" would.
  void Ecouter(double secondes) {
    QTimer::singleShot(static_cast<int>(secondes * 1000), [this] { etat.ArretEcoute = true; });
    etat.ArretEcoute = false;
    EcouterModeMaintenance(console);
  }

  QApplication& application = Application();
  simulateur::TerminalSimule terminal;
  PortPosix posix{Ligne(terminal)};
  PortChronometre chrono{posix};
  HorlogeSysteme horloge;
  FenPresentation qt;
  FenetreChronometree fenetre{qt};
  Poste poste{chrono, horloge, fenetre, "/tmp"};
  EtatConsole& etat = poste.etat;
  Console& console = poste.console;
};

// 10 s of maintenance listening on a silent line, then 3 s of a loop that polls the line and
// the window's events without waiting: processor time per second of each.
void BM_EcouteSurLigneMuette(benchmark::State& etat) {
  PosteFenetre poste;
  for (auto _ : etat) {
    double c0 = TempsProcesseur();
    auto m0 = Montre::now();
    poste.Ecouter(10);
    const double ecoute =
        (TempsProcesseur() - c0) / std::chrono::duration<double>(Montre::now() - m0).count();
    c0 = TempsProcesseur();
    m0 = Montre::now();
    while (Montre::now() - m0 < std::chrono::seconds(3)) {
      benchmark::DoNotOptimize(poste.chrono.NombreEnAttente());
      QCoreApplication::processEvents();
    }
    const double scrutation =
        (TempsProcesseur() - c0) / std::chrono::duration<double>(Montre::now() - m0).count();
    etat.counters["ecoute_cpu_ms_par_s"] = 1000 * ecoute;
    etat.counters["scrutation_cpu_ms_par_s"] = 1000 * scrutation;
    etat.counters["rapport"] = ecoute > 0 ? scrutation / ecoute : 0;
  }
}
BENCHMARK(BM_EcouteSurLigneMuette)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The console as the program assembles it for its window: the line, its trace in front (each
// frame in words for F12's Trace window, which stays closed), the window offscreen and shown.
// The simulated terminal answers a validity request with `trames` display frames back to back
// at 9600 bauds, then its answer. The source builds in a checkout of before the decoder too
// (with link/PortRelais.h copied there), for figures side by side.
struct PostePaiement {
  // `avecFenetre` false: the window's interface is the text front-end's, no Qt window is made.
  PostePaiement(int trames, bool avecFenetre) : fenetre(ChoisirFenetre(avecFenetre)) {
    terminal.AjouterFamille("AK0290", [trames](std::string_view, const simulateur::Scenario&) {
      simulateur::Deroulement d = simulateur::FluxAffichages(trames);
      const simulateur::Deroulement reponse =
          simulateur::BlocsReponse(simulateur::MessageReponse("AK", "1" + std::string(40, '0')));
      d.insert(d.end(), reponse.begin(), reponse.end());
      d.push_back(simulateur::Envoi{simulateur::TrameAffichage("", "")});
      return d;
    });
    terminal.Demarrer();
#ifdef ZEF30_BENCH_DECODEUR
    trace.Decoder(DecodeurPourTrace(decodeur));
#endif
    if (avecFenetre) qt.show();
  }
  Fenetre& ChoisirFenetre(bool avecFenetre) {
    if (avecFenetre) return qt;
    return texte;
  }
  ~PostePaiement() {
    std::error_code ignore;
    std::filesystem::remove_all(dossier, ignore);
  }
  static std::string Dossier() {
    char modele[] = "/tmp/zef30-bench-XXXXXX";
    return mkdtemp(modele) != nullptr ? modele : "/tmp";
  }

  QApplication& application = Application();
  std::string dossier = Dossier();
  simulateur::TerminalSimule terminal;
  PortPosix posix{PosteFenetre::Ligne(terminal)};
  PortChronometre chrono{posix};
  HorlogeSysteme horloge;
  PortTrace trace{chrono, horloge, "bench"};
#ifdef ZEF30_BENCH_DECODEUR
  DecodeurTrames decodeur;
#endif
  FenPresentation qt;
  FenetreTexte texte;
  FenetreChronometree fenetre;
  Poste poste{trace, horloge, fenetre, dossier};
  EtatConsole& etat = poste.etat;
  Console& console = poste.console;
  FenTrace fenTrace{trace};
};

double TempsProcesseurFil() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A validity listened to ("Ecran Hote" ticked) during which the terminal sends display frames
// back to back at 9600 bauds for about 10 s: how many were shown, the time from the console's
// read of a frame's check character on the line to PanelAnnulation's new text (the trace's work
// on the frame is in it), and the console thread's share of a core meanwhile.
void BM_FluxAffichages(benchmark::State& etat) {
  constexpr int kTrames = 259;  // 37 characters of 10 bits each at 9600 bauds: about 10 s
  PostePaiement poste(kTrames, etat.range(0) != 0);
  for (auto _ : etat) {
    poste.chrono.affichages.clear();
    poste.fenetre.affichages.clear();
    const double c0 = TempsProcesseurFil();
    const auto m0 = Montre::now();
    cmdDemVal_Click(poste.console);
    const double part =
        (TempsProcesseurFil() - c0) / std::chrono::duration<double>(Montre::now() - m0).count();
    // Each display frame's text, after its check character.
    const auto& lus = poste.chrono.affichages;
    const auto& vus = poste.fenetre.affichages;
    std::vector<double> delais;
    for (std::size_t i = 0; i < std::min(lus.size(), vus.size()); ++i) {
      delais.push_back(std::chrono::duration<double, std::milli>(vus[i] - lus[i]).count());
    }
    std::sort(delais.begin(), delais.end());
    etat.counters["trames_montrees"] = static_cast<double>(delais.size());
    etat.counters["trames_envoyees"] = kTrames;
    etat.counters["delai_median_ms"] = delais.empty() ? -1 : delais[delais.size() / 2];
    etat.counters["delai_p90_ms"] = delais.empty() ? -1 : delais[delais.size() * 9 / 10];
    etat.counters["delai_max_ms"] = delais.empty() ? -1 : delais.back();
    etat.counters["cpu_console_pct"] = 100 * part;
  }
}
// 1: in the Qt window; 0: through the text front-end's window interface, for what the Qt window
// adds.
BENCHMARK(BM_FluxAffichages)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// 30 s of maintenance listening in the Qt window while the terminal sends "A" without a pause
// at 9600 bauds: the console thread's processor time per second over the first and the last
// 10 s of the stream (the simulated terminal's thread left out), and how long after
// "Sortie Ecoute" the listening gives the window back.
void BM_EcouteSousUnFlot(benchmark::State& etat) {
  const auto TempsProcesseur = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  };
  PosteFenetre poste;
  for (auto _ : etat) {
    double c2 = 0;
    double c12 = 0;
    double c22 = 0;
    double c32 = 0;
    Montre::time_point arret{};
    QTimer::singleShot(1000, [&] {
      poste.terminal.EmettreSpontanement({simulateur::Envoi{std::string(40 * 960, 'A'), 0, false}});
    });
    QTimer::singleShot(2000, [&] { c2 = TempsProcesseur(); });
    QTimer::singleShot(12000, [&] { c12 = TempsProcesseur(); });
    QTimer::singleShot(22000, [&] { c22 = TempsProcesseur(); });
    QTimer::singleShot(32000, [&] {
      c32 = TempsProcesseur();
      arret = Montre::now();
      poste.etat.ArretEcoute = true;
    });
    poste.etat.ArretEcoute = false;
    EcouterModeMaintenance(poste.console);
    const auto rendu = Montre::now();
    etat.counters["cpu_ms_par_s_debut"] = 1000 * (c12 - c2) / 10;
    etat.counters["cpu_ms_par_s_fin"] = 1000 * (c32 - c22) / 10;
    etat.counters["rapport_fin_debut"] = c12 > c2 ? (c32 - c22) / (c12 - c2) : 0;
    etat.counters["arret_ms"] = std::chrono::duration<double, std::milli>(rendu - arret).count();
  }
}
BENCHMARK(BM_EcouteSousUnFlot)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace zef30
