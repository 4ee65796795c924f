// A campaign's records read back from its journal give the very summary and reports the records
// in memory give, whether the journal is the file named or, when that cannot be written, a
// temporary one.
#include "headless/JournalCampagne.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "base/Texte.h"
#include "headless/RapportHtml.h"
#include "headless/RapportJunit.h"
#include "headless/ResumeCampagne.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/Executions.h"

namespace zef30 {
namespace {

using essai::Execution;

// A page's lines, whatever their order: the chart's marks come in the order the records ended.
std::multiset<std::string> Lignes(const std::string& texte) {
  std::multiset<std::string> lignes;
  for (const auto ligne : DecouperLignes(texte)) lignes.emplace(ligne);
  return lignes;
}

TEST(JournalCampagne, ReadBackGivesWhatTheRecordsInMemoryGive) {
  std::vector<ExecutionRequete> soixante;
  for (int i = 0; i < 60; ++i) soixante.push_back(Execution("switch", 0, 5, "refus"));
  for (int i = 0; i < 60; ++i) soixante[i].raison += std::to_string(i);
  const std::string fichier = "journal-essai.jsonl";  // in a folder of each case's own
  struct Cas {
    std::string chemin;
    std::vector<ExecutionRequete> runs;  // in the order they ended
    std::size_t raisons;                 // of the first family
  };
  const Cas cas[] = {
      {fichier, {Execution("switch", 0, 40), Execution("validite", 0, 30, "Carte refusée")}, 0},
      // From two lines, as they end: line 2's switch began first but ends after line 1's.
      {fichier,
       [] {
         auto a = Execution("switch", 2, 3000), b = Execution("consultation", 1, 10, "muet");
         return std::vector{b, a, Execution("switch", 1, 20)};
       }(),
       1},
      {"/nonexistent-zef30/journal.jsonl", {Execution("switch", 0, 7, "hors service")}, 1},
      // Beyond 50 reasons, the others together.
      {fichier, soixante, 51},
  };
  for (const Cas& k : cas) {
    std::vector<ExecutionRequete> parDebut = k.runs;
    std::stable_sort(parDebut.begin(), parDebut.end(),
                     [](const auto& a, const auto& b) { return a.debut < b.debut; });
    essai::DossierTemporaire dossier;
    const std::string chemin = k.chemin.starts_with("/") ? k.chemin : dossier.Fichier(k.chemin);
    JournalCampagne journal(chemin);
    for (const auto& e : k.runs) journal.Ajouter(e);
    const ResumeCampagne lu = ResumerCampagne(journal.Parcours());
    const ResumeCampagne attendu = ResumerCampagne(parDebut);
    EXPECT_EQ(JsonResume(lu), JsonResume(attendu));
    EXPECT_EQ(lu.familles.front().echecs.size(), k.raisons);
    EXPECT_EQ(RapportJunit(journal.Parcours(), "t"), RapportJunit(parDebut, "t"));
    EXPECT_EQ(Lignes(RapportHtml(journal.Parcours(), lu, {})),
              Lignes(RapportHtml(parDebut, attendu, {})));
    EXPECT_EQ(journal.Chemin(), k.chemin.starts_with("/nonexistent") ? "" : chemin);
    // Another campaign of the same second keeps this one's journal and writes its own.
    if (!journal.Chemin().empty()) {
      EXPECT_EQ(JournalCampagne(chemin).Chemin(), dossier.Fichier("journal-essai-2.jsonl"));
    }
    EXPECT_EQ(journal.Nombre(), static_cast<int>(k.runs.size()));
  }
}

}  // namespace
}  // namespace zef30
