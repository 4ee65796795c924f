#pragma once

#include <string>
#include <vector>

#include "base/OptionsDecrites.h"
#include "base/Resultat.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// What zef30-simulator was asked to do.
struct OptionsSimulateur {
  std::string peripherique;       // --device: a real serial line instead of a pseudo-terminal
  std::string fichierScenario;    // --scenario
  std::string fichierRejeu;       // --replay: a recorded line trace to play instead of a scenario
  bool pausesComprimees = false;  // --compress: the replay's pauses cut short
  bool aide = false;
  bool version = false;
  Scenario scenario;  // the file's keys, then every --key=value of the command line over them
};

// The arguments after the program's name; one line of failure when they make no sense or the
// scenario file cannot be read.
Resultat<OptionsSimulateur> AnalyserLigneCommande(const std::vector<std::string>& arguments);

// Every option of zef30-simulator, described once: --help and the manual page are made from it.
std::vector<OptionDecrite> OptionsSimulateurDecrites();
Synopsis SynopsisSimulateur();

std::string TexteAide();

}  // namespace zef30::simulateur
