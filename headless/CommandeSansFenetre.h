#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/TablePorts.h"

namespace zef30 {

// The options of a headless run that make it a campaign, and how it is told.
struct OptionsCampagne {
  int repetitions = 1;                 // --repeat N: turns of the script; 0 until --for or Ctrl-C
  std::optional<double> duree;         // --for DURÉE, in seconds
  std::vector<int> lignes;             // --lines 1,2,3: port numbers, one process a line
  std::optional<std::string> junit;    // --junit FILE
  std::optional<std::string> rapport;  // --report FILE.html
  std::optional<std::string> depuisJournal;  // --report-from JOURNAL.jsonl
  bool bavard = false;                       // --verbose: the whole story of each request
  bool repetitionsDonnees = false;
};

// What the command line asks of a headless run, as the run reads it.
struct CommandeSansFenetre {
  // Port numbers (1 to 20) mapped to a device; a number left out is the machine's own port.
  std::map<int, std::string> ports;
  bool simulateur = false;
  // --trace: every byte of the line, both ways, appended to this file.
  std::optional<std::string> fichierTrace;
  // --run: the requests' source, as given.
  std::optional<std::string> script;
  bool json = false;
  // --pilote: commands read as JSON lines, one request at a time, answers on standard output.
  bool pilote = false;
  // --pilote-socket CHEMIN: the same on a Unix socket bound there.
  std::optional<std::string> socketPilote;
  // --sans-operateur: a plan's operator steps, and the steps marked for one, are skipped.
  bool sansOperateur = false;
  OptionsCampagne campagne;  // --repeat, --for, --lines, --junit, --report, --verbose

  // The devices behind the port numbers, as `ports` maps them.
  TablePorts Table() const {
    TablePorts table;
    for (const auto& [numero, chemin] : ports) table.Associer(numero, chemin);
    return table;
  }
};

}  // namespace zef30
