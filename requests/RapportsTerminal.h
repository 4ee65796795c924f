#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/TablesResultats.h"
#include "requests/LigneResultat.h"

namespace zef30 {

// The reports the terminal keeps of its last call to the bank side (tele-collection,
// tele-parameters): one block per acquirer or application, each opened by the same eight lines.
// Everything in them comes from the line: a count that cannot be read counts none and adds no
// line (an unreadable count of blocks gives an empty report, of remittances or tables no record,
// so the next block is still found), an amount that cannot be read says so in its line, and every
// block and record of the counts is printed, its fields empty where it lies beyond the answer.

// The status texts shared by the outcome codes of both calls.

// A count of the report (blocks, remittances, tables): a whole number of decimal digits, blanks
// around it allowed.
std::optional<int> LireCompte(std::string_view champ);

// What a line shows in place of a field that could not be read, with what the terminal sent;
// empty for a field beyond the answer.
std::string Illisible(std::string_view brut);

// Appends the block's own lines after its first eight, and says where the next block begins
// relative to this one.
using SuiteBloc = std::function<long(std::string_view reponse, long o, std::string& texte)>;

// The answer without its closing characters (DLE ETX and the check character), so that a field
// beyond its data reads as empty rather than as the frame's end.
std::string_view DonneesRapport(std::string_view reponse);

// The field at `position` of the answer in the people's encoding.
std::string ChampRapport(std::string_view reponse, long position, long longueur);

// Appends `ligne` and CR LF.
void AjouterLigneRapport(std::string& texte, std::string_view ligne);

// The report text: for each block of the count at positions 10-11, its eight opening lines
// (fields at o + 12 to o + 203), then what `suite` adds; `suite` is handed the answer's data
// (DonneesRapport).
std::string ConstruireRapport(std::string_view reponse, const SuiteBloc& suite);

// The request of a report: TexteTicket emptied, the probe (a failure, shown -600), the exchange of
// `message` by its length field; status "0" and outcome "0" build the report with `construire`
// (0). Otherwise the outcome code "1", "2" or "3" gives 11, 2 or 3 with its text on the status
// line under `contexte` (`incomplet` for "1"), and anything else gives 1.
struct DemandeRapport {
  Message message;  // the request, and the layout of its answer
  Message reponse;
  std::string_view contexte;
  std::string_view incomplet;
  std::function<std::string(std::string_view reponse)> construire;
};
ResultatRequete DemanderRapport(Console& console, const DemandeRapport& demande);

// The handler of a report request: the report (or nothing) shown and logged, then one line:
// `ligneOk`, or `prefixeErreur` followed by the result.
IssueRequete MontrerRapport(Console& console, ResultatRequete (*demander)(Console&),
                            std::string_view ligneOk, std::string_view prefixeErreur);

}  // namespace zef30
