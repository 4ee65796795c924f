#pragma once

#include <string>

#include "base/Horloge.h"
#include "link/PortTrace.h"
#include "window/ExecuteurPlan.h"
#include "window/PilotageServi.h"

namespace zef30 {

// The console in its window: the Qt application, the window "Test ZEF30" on a console starting
// on port `numeroPort` with its files in `dossier`, its link on `trace` (timed by `horloge`)
// waiting in the window's event loop, and F12's Trace window on `trace`; "Exécuter un plan…"
// runs its plans by `executeurPlan`. With `ouvrirPilotage`, a script drives the window too: the
// piloting is opened before the window shows (a refusal is said on standard error, exit code 2),
// and its end ("fin") closes the window with the piloting's exit code. Returns the application's
// exit code once the window is closed.
int ExecuterFenetre(int& argc, char** argv, const char* programme, int numeroPort,
                    const Horloge& horloge, PortTrace& trace, const std::string& dossier,
                    const ExecuteurPlan& executeurPlan, const OuvreurPilotage& ouvrirPilotage = {});

}  // namespace zef30
