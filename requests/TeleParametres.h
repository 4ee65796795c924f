#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// The state of the last tele-parametering from its accepted answer: per application block its
// eight opening lines, whether it is initialised and active, three lines of its own, then the
// number and version of each parameter table; lines ended by CR LF.
std::string ConstruireRapportTeleParam(std::string_view reponse);

// That report into TexteTicket: 0 built; 11, 2, 3 incomplete, erroneous call, no call;
// 1 refused otherwise; a failure when the terminal is not ready (its result line shows -600).
ResultatRequete DemanderEtatTeleParam(Console& console);

// "Etat dernier TeleParam": the report shown and logged, then one line.
IssueRequete Command4_Click(Console& console);

}  // namespace zef30
