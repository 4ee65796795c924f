#pragma once

#include <cstdint>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// Records the console's price as a payment. Results: 0 registered (with a dossier, also the
// cancellation of a zero amount, status "6"), 1 refused; a failure when nothing was sent
// (terminal not ready, or a field that does not fit its place), which its line shows as -200.

// Against the current dossier; listened to when `ecouter`.
ResultatRequete DemanderEnregistrement(Console& console, bool ecouter);
// Without dossier, in "Mode Vente"; never listened to.
ResultatRequete DemanderEnregistrementSimple(Console& console);

// "Demander enregistrement": against the dossier of Text2 (or the current one), or without
// dossier in "Mode Vente".
IssueRequete cmdDemEnr_Click(Console& console);
// "Demander Annul Dossier": the registration of 0 against the dossier; the price stays 0.
IssueRequete Command3_Click(Console& console);

}  // namespace zef30
