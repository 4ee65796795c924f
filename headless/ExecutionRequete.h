#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Horloge.h"
#include "console/IssueRequete.h"

namespace zef30 {

struct Releve;

// One condition of a plan's step as judged: as the plan said it, whether it held, what came.
struct ConditionJugee {
  std::string condition;  // "résultat contient « Carte absente »"
  bool tenue = false;
  std::string obtenu;  // what the request brought of it, in UTF-8
};

// One run of one request in a headless run or a campaign: what every account of it reads (the
// line a request, the summary, the JSON records, JUnit and the HTML report), made once when the
// request ends.
struct ExecutionRequete {
  std::string famille;
  int rang = 0;       // its place in the run, from 1, over every turn of the script
  int ligne = 0;      // the port number of its line in a campaign over several lines, 0 otherwise
  std::string titre;  // what its plan names its step; empty: nothing
  // On the monotonic clock: from the click to the result.
  Horloge::Instant debut{};
  Horloge::Instant fin{};
  // Whether it passed: its request's own outcome, or for a step of a plan with conditions,
  // whether they all held.
  bool reussie = false;
  // How it ended, as its handler said: a lost line or a time-out is never a refusal.
  GenreIssue genre = GenreIssue::Refusee;
  std::string raison;         // why it failed; empty when it succeeded
  std::string ligneResultat;  // its own result line, empty when it shows none
  std::string ligneEtat;      // its last status line that said something
  std::string numeroSerie;    // the terminal's serial number, when it read it
  // Its listening ended on its time limit, not on the terminal's end of the exchange.
  bool ecouteSurLimite = false;
  // Not run: a step for the operator, in a plan run without one (--sans-operateur).
  bool sautee = false;
  std::optional<int> code;  // its numeric result, when it has one
  // What its step expected, judged; empty for a step that expected nothing.
  std::vector<ConditionJugee> conditions;

  double Duree() const { return std::chrono::duration<double>(fin - debut).count(); }
};

// How reports name it: "validite #3", or with its step's title "Refus — validite #3".
std::string NomEtape(const ExecutionRequete& execution);

// The records of a run, given one at a time to the reader, in the order they were made: read
// back from a file that holds them, or from memory. Each call goes through all of them again.
using LecteurExecutions = std::function<void(const ExecutionRequete&)>;
using ParcoursExecutions = std::function<void(const LecteurExecutions&)>;
ParcoursExecutions Parcourir(const std::vector<ExecutionRequete>& executions);

// The record as one JSON object on one line: the fields of the record ("numero" its rank,
// "requete" its family, "issue" how it ended (NomGenreIssue), "debut" and "fin" in seconds of the
// monotonic clock, "serie" and "ecouteSurLimite" when they say something), then, when `releve`
// is given, everything the request showed.
std::string EnJson(const ExecutionRequete& execution, const Releve* releve);

// The record read back from such a line (the other fields are skipped); nullopt for a line that
// is not one (a summary, a broken line).
std::optional<ExecutionRequete> LireExecutionJson(std::string_view ligne);

// Seconds as JSON and XML write them: a dot, to the microsecond (or `decimales`).
std::string SecondesMachine(double secondes, int decimales = 6);

}  // namespace zef30
