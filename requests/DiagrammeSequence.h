#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/TraceLigne.h"

namespace zef30 {

// The sequence chart of a line trace, as an SVG picture: the console and the terminal as two
// lifelines, time going down to scale (a wait longer than kAttentePlieeMs folded and labelled
// with its length), one arrow per burst labelled with what it carries (ENQ, ACK, NAK in orange,
// EOT, a frame by its decoded name), a wrong check character and a time-out in red, and behind
// the arrows one band per request with the first field of its answer.

inline constexpr double kAttentePlieeMs = 1000;
// A console that speaks again after this long without a word from the terminal waited in vain.
inline constexpr double kTimeOutMs = 1000;

inline constexpr const char* kCouleurNak = "#e67e00";
inline constexpr const char* kCouleurFaute = "#d00000";

struct OptionsDiagramme {
  std::optional<double> depuisMs;  // the records from this moment of the trace on
  std::optional<double> jusquaMs;  // up to this one
};

// What a burst carries, in order: handshake characters by name (ENQ, ACK, NAK, EOT...), frames
// by their decoded name, "…" for other bytes: "ACK + Aa réponse de switch + EOT".
std::string ResumerSalve(const EnregistrementTrace& enregistrement);

// The records of the exchange that record `i` belongs to: from the request that opened it to the
// record before the next request (all of them before the first request).
std::vector<EnregistrementTrace> EchangeDe(const std::vector<EnregistrementTrace>& enregistrements,
                                           std::size_t i);

// `enregistrements`: the records with their frames marked and named (NommerTrames).
std::string DessinerSequence(const std::vector<EnregistrementTrace>& enregistrements,
                             const OptionsDiagramme& options = {});

}  // namespace zef30
