// The summary of a campaign from known records: every figure is the records' own.
#include "headless/ResumeCampagne.h"

#include <gtest/gtest.h>

#include "tests/support/Executions.h"

namespace zef30 {
namespace {

using essai::Execution;

std::string Dire(const ResumeFamille& f) {
  std::string texte = f.famille + "/" + std::to_string(f.ligne) + " " +
                      std::to_string(f.executions) + " " + std::to_string(f.reussies);
  for (const auto& [raison, fois] : f.echecs) texte += " " + std::to_string(fois) + "×" + raison;
  for (const double s : {f.durees.minimum, f.durees.mediane, f.durees.p95, f.durees.maximum})
    texte += " " + std::to_string(static_cast<int>(s * 1000 + 0.5));
  return texte;
}

TEST(ResumeCampagne, EveryFigureComesFromTheRecords) {
  struct Cas {
    std::vector<ExecutionRequete> runs;
    int requetes, reussies;
    std::vector<std::string>
        familles;  // famille/ligne runs successes failures min med p95 max (ms)
  };
  std::vector<ExecutionRequete> vingt;
  for (int ms = 1; ms <= 20; ++ms) vingt.push_back(Execution("switch", 0, ms * 10));
  const Cas cas[] = {
      {{}, 0, 0, {}},
      {{Execution("switch", 0, 40)}, 1, 1, {"switch/0 1 1 40 40 40 40"}},
      // An even count: the median is the mean of the middle two; p95 of 20 is the 19th.
      {vingt, 20, 20, {"switch/0 20 20 10 105 190 200"}},
      {{Execution("validite", 0, 30, "Carte refusée"), Execution("switch", 0, 10),
        Execution("validite", 0, 10, "Carte refusée"),
        Execution("validite", 0, 20, "Pas de réponse")},
       4,
       1,
       {"validite/0 3 0 2×Carte refusée 1×Pas de réponse 10 20 30 30", "switch/0 1 1 10 10 10 10"}},
      // Several lines: each line's families, then the same over all lines.
      {{Execution("switch", 2, 10), Execution("switch", 1, 30),
        Execution("switch", 2, 20, "hors service")},
       3,
       2,
       {"switch/1 1 1 30 30 30 30", "switch/2 2 1 1×hors service 10 15 20 20",
        "switch/0 3 2 1×hors service 10 20 30 30"}},
  };
  for (const Cas& k : cas) {
    const ResumeCampagne r = ResumerCampagne(k.runs);
    EXPECT_EQ(r.requetes, k.requetes);
    EXPECT_EQ(r.reussies, k.reussies);
    std::vector<std::string> familles;
    for (const auto& f : r.familles) familles.push_back(Dire(f));
    EXPECT_EQ(familles, k.familles);
    if (k.runs.empty()) continue;
    const std::string debut = std::to_string(k.requetes) + " requête" +
                              (k.requetes > 1 ? "s" : "") + ", " + std::to_string(k.reussies);
    EXPECT_TRUE(TexteResume(r, std::locale::classic(), true).starts_with(debut));
  }
}

}  // namespace
}  // namespace zef30
