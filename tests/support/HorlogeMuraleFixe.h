#pragma once

#include <ctime>

#include "base/HorlogeMurale.h"

namespace zef30 {

// A moment that stays where it was put, so that dated names and headers can be checked exactly.
class HorlogeMuraleFixe final : public HorlogeMurale {
 public:
  // month 1 to 12, day 1 to 31, as written on a calendar.
  HorlogeMuraleFixe(int annee, int mois, int jour, int heure, int minute, int seconde) {
    Fixer(annee, mois, jour, heure, minute, seconde);
  }

  void Fixer(int annee, int mois, int jour, int heure, int minute, int seconde) {
    moment_ = std::tm{};
    moment_.tm_year = annee - 1900;
    moment_.tm_mon = mois - 1;
    moment_.tm_mday = jour;
    moment_.tm_hour = heure;
    moment_.tm_min = minute;
    moment_.tm_sec = seconde;
    moment_.tm_isdst = -1;
    // Fills the day of the week and of the year, which some date formats print.
    std::tm normalise = moment_;
    if (timegm(&normalise) != static_cast<std::time_t>(-1)) {
      moment_.tm_wday = normalise.tm_wday;
      moment_.tm_yday = normalise.tm_yday;
    }
  }

  std::tm MaintenantLocal() const override { return moment_; }

 private:
  std::tm moment_{};
};

}  // namespace zef30
