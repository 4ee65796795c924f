#pragma once

#include <locale>
#include <map>
#include <optional>
#include <ostream>
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
  std::map<int, Compte> lignes_;
  std::string dernierEchec_;
};

}  // namespace zef30
