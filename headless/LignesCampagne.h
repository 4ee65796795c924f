#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "headless/ExecutionRequete.h"
#include "headless/JournalCampagne.h"

namespace zef30 {

// One line of a campaign run by a process of its own, which writes its records on `fd`, one
// JSON object a line.
struct ProcessusLigne {
  int ligne = 0;
  pid_t pid = -1;
  int fd = -1;
};

// What came of one line.
struct BilanLigne {
  int ligne = 0;
  std::vector<ExecutionRequete> executions;  // empty when they went to a journal
  // Empty when its process ended by itself with a code of a run; otherwise how it ended
  // ("arrêtée par le signal 11", "sans nouvelle depuis 900 s : arrêtée").
  std::string fin;
  bool interrompue = false;  // its process said it was stopped before its end
};

// Reads every line's records as they come, in one loop that never waits on any single line:
// a line that hangs or crashes costs the others nothing. A line whose process says nothing for
// `silenceMaximal` (on `horloge`) is taken as hung: it gets SIGTERM, then SIGKILL, and
// keeps the records it had sent. `suivi` hears of each record as it comes; with a `journal`, the
// records go there instead of into the lines' accounts. Once `arret` turns true, every line
// still running gets SIGINT, once: it ends after its request under way. Returns once every
// process has ended, each descriptor closed.
std::vector<BilanLigne> RassemblerLignes(const std::vector<ProcessusLigne>& processus,
                                         const Horloge& horloge, Horloge::Secondes silenceMaximal,
                                         const std::function<void(const ExecutionRequete&)>& suivi,
                                         JournalCampagne* journal = nullptr,
                                         const std::function<bool()>& arret = {});

// The trace file of line `ligne`: "-ligne-N" before the extension of `trace` ("trace.txt" gives
// "trace-ligne-2.txt"); empty for no trace.
std::string TraceDeLigne(const std::string& trace, int ligne);

}  // namespace zef30
