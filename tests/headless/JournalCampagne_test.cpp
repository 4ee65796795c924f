// A campaign's records read back from its journal give the very summary and reports the records
// in memory give, whether the journal is the file named or, when that cannot be written, a
// temporary one.
#include "headless/JournalCampagne.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>

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
    // A folder that cannot take it: a temporary file of its own, said.
    EXPECT_EQ(journal.Temporaire(), k.chemin.starts_with("/nonexistent"));
    if (journal.Temporaire()) {
      EXPECT_NE(journal.Chemin().find("zef30-campagne-"), std::string::npos);
      std::remove(journal.Chemin().c_str());
    } else {
      EXPECT_EQ(journal.Chemin(), chemin);
      // Another campaign of the same second keeps this one's journal and writes its own.
      EXPECT_EQ(JournalCampagne(chemin).Chemin(), dossier.Fichier("journal-essai-2.jsonl"));
      // Kept, it gives the same reports again (--report-from).
      const auto relu = LireJournal(chemin);
      ASSERT_TRUE(relu) << TexteEchec(relu);
      EXPECT_EQ(RapportJunit(*relu, "t"), RapportJunit(parDebut, "t"));
    }
    EXPECT_EQ(journal.Nombre(), static_cast<int>(k.runs.size()));
  }
}

// Every line of the file at `chemin` is a whole record; their count.
// The whole records of the journal at `chemin`, or -1 when a line is not one. A kill can cut the
// write of the last record between two pages (the kernel stops a write for a fatal signal), so
// with `coupeeAlaFin` a last piece without its line end is the record the kill cut: the next
// writer starts on a line of its own.
int RecordsEntiers(const std::string& chemin, bool coupeeAlaFin = false) {
  std::ifstream fichier(chemin, std::ios::binary);
  const std::string contenu{std::istreambuf_iterator<char>(fichier), {}};
  int entiers = 0;
  std::size_t debut = 0;
  while (debut < contenu.size()) {
    const std::size_t fin = contenu.find('\n', debut);
    if (fin == std::string::npos && coupeeAlaFin) break;
    const std::size_t bout = fin == std::string::npos ? contenu.size() : fin;
    if (!LireExecutionJson(std::string_view(contenu).substr(debut, bout - debut))) return -1;
    ++entiers;
    debut = bout + 1;
  }
  return entiers;
}

// Writes 40 runs to a journal at `chemin` under a file size limit of `limite` bytes, and gives 0
// when it was told `dit`, every run is counted and read back, the file holding whole records
// only and some runs not. (Under the limit, nothing it would say on stderr could get out.)
int EcrireSousLimite(const std::string& chemin, rlim_t limite, const std::string& dit) {
  const rlimit bornes{limite, limite};
  ::setrlimit(RLIMIT_FSIZE, &bornes);
  std::signal(SIGXFSZ, SIG_IGN);
  std::ostringstream erreurs;
  JournalCampagne journal(chemin, &erreurs);
  for (int i = 0; i < 40; ++i) journal.Ajouter(Execution("switch", 0, 5));
  int lues = 0;
  journal.Parcours()([&](const ExecutionRequete&) { ++lues; });
  const int dansLeFichier = RecordsEntiers(chemin);
  const bool bon = erreurs.str().find(dit) != std::string::npos && journal.Nombre() == 40 &&
                   lues == 40 && dansLeFichier >= 0 &&
                   dansLeFichier + journal.HorsFichier() == 40 && journal.HorsFichier() > 0 &&
                   journal.Perdues() == 0;
  return bon ? 0 : 1;
}

// A file that takes no more (a size limit here, a full disk elsewhere: the same failed write)
// loses no run: the failure is said at once, the file keeps whole records only, and the reports
// still hold every run and say how many the file lacks.
TEST(JournalCampagne, AFileThatTakesNoMoreLosesNoRunAndSaysSo) {
  struct Cas {
    rlim_t limite;  // RLIMIT_FSIZE of the process writing, in bytes
    const char* dit;
  };
  const Cas cas[] = {
      // Some records in, then one cut and taken back.
      {1500, "écriture impossible : fichier trop grand"},
      // Not one.
      {0, "écriture impossible : fichier trop grand"},
  };
  for (const Cas& k : cas) {
    essai::DossierTemporaire dossier;
    const std::string chemin = dossier.Fichier("j.jsonl");
    // In a process of its own, whose size limit nothing else shares.
    EXPECT_EXIT(std::_Exit(EcrireSousLimite(chemin, k.limite, k.dit)), ::testing::ExitedWithCode(0),
                "");
  }
}

// Killed at any moment, the campaign's journal holds whole records only.
TEST(JournalCampagne, AKilledCampaignLeavesWholeRecords) {
  for (const int signal : {SIGTERM, SIGKILL}) {
    essai::DossierTemporaire dossier;
    const std::string chemin = dossier.Fichier("j.jsonl");
    int tube[2];
    ASSERT_EQ(::pipe(tube), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(tube[0]);
      JournalCampagne journal(chemin);
      ExecutionRequete e = Execution("validite", 0, 5, "Carte refusée");
      e.ligneResultat = std::string(3000, 'x');  // records that cross the 4 KiB of a buffer
      for (int i = 0;; ++i) {
        journal.Ajouter(e);
        if (i == 20 && ::write(tube[1], "p", 1) != 1) std::_Exit(2);
      }
    }
    ::close(tube[1]);
    char pret = 0;
    pollfd attente{tube[0], POLLIN, 0};
    ASSERT_EQ(::poll(&attente, 1, 10000), 1);
    ASSERT_EQ(::read(tube[0], &pret, 1), 1);
    ::kill(pid, signal);
    ::waitpid(pid, nullptr, 0);
    ::close(tube[0]);
    EXPECT_GT(RecordsEntiers(chemin, true), 20) << signal;
  }
}

}  // namespace
}  // namespace zef30
