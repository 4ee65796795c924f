#pragma once

#include <cstdint>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// The terminal's open dossiers: their numbers, then one dossier's receipt.

// Asks for the list "AJ00207" and walks the terminal's frames of dossier numbers, one per
// application, into DossiersEnCours, emptied first: the "CBEMV" numbers from entry 1, the
// other application's after as many entries as the "CBEMV" count announces, and empty entries
// where the frames hold no number. Returns the number of dossiers the terminal announced, 0
// when it has none, 1 when it refused; a failure when it was not ready (its line shows -700).
ResultatRequete DemanderListeDossiers(Console& console);

// Asks "AJ01408" for the current dossier; 0 found (its receipt in TexteTicket, its card in the
// console state), 1 not found or refused; a failure when nothing was sent.
ResultatRequete DemanderInfoDossier(Console& console);

// "Demander liste dossier": List2 emptied, then one line and one List2 row per dossier announced.
IssueRequete cmdDemConf_Click(Console& console);
// "Demander Info Dossier": the dossier of Text2 (or the current one) and its receipt.
IssueRequete cmdDemAbdn_Click(Console& console);

}  // namespace zef30
