#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Resultat.h"

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

// Whether `nom` is one of these options and takes a value.
bool OptionCampagneAvecValeur(const std::string& nom);

// Reads option `nom` into `options`: nothing when it is none of them, otherwise how it was read.
ResultatSiConcerne LireOptionCampagne(OptionsCampagne& options, const std::string& nom,
                                      const std::optional<std::string>& valeur);

// What is wrong with these options together with the others, or an empty text.
std::string VerifierOptionsCampagne(const OptionsCampagne& options, bool sansFenetre);

// What is wrong with the files a run will write besides its data folder (option name and path:
// --trace, --junit, --report), checked before anything is sent: each one's folder is there and
// can be written, what stands at its name (when something does) is a regular file, not a link,
// a pipe or a folder, and no two of them are the same file, nor one of the files `lus` the run
// reads (option and path too). Empty when all is well.
std::string VerifierFichiersSortie(
    const std::vector<std::pair<std::string, std::string>>& fichiers,
    const std::vector<std::pair<std::string, std::string>>& lus = {});

}  // namespace zef30
