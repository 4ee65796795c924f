#pragma once

#include <chrono>

namespace zef30 {

// Every time-out of the console is measured on a monotonic clock, so that a change of the
// wall clock or midnight can neither stretch nor cut a wait.
class Horloge {
 public:
  using Instant = std::chrono::steady_clock::time_point;
  using Duree = std::chrono::steady_clock::duration;
  // A delay as the console counts it: seconds, with their fraction.
  using Secondes = std::chrono::duration<double>;

  virtual ~Horloge() = default;
  virtual Instant Maintenant() const = 0;

  // The instant `delai` after `depart` (a negative or zero delay is `depart` itself). Rounded
  // up to the next tick: what is left of a limit, however small, still moves a wait forward, so
  // a loop that waits out the rest of its limit always reaches it.
  static Instant Plus(Instant depart, Secondes delai) {
    if (!(delai.count() > 0)) return depart;
    return depart + std::chrono::ceil<Duree>(delai);
  }
};

class HorlogeSysteme final : public Horloge {
 public:
  Instant Maintenant() const override { return std::chrono::steady_clock::now(); }
};

// Time that passes only when a wait asks it to, for lines that exist only in memory: a 900 s
// time-out costs nothing.
class HorlogeVirtuelle final : public Horloge {
 public:
  Instant Maintenant() const override { return maintenant_; }
  void AvancerJusqua(Instant instant) {
    if (instant > maintenant_) maintenant_ = instant;
  }
  void Avancer(Secondes delai) { maintenant_ = Plus(maintenant_, delai); }
  // Seconds since the clock was made.
  double Ecoule() const { return std::chrono::duration<double>(maintenant_ - Instant{}).count(); }

 private:
  Instant maintenant_{};
};

}  // namespace zef30
