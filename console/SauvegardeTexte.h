#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "console/Fenetre.h"
#include "console/FichiersConsole.h"

namespace zef30 {

// The operator keeps what txtSelection shows (a receipt, a report, a listening trace) in a file:
// the text as shown, UTF-8, every line ended by CR LF. A file that cannot be written leaves a
// result line that says why, and the console runs on.

// `texte` with each line end (CR LF, LF alone or CR alone) written CR LF; nothing else changes.
std::string EnFinsDeLigneCRLF(std::string_view texte);

// The text txtSelection shows, ready for a file; nothing, with a line that says so, when the box
// is empty.
std::optional<std::string> TexteAffichePourFichier(Fenetre& fenetre);

// Puts `octets` into the file the operator chose, in place of what it held: a write that fails
// leaves the old file whole, and a link, a pipe or a device at that path is left as it is. A
// result line says where it went, or why not. True when written.
bool EnregistrerTexteSous(Fenetre& fenetre, const std::string& chemin, const std::string& octets);

// Adds `octets` to the receipt file of the current minute in the program folder, as every
// receipt file is written. A result line says where it went. True when written.
bool EnregistrerTexteEnTicket(Fenetre& fenetre, FichiersConsole& fichiers,
                              const std::string& octets);

}  // namespace zef30
