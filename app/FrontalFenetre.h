#pragma once

#include <optional>
#include <string>

#include "console/EtatConsole.h"
#include "link/Liaison.h"
#include "link/PortTrace.h"

namespace zef30 {

// The window of zef30-console is a program of its own, zef30-console-fenetre, so that
// zef30-console needs no Qt: a window asked for, it hands over to that program with the same
// arguments. Both programs run main.cpp; each gives these three its own way.

// Called once the command line has been read and a window is wanted, before anything is
// started. zef30-console hands over and comes back only when it cannot, with its exit code; the
// window program goes on (nullopt).
std::optional<int> PasserALaFenetre(char** argv, const std::string& dossierExecutable);

// The folder of zef30-console, which holds its files by default: in the window program, the one
// zef30-console handed over.
std::string DossierProgramme(const std::string& dossierExecutable);

// The window "Test ZEF30" on the assembled console, and F12's Trace window on `trace`, until it
// is closed: the exit code.
int ExecuterFenetreConsole(int& argc, char** argv, const char* programme, EtatConsole& etat,
                           Liaison& liaison, PortTrace& trace, const std::string& dossier);

// How zef30-console tells its window program where it lies.
inline constexpr const char* kVariableDossierProgramme = "ZEF30_DOSSIER_PROGRAMME";

}  // namespace zef30
