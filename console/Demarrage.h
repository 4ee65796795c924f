#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/EtatConsole.h"
#include "link/Liaison.h"
#include "link/PortSerie.h"

namespace zef30 {

// The ports the operator may pick: every number from 1 to 20 that is there and is a serial line,
// as the text shown in the list, its number and the line behind it ("1 — /dev/pts/2 (terminal
// simulé)", "2 — rfc2217://bench-7:4001"; the number alone when the port cannot name its
// line), in increasing order. Each is only tried: no line is
// taken or changed, and the port stays closed. A port that is not there is left out without a word.
std::vector<std::string> RecenserPortsCom(PortSerie& port);
// The port number an entry of that list stands for.
std::optional<int> NumeroEntree(std::string_view entree);

// Start-up of the console below the window: port 1 until the operator picks another, and the
// ports found by the scan for the window's list. The port stays closed until the first request.
std::vector<std::string> DemarrerConsole(EtatConsole& etat, Liaison& liaison, PortSerie& port);

// The operator picked an entry of the port list: it becomes the port the first request opens;
// once a request has opened the port, the link keeps it (Liaison::ChoisirPort). An entry that
// is not a port number (empty, letters, beyond 1..20) changes nothing.
void Combo1_Click(EtatConsole& etat, Liaison& liaison, std::string_view entree);

}  // namespace zef30
