#pragma once

#include <string>
#include <vector>

#include "console/Console.h"
#include "console/IssueRequete.h"

namespace zef30 {

// The terminal's identity and the state of its four applications: the answer frame as received,
// ERR_MESSAGE when the exchange failed, or "-400" when the terminal was not ready.
std::string DemanderConsultation(Console& console);

// The result lines of a consultation answer (or of whatever stands in its place).
std::vector<std::string> LignesConsultation(const std::string& reponse);

// "Dem consultation": the decoded lines in List1 and the raw answer in txtSelection.
IssueRequete cmdDemConsult_Click(Console& console);

}  // namespace zef30
