#pragma once

#include <array>
#include <cstddef>
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

// A chart holds at most this many arrows; past it, each request's band stands without its arrows
// and the chart says to narrow it with --from and --to. So many bands at most: a chart of any
// trace stays within a few megabytes.
inline constexpr std::size_t kFlechesMax = 3000;
inline constexpr std::size_t kBandesMax = 2000;

// One exchange: records [debut, fin) of those given, its request at `demande`, from the
// handshake that opened it to the record before the next request.
struct BandeEchange {
  std::size_t debut = 0;
  std::size_t demande = 0;
  std::size_t fin = 0;
  std::string nom;    // the request's decoded name
  std::string issue;  // the first field of its answer; empty without one
  double msDebut = 0;
  double msFin = 0;
};

// Finds the exchanges of records named and given one after the other, keeping only the bands
// (at most `maximum`, the rest counted).
class SuiviEchanges {
 public:
  explicit SuiviEchanges(std::size_t maximum = kBandesMax) : maximum_(maximum) {}
  void Ajouter(const EnregistrementTrace& e);
  // The bands, the last one closed at the last record.
  std::vector<BandeEchange> Finir();
  std::size_t Omises() const { return omises_; }

 private:
  static constexpr std::size_t kGardes = 8;  // the moments of the last records, for a band's start
  void Fermer(std::size_t fin, double msFin);

  std::size_t maximum_;
  std::size_t nombre_ = 0;
  std::optional<BandeEchange> ouverte_;
  std::vector<BandeEchange> bandes_;
  std::size_t omises_ = 0;
  std::size_t poignees_ = 0;  // handshake records just before the next
  bool nakAvant_ = false;     // the record before was the terminal's NAK
  std::array<double, kGardes> derniersMs_{};
};

// The records of the exchange that record `i` belongs to: from the request that opened it to the
// record before the next request (all of them before the first request).
std::vector<EnregistrementTrace> EchangeDe(const std::vector<EnregistrementTrace>& enregistrements,
                                           std::size_t i);

// The chart of records named and given one after the other (NommerTrames, NommeurTrames): only
// what it draws is kept, so memory stays bounded whatever the trace's size.
class DiagrammeEnCours {
 public:
  explicit DiagrammeEnCours(OptionsDiagramme options = {});
  // False once past the end of the window asked: the records after it need not be read.
  bool Ajouter(const EnregistrementTrace& e);
  std::string Finir();

 private:
  OptionsDiagramme options_;
  std::vector<EnregistrementTrace> salves_;
  bool trop_ = false;
  std::size_t nombre_ = 0;
  SuiviEchanges echanges_;
};

// `enregistrements`: the records with their frames marked and named (NommerTrames).
std::string DessinerSequence(const std::vector<EnregistrementTrace>& enregistrements,
                             const OptionsDiagramme& options = {});

}  // namespace zef30
