#pragma once

#include <string>
#include <vector>

#include "simulator/CleScenario.h"

namespace zef30::simulateur {

struct Sortie;

// Faults the terminal makes on purpose, to show how the console bears a terminal that
// misbehaves. They apply to the terminal's replies at one step of every request, or at every
// step: step 1 is the reply to the console's probe, 2 to its frame, 3 to its EOT, 4 the answer
// (or the first block or display frame), and so on, one step for each reply until the next probe.
struct Perturbations {
  int etape = 0;            // the step the faults apply to; 0: every step
  std::string bruit;        // bytes sent just before the reply
  std::string apres;        // bytes sent just after the reply
  int morceaux = 0;         // the reply cut into pieces of this many bytes; 0: whole
  double ecart = 0;         // seconds between two pieces
  std::string longueur;     // three characters put in place of a frame's length field
  bool checkFaux = false;   // a frame's check character made wrong
  int naks = 0;             // a storm of that many NAKs in place of the reply
  int affichages = 0;       // display frames sent before the reply
  bool silence = false;     // silence from the step on, until the next probe
  bool raccrocher = false;  // the line hung up in place of the reply
  bool enq = false;         // the terminal's own ENQ just before the reply
};

// Counts the steps of each request and applies the faults to the replies of its step.
class Perturbateur {
 public:
  // The console's probe starts a request: steps count again from 1.
  void NouvelleRequete();
  void Appliquer(std::vector<Sortie>& sorties, const Perturbations& fautes);

 private:
  int etape_ = 0;
  bool muet_ = false;
};

// The scenario keys of the faults ("faute.etape", "faute.bruit"...).
std::vector<CleScenario> ClesPerturbations();

}  // namespace zef30::simulateur
