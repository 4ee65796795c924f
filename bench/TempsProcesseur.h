#pragma once

#include <time.h>

namespace zef30 {

// The processor time this process has used, in seconds: what a benchmark charges a request,
// whatever the machine's other work.
inline double TempsProcesseur() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace zef30
