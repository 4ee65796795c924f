#pragma once

#include <locale>
#include <map>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>

#include "base/Horloge.h"
#include "headless/ExecutionRequete.h"

namespace zef30 {

// The live line of a campaign on a terminal: per line, the runs done out of the planned number
// (or the time left), successes and failures so far; the last failure; the time a run takes.
// Written over itself on `sortie` at most ten times a second, and only when `active` (standard
// error is a terminal): a log stays clean.
class ProgressionCampagne {
 public:
  // `prevues`: the runs planned per line, 0 when a duration or a stop ends the campaign;
  // `duree`: the campaign's duration in seconds, when one is given.
  ProgressionCampagne(std::ostream& sortie, bool active, const Horloge& horloge, int prevues,
                      std::optional<double> duree, std::locale locale);

  void Noter(const ExecutionRequete& execution);
  // Wipes the line, so that what comes next starts on a clean one.
  void Terminer();
  // The same, only when the line is shown: before anything else is written on the terminal.
  void Effacer();
  // The line as it would be shown now.
  std::string Ligne() const;

 private:
  struct Compte {
    int faites = 0;
    int reussies = 0;
    double secondes = 0;
  };

  std::ostream& sortie_;
  bool active_;
  const Horloge& horloge_;
  int prevues_;
  std::optional<double> duree_;
  std::locale locale_;
  Horloge::Instant depart_;
  std::optional<Horloge::Instant> montree_;
  bool affichee_ = false;
  std::map<int, Compte> lignes_;
  std::string dernierEchec_;
};

// A stream that wipes the live line before each thing written through it goes on to
// `dessous`: a result line on standard output never runs on after the live line on the same
// terminal row. Its errors (a closed pipe) are `dessous`'s.
class FluxSousProgression : public std::streambuf {
 public:
  FluxSousProgression(std::streambuf* dessous, ProgressionCampagne& progression)
      : dessous_(dessous), progression_(progression) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* octets, std::streamsize n) override;
  int sync() override;

 private:
  std::streambuf* dessous_;
  ProgressionCampagne& progression_;
};

}  // namespace zef30
