#pragma once

#include <functional>
#include <vector>

#include "base/Resultat.h"
#include "console/Console.h"

namespace zef30 {

// A piloting the window serves, opened by the program that reads the commands (the window does
// not know their language): the descriptors to watch, what to do when one of them can be read
// (the commands that came, answered, a request run to its end inside; the callback it is given
// is called before each command, when the descriptors to watch may have changed), whether the
// run has ended ("fin") and its exit code.
struct PilotageServi {
  std::function<std::vector<int>()> descripteurs;
  std::function<void(const std::function<void()>& avantCommande)> traiter;
  std::function<bool()> finie;
  std::function<int()> codeSortie;
};

// Opens the piloting on the window's console once the window is up, or says why it cannot.
using OuvreurPilotage = std::function<Resultat<PilotageServi>(Console& console)>;

}  // namespace zef30
