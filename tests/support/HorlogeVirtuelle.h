#pragma once

#include "base/Horloge.h"

namespace zef30::essai {

// Time that passes only when a wait asks it to: a 900 s time-out costs nothing.
class HorlogeVirtuelle final : public Horloge {
 public:
  Instant Maintenant() const override { return maintenant_; }
  void AvancerJusqua(Instant instant) {
    if (instant > maintenant_) maintenant_ = instant;
  }
  void Avancer(double secondes) { maintenant_ = Plus(maintenant_, secondes); }
  // Seconds since the clock was made.
  double Ecoule() const { return std::chrono::duration<double>(maintenant_ - Instant{}).count(); }

 private:
  Instant maintenant_{};
};

}  // namespace zef30::essai

#include <ctime>

#include "base/HorlogeMurale.h"

namespace zef30::essai {

// A wall clock that starts at a chosen moment and moves with the virtual clock.
class HorlogeMuraleVirtuelle final : public HorlogeMurale {
 public:
  HorlogeMuraleVirtuelle(const HorlogeVirtuelle& horloge, std::tm depart)
      : horloge_(horloge), depart_(timegm(&depart)) {}
  std::tm MaintenantLocal() const override {
    const std::time_t t = depart_ + static_cast<std::time_t>(horloge_.Ecoule());
    std::tm moment{};
    gmtime_r(&t, &moment);
    return moment;
  }

 private:
  const HorlogeVirtuelle& horloge_;
  std::time_t depart_;
};

}  // namespace zef30::essai
