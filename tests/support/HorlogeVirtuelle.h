#pragma once

#include "link/Horloge.h"

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
