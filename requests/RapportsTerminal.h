#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "console/Console.h"
#include "console/IssueRequete.h"
#include "requests/DispositionsMessages.h"

namespace zef30 {

// The reports the terminal keeps of its last call to the bank side (tele-collection,
// tele-parameters): one block per acquirer or application, each opened by the same eight lines.
// Everything in them comes from the line: a count or amount that cannot be read says so on its
// own line and the report goes on (an unreadable count of remittances or tables counts none, so
// the next block is still found), and a block or record that would begin beyond the answer is
// never read.

// The status texts shared by the outcome codes of both calls.
inline constexpr const char* kAppelErrone = "appel erroné ou inefficace";
inline constexpr const char* kPasDAppel = "pas d’appel";

// A count of the report (blocks, remittances, tables): a whole number of decimal digits, blanks
// around it allowed.
std::optional<int> LireCompte(std::string_view champ);

// What a line shows in place of a field that could not be read, with what the terminal sent.
std::string Illisible(std::string_view brut);

// Appends the block's own lines after its first eight, and says where the next block begins
// relative to this one.
using SuiteBloc = std::function<long(std::string_view reponse, long o, std::string& texte)>;

// Whether position `position` of the answer still holds data (before DLE ETX and the check
// character when the length field says where they stand).
bool DansLaReponse(std::string_view reponse, long position);

// The field at `position` of the answer in the people's encoding.
std::string ChampRapport(std::string_view reponse, long position, long longueur);

// Appends `ligne` and CR LF.
void AjouterLigneRapport(std::string& texte, std::string_view ligne);

// The report text: for each block of the count at positions 10-11, its eight opening lines
// (fields at o + 12 to o + 203), then what `suite` adds.
std::string ConstruireRapport(std::string_view reponse, const SuiteBloc& suite);

// The request of a report: TexteTicket emptied, the probe (-600 when it fails), the exchange of
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
std::int16_t DemanderRapport(Console& console, const DemandeRapport& demande);

// The handler of a report request: the report (or nothing) shown and logged, then one line:
// `ligneOk`, or `prefixeErreur` followed by the result.
IssueRequete MontrerRapport(Console& console, std::int16_t (*demander)(Console&),
                            std::string_view ligneOk, std::string_view prefixeErreur);

}  // namespace zef30
