#pragma once

#include <string>
#include <vector>

#include "base/OptionsDecrites.h"

namespace zef30 {

// Every option of zef30-console, described once: --help and the manual page are made from it.
std::vector<OptionDecrite> OptionsConsoleDecrites();

// The ways to call zef30-console.
Synopsis SynopsisConsole();

// What --help says after the options.
std::string NotesAideConsole();

}  // namespace zef30
