#include "base/Horloge.h"

#include <gtest/gtest.h>

namespace zef30 {
namespace {

// A listener waits out what is left of its limit; on a clock that moves only when waited on,
// a remainder smaller than a tick must still move the deadline, or the loop never ends.
TEST(Horloge, EveryPositiveDelayEndsAfterItsStart) {
  const Horloge::Instant depart{std::chrono::nanoseconds(3'124'998)};
  const double limite = 900;
  const Horloge::Instant presque{std::chrono::nanoseconds(900'003'124'997)};
  const double reste =
      limite - std::chrono::duration<double>(presque - depart).count();  // under a nanosecond
  for (const double secondes : {reste, 1e-12, 0.5, 10.0}) {
    EXPECT_GT(Horloge::Plus(presque, Horloge::Secondes(secondes)), presque) << secondes;
  }
  for (const double secondes : {0.0, -1.0}) {
    EXPECT_EQ(Horloge::Plus(presque, Horloge::Secondes(secondes)), presque) << secondes;
  }
  EXPECT_GE(Horloge::Plus(presque, Horloge::Secondes(reste)) - depart, std::chrono::seconds(900));
}

}  // namespace
}  // namespace zef30
