#pragma once

#include <string>
#include <string_view>

namespace zef30 {

// The terminal's outcome codes turned into the French texts of the status line. None of them
// fails: a code the tables do not hold gives the empty text.

// The two-character diagnostic of a validity answer, read as a whole number: 0 to 99 gives its
// text ("DIAGNOSTIC OK 00"), other numbers and the gaps of the table give the empty text, and a
// code that is not a whole number comes back as it was sent (in UTF-8), so the line still
// shows what the terminal said.
std::string TraduireDiagnostic(const std::string& code);

// The status character of a validity answer, "0" to "9" and "A" to "F" (whole text, exact case).
std::string TraduireEtatDemVal(const std::string& etat);

// The status character of a registration answer, "0" to "6", "8" and "9" (whole text, exact case).
std::string TraduireEtatDemEnr(const std::string& etat);

// The texts of a tele-collection's result codes that the reports show as well.
inline constexpr const char* kAppelErrone = "appel erroné ou inefficace";
inline constexpr const char* kPasDAppel = "pas d’appel";

// The text of a tele-collection result code, "0" to "3"; the empty text for any other.
std::string TraduireCodeTelecollecte(std::string_view code);

}  // namespace zef30
