#pragma once

#include <cstdint>

#include "console/Console.h"
#include "console/IssueRequete.h"

namespace zef30 {

// Is a card in the reader, and can the terminal serve it? 0 card present, 1 no card,
// -400 terminal not ready or no valid answer, -403 security, -404 work in progress,
// -405 ZEF30S not available.
std::int16_t DemanderSwitch(Console& console);

// "Demande de switch": one request, one result line.
IssueRequete cmdDemSwi_Click(Console& console);

}  // namespace zef30
