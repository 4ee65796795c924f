#pragma once

#include "base/Horloge.h"

namespace zef30::essai {

// The virtual clock of the lines in memory, which the tests share with their scripted port.
using zef30::HorlogeVirtuelle;

}  // namespace zef30::essai

#include <ctime>

#include "base/HorlogeMurale.h"

namespace zef30::essai {

// A wall clock that starts at a chosen moment and moves with the virtual clock.
class HorlogeMuraleVirtuelle final : public HorlogeMurale {
 public:
  HorlogeMuraleVirtuelle(const HorlogeVirtuelle& horloge, std::tm depart)
      : horloge_(horloge), depart_(timegm(&depart)) {}
  std::tm MaintenantLocal() const override { return MaintenantPrecis().calendrier; }
  MomentLocal MaintenantPrecis() const override {
    const double ecoule = horloge_.Ecoule();
    const std::time_t t = depart_ + static_cast<std::time_t>(ecoule);
    MomentLocal moment;
    gmtime_r(&t, &moment.calendrier);
    moment.fraction = ecoule - static_cast<double>(static_cast<std::time_t>(ecoule));
    return moment;
  }

 private:
  const HorlogeVirtuelle& horloge_;
  std::time_t depart_;
};

}  // namespace zef30::essai
