#pragma once

#include <cstdint>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// Is a card in the reader, and can the terminal serve it? 0 card present, 1 no card, -403
// security, -404 work in progress, -405 ZEF30S not available; a failure when the terminal is not
// ready or gave no valid answer (its result line shows -400 for every failure).
ResultatRequete DemanderSwitch(Console& console);

// The number "Demande de switch" shows for `resultat`.
std::int16_t NumeroSwitch(const ResultatRequete& resultat);

// "Demande de switch": one request, one result line.
IssueRequete cmdDemSwi_Click(Console& console);

}  // namespace zef30
