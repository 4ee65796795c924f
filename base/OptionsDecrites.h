#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zef30 {

// One option of a program as its user reads it: in --help and in the manual page alike, so that
// the two say the same.
struct OptionDecrite {
  std::string nom;       // "--port"
  std::string argument;  // "N=CHEMIN"; empty for an option that takes none
  std::string texte;     // what it does, in French; "\n" starts a new line
};

// The ways to call a program: one form a call, each written as the lines it is shown on.
using Synopsis = std::vector<std::vector<std::string>>;

// The forms after `entete` ("Usage : ") and the program's name, each form's first line after the
// program, its other lines under it; forms after the first one under the first's program name.
std::string TexteSynopsis(std::string_view entete, std::string_view programme,
                          const Synopsis& synopsis);

// The options as --help lists them: the name and its argument, the text from column 23 in lines
// of 80 columns at most (on a line of its own when the name is too long for its column).
std::string TexteOptions(const std::vector<OptionDecrite>& options);

// The same as a manual page's SYNOPSIS body and OPTIONS body (roff).
std::string SynopsisManuel(std::string_view programme, const Synopsis& synopsis);
std::string OptionsManuel(const std::vector<OptionDecrite>& options);

// A text as roff shows it: backslashes and hyphens escaped, a line that would read as a request
// (a leading dot or quote) protected.
std::string EnRoff(std::string_view texte);

}  // namespace zef30
