#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "protocol/Montant.h"
#include "protocol/TablesResultats.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// The report of the last tele-collection from its accepted answer: per acquirer block its eight
// opening lines, "NB REMISE: " and each remittance with its amount in units, a TAB before it
// and the currency after it; lines ended by CR LF.
std::string ConstruireRapportTelecollecte(
    std::string_view reponse, const FormatMontant& format = LireFormatMontantUtilisateur());

// Nothing when the tele-collection answer says that every acquirer tele-collected; otherwise
// the detail of the status line: each acquirer's number and the text of its result code.
std::optional<std::string> JugerTelecollecte(std::string_view reponse);

// Has the terminal tele-collect now, listened to when `afficherHote`: 0 every acquirer OK,
// 1 not OK (each acquirer's outcome on the status line); a failure when the terminal is not ready
// (its result line shows -500). What the terminal sent meanwhile is left in TexteTicket.
ResultatRequete DemanderTelecollecte(Console& console, bool afficherHote);

// The report of the last tele-collection into TexteTicket: 0 built; 11, 2, 3 incomplete,
// erroneous call, no call; 1 refused otherwise; a failure when the terminal is not ready (its
// result line shows -600).
ResultatRequete DemanderTicketTelecollecte(Console& console);

// "Demander télécollecte": what the terminal sent shown and logged, then one line.
IssueRequete cmdDemTC_Click(Console& console);
// "Etat derniere TeleCollecte": the report shown and logged, then one line.
IssueRequete cmdDemTic_Click(Console& console);

}  // namespace zef30
