#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Resultat.h"
#include "headless/CommandeSansFenetre.h"

namespace zef30 {

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
