#pragma once

#include <ctime>

namespace zef30 {

// The local date and time of day that the console shows or writes (log headers, receipt file
// names). Time-outs never use it: they run on the monotonic clock of base/Horloge.h.
class HorlogeMurale {
 public:
  virtual ~HorlogeMurale() = default;
  // The local moment to the second, as broken-down calendar fields.
  virtual std::tm MaintenantLocal() const = 0;
};

class HorlogeMuraleSysteme final : public HorlogeMurale {
 public:
  std::tm MaintenantLocal() const override {
    const std::time_t maintenant = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&maintenant, &local) == nullptr) local = std::tm{};
    return local;
  }
};

}  // namespace zef30
