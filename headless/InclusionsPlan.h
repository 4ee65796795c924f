#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// The text of the file at a path, or why it cannot be had.
using LecteurFichier = std::function<Resultat<std::string>(const std::string& chemin)>;

// How deep plans may include plans, and how many files one plan may bring in all told: a plan
// that includes another many times over is bounded by its size, not by the product of its levels.
constexpr int kProfondeurInclusions = 8;
constexpr int kInclusionsMax = 256;

// The steps of the plan `texte`, read from `chemin` ("" for one with no file: its includes are
// found from the current folder), each `inclure AUTRE.txt` read by `lire` relative to the plan
// that names it. A plan that includes itself, directly or through others, is refused with the
// chain; so is one deeper than kProfondeurInclusions. A refusal gives the place and the reason,
// before anything is sent.
Resultat<std::vector<RequeteScriptee>> LirePlan(std::string_view texte, const std::string& chemin,
                                                const LecteurFichier& lire);

}  // namespace zef30
