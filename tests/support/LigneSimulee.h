#pragma once

#include <gtest/gtest.h>

#include <string>

#include "link/TablePorts.h"
#include "simulator/TerminalSimule.h"

namespace zef30::essai {

// The simulated terminal on a pseudo-terminal of its own, playing on its thread: its path, or
// empty (the test that asked fails).
inline std::string OuvrirLigne(simulateur::TerminalSimule& terminal) {
  const auto ouvert = terminal.OuvrirPseudoTerminal();
  std::string chemin = ouvert.ValeurOu({});
  EXPECT_FALSE(chemin.empty()) << TexteEchec(ouvert);
  terminal.Demarrer();
  return chemin;
}

// Port 1 is the line at `chemin`.
inline TablePorts PortUnVers(const std::string& chemin) {
  TablePorts table;
  table.Associer(1, chemin);
  return table;
}

}  // namespace zef30::essai
