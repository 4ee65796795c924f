#pragma once

#include <string>
#include <vector>

#include "base/Resultat.h"
#include "console/Console.h"
#include "console/IssueRequete.h"

namespace zef30 {

// The terminal's identity and the state of its four applications: the answer frame as received,
// or a failure when the terminal was not ready or the exchange failed.
Resultat<std::string> DemanderConsultation(Console& console);

// What stands for a consultation in its lines and in txtSelection: the answer, ERR_MESSAGE when
// the exchange failed, "-400" when the terminal was not ready.
std::string TexteConsultation(const Resultat<std::string>& reponse);

// The result lines of a consultation answer (or of whatever stands in its place).
std::vector<std::string> LignesConsultation(const std::string& reponse);

// "Dem consultation": the decoded lines in List1 and the raw answer in txtSelection.
IssueRequete cmdDemConsult_Click(Console& console);

}  // namespace zef30
