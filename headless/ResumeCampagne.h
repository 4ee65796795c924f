#pragma once

#include <locale>
#include <string>
#include <utility>
#include <vector>

#include "headless/ExecutionRequete.h"

namespace zef30 {

// The durations of a set of runs, in seconds: the median is the middle one (the mean of the two
// middle ones for an even count), the 95th percentile the smallest that at least 95 % of the runs
// do not exceed. All 0 for no run.
struct FiguresDurees {
  double minimum = 0;
  double mediane = 0;
  double p95 = 0;
  double maximum = 0;
};
FiguresDurees CalculerFigures(std::vector<double> durees);

// The runs of one request family, on one line or (`ligne` 0) on every line.
struct ResumeFamille {
  std::string famille;
  int ligne = 0;
  int executions = 0;
  int reussies = 0;
  int sautees = 0;  // operator steps passed over: neither a success nor a failure
  // Reason and count, first seen first; beyond 50 reasons, the others as "autres".
  std::vector<std::pair<std::string, int>> echecs;
  FiguresDurees durees;
};

// How a campaign ended, besides what its runs say: stopped before its end, or with runs its
// journal does not hold.
struct FinCampagne {
  bool interrompue = false;
  std::string arret;          // what stopped it: "Ctrl-C", "sortie standard fermée"
  int prevues = 0;            // the runs planned (every line together); 0 when no count was set
  std::string journal;        // the journal's file
  std::string erreurJournal;  // why it stopped taking records; empty when it took them all
  int horsJournal = 0;        // runs the journal's file does not hold
  int perdues = 0;            // runs no report holds, only counted
};

// "1 requête", "2 requêtes" (0 takes the singular too, as French does).
std::string NombreRequetes(int nombre);

// What is said of such an end, a sentence a line ("campagne interrompue après 46 de 500
// (Ctrl-C)"), for runs done in all: empty for a campaign that ran to its end with every run in
// its journal.
std::vector<std::string> PhrasesFin(const FinCampagne& fin, int faites);

struct ResumeCampagne {
  int requetes = 0;
  int reussies = 0;
  int sautees = 0;
  double duree = 0;         // seconds from the first request's start to the last one's end
  std::vector<int> lignes;  // the lines' port numbers, when the runs name them
  // Each family in the order it first ran: per line when there are several lines, then over all
  // of them.
  std::vector<ResumeFamille> familles;
  FinCampagne fin;  // set by whoever knows how the campaign ended
};

// The summary of the runs, read back once for the counts and once a family for its durations.
ResumeCampagne ResumerCampagne(const ParcoursExecutions& executions);
inline ResumeCampagne ResumerCampagne(const std::vector<ExecutionRequete>& executions) {
  return ResumerCampagne(Parcourir(executions));
}

// "N requêtes, R réussies, E en échec, en 3,2 s", then, with `tableau`, a table of the families
// with their failures by reason.
// "12 requêtes, 9 réussies, 1 sautée, 2 en échec": the steps passed over are neither.
std::string CompterIssues(const ResumeCampagne& resume);
std::string TexteResume(const ResumeCampagne& resume, const std::locale& locale, bool tableau);

// The summary as one JSON object on one line ("resume": true tells it from a request's).
std::string JsonResume(const ResumeCampagne& resume);

}  // namespace zef30
