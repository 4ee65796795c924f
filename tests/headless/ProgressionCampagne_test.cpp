// The live line of a campaign: only on a terminal, at most ten times a second, every line's
// counts, the time a run takes, the time left and the last failure.
#include "headless/ProgressionCampagne.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/Executions.h"

namespace zef30 {
namespace {

TEST(ProgressionCampagne, ShowsEveryLineAtMostTenTimesASecondAndOnlyOnATerminal) {
  struct Cas {
    bool active;
    std::vector<std::pair<double, ExecutionRequete>> runs;  // seconds waited before, the run
    int dessins;                                            // times the line was written
    std::string ligne;                                      // what it says at the end
  };
  const Cas cas[] = {
      {false, {{0, essai::Execution("switch", 0, 20)}}, 0, "1/4 ✓1 ✗0 · 0.020 s/requête"},
      {true,
       {{0, essai::Execution("switch", 1, 20)},
        {0.05, essai::Execution("switch", 2, 40, "Pas de réponse")},
        {0.1, essai::Execution("switch", 1, 30)}},
       2,
       // Cut to 80 columns, the cursor's included.
       "ligne 1 2/4 ✓2 ✗0 · ligne 2 1/4 ✓0 ✗1 · 0.030 s/requête · reste 59.9 s · derni…"},
  };
  for (const Cas& k : cas) {
    HorlogeVirtuelle horloge;
    std::ostringstream sortie;
    const bool duree = k.runs.size() > 1;
    ProgressionCampagne progression(sortie, k.active, horloge, 4,
                                    duree ? std::optional<double>(60) : std::nullopt,
                                    std::locale::classic());
    for (const auto& [attente, run] : k.runs) {
      horloge.Avancer(Horloge::Secondes(attente));
      progression.Noter(run);
    }
    // A result line written on the same terminal wipes the line first.
    FluxSousProgression flux(sortie.rdbuf(), progression);
    std::ostream(&flux) << "[9] switch\n";
    EXPECT_EQ(sortie.str().find("[9]"), sortie.str().size() - 11);
    EXPECT_EQ(sortie.str().rfind("\x1b[K[9]") != std::string::npos, k.active);
    progression.Terminer();
    std::size_t dessins = 0;
    for (std::size_t i = 0; (i = sortie.str().find("\x1b[K", i)) != std::string::npos; ++i)
      ++dessins;
    // Wiped before the result line, and at the end.
    EXPECT_EQ(dessins, k.active ? k.dessins + 2u : 0u);
    EXPECT_EQ(progression.Ligne(), k.ligne);
  }
}

}  // namespace
}  // namespace zef30
