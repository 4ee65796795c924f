// A piloted window's stop: from "arret" written by the script to the listening's record read
// back, the window running the listening as a click would and reading its socket in its event
// loop.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/PilotageEnFenetre.h"
#include "bench/ApplicationQt.h"
#include "console/Poste.h"
#include "link/PortPosix.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/LignesPilote.h"
#include "window/FenPresentation.h"
#include "window/PilotageFenetre.h"
#include "window/PortFenetre.h"

namespace zef30 {
namespace {

double TempsMur() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The window program's console on the simulated terminal, served on a socket in a folder of its
// own, as main assembles it.
struct FenetrePilotee {
  FenetrePilotee() {
    terminal.Demarrer();
    fenetre.AttacherConsole(poste.console);
    fenetre.AttacherLigne(ligneFenetre);
    fenetre.Form_Load(posix);
    auto servi =
        OuvrirPilotageEnFenetre(socket, dossier, MaintenantMural(), nullptr)(poste.console);
    if (servi) pilotage.emplace(fenetre, std::move(*servi), [](int) {});
  }
  ~FenetrePilotee() {
    pilotage.reset();
    std::error_code ignore;
    std::filesystem::remove_all(dossier, ignore);
  }
  static std::string Dossier() {
    std::string modele = (std::filesystem::temp_directory_path() / "zef30-bench-XXXXXX").string();
    return ::mkdtemp(modele.data()) != nullptr ? modele : std::string();
  }
  static TablePorts Ligne(simulateur::TerminalSimule& terminal) {
    TablePorts table;
    table.Associer(1, terminal.OuvrirPseudoTerminal().ValeurOu({}));
    return table;
  }

  QApplication& application = Application();
  std::string dossier = Dossier();
  std::string socket = dossier + "/pilote.sock";
  simulateur::TerminalSimule terminal;
  PortPosix posix{Ligne(terminal)};
  HorlogeSysteme horloge;
  FenPresentation fenetre;
  PortFenetre ligneFenetre{posix, fenetre};
  Poste poste{ligneFenetre, horloge, fenetre, dossier};
  std::optional<PilotageFenetre> pilotage;
};

// 20 stops: the script, on a thread of its own as a script's process would be, starts a
// maintenance listening, sees it run through "etat", and stops it; this thread is the window's.
void BM_ArretPiloteEnFenetre(benchmark::State& etat) {
  FenetrePilotee fenetre;
  const int fd = fenetre.pilotage ? essai::Connecter(fenetre.socket) : -1;
  if (fd < 0) {
    etat.SkipWithError("pas de socket");
    return;
  }
  for (auto _ : etat) {
    std::vector<double> ms;
    std::atomic<bool> fini = false;
    std::thread script([&] {
      essai::ClientPilote client(fd);
      for (int arret = 0; arret < 20; ++arret) {
        client.Envoyer(R"({"id":"m","requete":"maintenance"})");
        if (!client.AttendreEcoute(10'000)) break;
        const double debut = TempsMur();
        client.Envoyer(R"({"id":"a","arret":true})");
        if (client.Attendre(R"({"id":"m","numero")", 10'000).empty()) break;
        ms.push_back(1000 * (TempsMur() - debut));
      }
      client.Envoyer(R"({"id":"fin","fin":true})");
      fini = true;
    });
    while (!fini) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    script.join();
    if (ms.size() < 20) {
      etat.SkipWithError("une écoute n’a pas démarré ou pas fini");
      break;
    }
    std::sort(ms.begin(), ms.end());
    etat.counters["median_ms"] = ms[ms.size() / 2];
    etat.counters["max_ms"] = ms.back();
  }
  ::close(fd);
}
BENCHMARK(BM_ArretPiloteEnFenetre)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zef30
