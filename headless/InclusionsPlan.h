#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "headless/RequetesScriptees.h"

namespace zef30 {

// The text of the file at a path, or nullopt with why in `erreur`.
using LecteurFichier =
    std::function<std::optional<std::string>(const std::string& chemin, std::string& erreur)>;

// How deep plans may include plans, and how many files one plan may bring in all told: a plan
// that includes another many times over is bounded by its size, not by the product of its levels.
constexpr int kProfondeurInclusions = 8;
constexpr int kInclusionsMax = 256;

// The steps of the plan `texte`, read from `chemin` ("" for one with no file: its includes are
// found from the current folder), each `inclure AUTRE.txt` read by `lire` relative to the plan
// that names it. A plan that includes itself, directly or through others, is refused with the
// chain; so is one deeper than kProfondeurInclusions. nullopt, with the place and the reason in
// `erreur`, before anything is sent.
std::optional<std::vector<RequeteScriptee>> LirePlan(std::string_view texte,
                                                     const std::string& chemin,
                                                     const LecteurFichier& lire,
                                                     std::string& erreur);

}  // namespace zef30
