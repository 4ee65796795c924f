// Gathering the lines of a campaign: a line whose process hangs or crashes leaves the others'
// records whole, and the gathering still ends, within its bound.
#include "headless/LignesCampagne.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/Executions.h"

namespace zef30 {
namespace {

enum class Fin { Seule, Pendue, Plantee };

// A process that writes `records` records of line `ligne` on a pipe, then ends as `fin` says.
ProcessusLigne Lancer(int ligne, int records, Fin fin) {
  int tube[2];
  EXPECT_EQ(::pipe(tube), 0);
  ProcessusLigne p{ligne, ::fork(), tube[0]};
  if (p.pid == 0) {
    ::close(tube[0]);
    for (int i = 0; i < records; ++i) {
      const std::string json = EnJson(essai::Execution("switch", 0, 10), nullptr) + "\n";
      if (::write(tube[1], json.data(), json.size()) < 0) ::_exit(1);
    }
    // A summary and a broken line are no records.
    const std::string autre = "{\"resume\":true}\n{\"numero\":";
    if (::write(tube[1], autre.data(), autre.size()) < 0) ::_exit(1);
    if (fin == Fin::Plantee) {
      const rlimit sansCoeur{0, 0};  // a crash, without a core file left behind
      ::setrlimit(RLIMIT_CORE, &sansCoeur);
      std::abort();
    }
    while (fin == Fin::Pendue) ::pause();
    ::_exit(12);
  }
  ::close(tube[1]);
  return p;
}

TEST(LignesCampagne, AHungOrCrashedLineLeavesTheOthersWhole) {
  struct Cas {
    std::vector<std::pair<int, Fin>> lignes;  // records sent, how the process ends
    std::vector<std::string> bilans;          // line: records, how it ended
  };
  const Cas cas[] = {
      {{{3, Fin::Seule}, {2, Fin::Seule}}, {"1: 3 ", "2: 2 "}},
      {{{3, Fin::Seule}, {1, Fin::Pendue}},
       {"1: 3 ", "2: 1 sans nouvelle depuis 0.300 s : arrêtée"}},
      {{{2, Fin::Plantee}, {4, Fin::Seule}, {0, Fin::Pendue}},
       {"1: 2 arrêtée par le signal 6", "2: 4 ", "3: 0 sans nouvelle depuis 0.300 s : arrêtée"}},
  };
  for (const Cas& k : cas) {
    std::vector<ProcessusLigne> processus;
    for (std::size_t i = 0; i < k.lignes.size(); ++i) {
      processus.push_back(Lancer(static_cast<int>(i + 1), k.lignes[i].first, k.lignes[i].second));
    }
    HorlogeSysteme horloge;
    const auto debut = horloge.Maintenant();
    int suivis = 0;
    const auto bilans = RassemblerLignes(processus, horloge, Horloge::Secondes(0.3),
                                         [&](const ExecutionRequete&) { ++suivis; });
    EXPECT_LT(horloge.Maintenant() - debut, std::chrono::seconds(5));
    std::vector<std::string> dits;
    int records = 0;
    for (const auto& b : bilans) {
      dits.push_back(std::to_string(b.ligne) + ": " + std::to_string(b.executions.size()) + " " +
                     b.fin);
      records += static_cast<int>(b.executions.size());
      for (const auto& e : b.executions) EXPECT_EQ(e.ligne, b.ligne);
    }
    EXPECT_EQ(dits, k.bilans);
    EXPECT_EQ(suivis, records);
  }
}

}  // namespace
}  // namespace zef30
