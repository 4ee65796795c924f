#pragma once

#include <cstdint>
#include <string>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// Has the card checked on the terminal for the console's price. Results: 0 accepted, 1 refused,
// 2 refused with status "1", "9" or "F" (dossier form only); a failure when nothing was sent
// (terminal not ready, or a field that does not fit its place), which its line shows as -700.

// Dossier form "AK0290": price and the current dossier; on acceptance the card and the receipt.
ResultatRequete DemanderValidite(Console& console, bool ecouter);
// Flat form "AK0160": the price alone; only the outcome is read.
ResultatRequete DemanderValiditeForfait(Console& console, bool ecouter);

// The price of the next payment requests, in cents.
void FixerPrix(EtatConsole& etat, double prix);

// "Demander validité": a new dossier in "Mode Vidéo", a flat amount in "Mode Vente".
IssueRequete cmdDemVal_Click(Console& console);
// "Définir le prix": TextPrix as a whole number of cents from 0 to 99 999 999.
IssueRequete cmdSetPrix_Click(Console& console);

}  // namespace zef30
