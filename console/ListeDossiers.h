#pragma once

#include <string>

#include "console/Fenetre.h"

namespace zef30 {

// A click in the dossier list List2: the entry's number goes into Text2 ("No Dossier") as a
// plain decimal whole number, ready for the dossier information request. An entry that is not
// a number leaves Text2 as it was; so does one beyond the 32-bit range, with a word on the
// status line.
void List2_Click(Fenetre& fenetre, const std::string& entree);

}  // namespace zef30
