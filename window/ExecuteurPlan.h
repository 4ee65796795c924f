#pragma once

#include <functional>
#include <string>

#include "console/Console.h"

namespace zef30 {

// What runs a plan read from the file `chemin` on `console`, given to the window by the program
// that reads and judges plans: each step's verdict line and the summary go to `dire`;
// `demander` is asked at each operator step, false ending the plan.
using ExecuteurPlan = std::function<void(Console& console, const std::string& chemin,
                                         const std::function<void(const std::string&)>& dire,
                                         const std::function<bool(const std::string&)>& demander)>;

}  // namespace zef30
