#pragma once

#include <string>

#include "console/EtatConsole.h"
#include "link/Liaison.h"
#include "link/PortTrace.h"

namespace zef30 {

// The console in its window: the Qt application, the window "Test ZEF30" on `etat` and
// `liaison` with the console's files in `dossier`, and F12's Trace window on `trace`. Returns the
// application's exit code once the window is closed.
int ExecuterFenetre(int& argc, char** argv, const char* programme, EtatConsole& etat,
                    Liaison& liaison, PortTrace& trace, const std::string& dossier);

}  // namespace zef30
