#pragma once

#include <ctime>

namespace zef30 {

// A local moment: its calendar fields to the second, and how far into that second it is.
struct MomentLocal {
  std::tm calendrier{};
  double fraction = 0;  // from 0, up to but not including 1
};

// The local date and time of day that the console shows or writes (log headers, receipt and
// report file names). Time-outs never use it: they run on the monotonic clock of base/Horloge.h.
class HorlogeMurale {
 public:
  virtual ~HorlogeMurale() = default;
  // The local moment to the second, as broken-down calendar fields.
  virtual std::tm MaintenantLocal() const = 0;
  // The same moment with the fraction of its second; a clock of whole seconds gives 0.
  virtual MomentLocal MaintenantPrecis() const { return {MaintenantLocal(), 0.0}; }
};

class HorlogeMuraleSysteme final : public HorlogeMurale {
 public:
  std::tm MaintenantLocal() const override { return MaintenantPrecis().calendrier; }
  MomentLocal MaintenantPrecis() const override {
    timespec maintenant{};
    MomentLocal moment;
    if (clock_gettime(CLOCK_REALTIME, &maintenant) != 0 ||
        localtime_r(&maintenant.tv_sec, &moment.calendrier) == nullptr) {
      return MomentLocal{};
    }
    moment.fraction = static_cast<double>(maintenant.tv_nsec) / 1e9;
    return moment;
  }
};

}  // namespace zef30
