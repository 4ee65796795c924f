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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/TempsProcesseur.h"
#include "console/FichiersConsole.h"
#include "link/PortPosix.h"
#include "link/Trame.h"
#include "listening/EcouteMaintenance.h"
#include "simulator/TerminalSimule.h"
#include "simulator/TraficEcoute.h"
#include "window/FenPresentation.h"

namespace zef30 {
namespace {

using Montre = std::chrono::steady_clock;

QApplication& Application() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char nom[] = "zef30-bench";
  static char* argv[] = {nom, nullptr};
  static QApplication application(argc, argv);
  return application;
}

// The port on the line, noting when the console reads the check character of each frame.
class PortChronometre final : public PortSerie {
 public:
  explicit PortChronometre(PortSerie& port) : port_(port) {}
  bool Ouvrir(int n, std::string_view p) override { return port_.Ouvrir(n, p); }
  bool EstOuvert() const override { return port_.EstOuvert(); }
  void Fermer() override { port_.Fermer(); }
  std::string DerniereErreur() const override { return port_.DerniereErreur(); }
  bool Essayer(int n) override { return port_.Essayer(n); }
  void DefinirTailleLecture(int taille) override { port_.DefinirTailleLecture(taille); }
  void Ecrire(std::string_view octets) override { port_.Ecrire(octets); }
  int NombreEnAttente() override { return port_.NombreEnAttente(); }
  std::string Lire() override {
    std::string lu = port_.Lire();
    if (precedent_ == ETX && lu.size() == 1) derniersOctets.push_back(Montre::now());
    if (!lu.empty()) precedent_ = lu.back();
    return lu;
  }
  void AttendreAuMoins(int n, Horloge::Instant e) override { port_.AttendreAuMoins(n, e); }
  int Descripteur() const override { return port_.Descripteur(); }

  std::vector<Montre::time_point> derniersOctets;

 private:
  PortSerie& port_;
  char precedent_ = 0;
};

// The window, noting when each new text of PanelAnnulation is set.
class FenetreChronometree final : public Fenetre {
 public:
  explicit FenetreChronometree(FenPresentation& f) : f_(f) {}
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
    if (p == Panneau::PanelAnnulation) affichages.push_back(Montre::now());
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
  FenPresentation& f_;
};

// The window over a console whose port 1 is the simulated terminal's line.
struct PosteFenetre {
  PosteFenetre() { terminal.Demarrer(); }
  static TablePorts Ligne(simulateur::TerminalSimule& terminal) {
    std::string erreur;
    TablePorts table;
    table.Associer(1, terminal.OuvrirPseudoTerminal(erreur));
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
  EtatConsole etat;
  Liaison liaison{chrono, horloge, etat.NumeroPortCom};
  FenPresentation qt;
  FenetreChronometree fenetre{qt};
  FichiersConsole fichiers{"/tmp", fenetre};
  Console console{etat, liaison, fenetre, fichiers};
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

// Display frames at 9600 bauds without pause for about 10 s: how many were shown, and the time
// from the console's read of a frame's last byte to the panel's new text.
void BM_FluxAffichages(benchmark::State& etat) {
  PosteFenetre poste;
  constexpr int kTrames = 259;  // 37 characters of 10 bits each at 9600 bauds: about 10 s
  for (auto _ : etat) {
    QTimer::singleShot(
        2100, [&] { poste.terminal.EmettreSpontanement(simulateur::FluxAffichages(kTrames)); });
    poste.chrono.derniersOctets.clear();
    poste.fenetre.affichages.clear();
    poste.Ecouter(14);
    const auto& lus = poste.chrono.derniersOctets;
    const auto& vus = poste.fenetre.affichages;
    std::vector<double> delais;
    for (std::size_t i = 0; i < std::min(lus.size(), vus.size()); ++i) {
      delais.push_back(std::chrono::duration<double, std::milli>(vus[i] - lus[i]).count());
    }
    std::sort(delais.begin(), delais.end());
    etat.counters["trames_montrees"] = static_cast<double>(vus.size());
    etat.counters["trames_envoyees"] = kTrames;
    etat.counters["delai_median_ms"] = delais.empty() ? -1 : delais[delais.size() / 2];
    etat.counters["delai_max_ms"] = delais.empty() ? -1 : delais.back();
  }
}
BENCHMARK(BM_FluxAffichages)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

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
