#pragma once

#include "simulator/Familles.h"

namespace zef30::simulateur {

// The payment families, sharing one memory of open dossiers: validity "AK0290" (opens a
// dossier) and "AK0160" (flat amount), registration "AL011" with or without dossier (closes
// it), dossier list "AJ00207" and dossier information "AJ01408".
void AjouterFamillesPaiement(TableFamilles& table);

}  // namespace zef30::simulateur
