#pragma once

#include <vector>

#include "link/TraceLigne.h"
#include "protocol/DecodeurTrames.h"

namespace zef30 {

// The frames of a trace's records named one record after the other, as a live trace with a
// decoder names them: each direction's frames followed across records, handshake characters told
// to the decoder. `decodeur` must outlive it.
class NommeurTrames {
 public:
  explicit NommeurTrames(DecodeurTrames& decodeur);
  // `e`'s frame marks and words, made anew from its bytes.
  void Nommer(EnregistrementTrace& e);

 private:
  DecodeurTrames& decodeur_;
  DecodeurTrace decodeurTrace_;
  SuiviTrames suivis_[2];
};

// The decoder as the line trace takes it: `decodeur` must outlive the trace.
DecodeurTrace DecodeurPourTrace(DecodeurTrames& decodeur);

// The records of a trace read back, with their frames marked and named as a live trace with a
// decoder writes them (whatever names the file held: a trace of an older console reads too).
std::vector<EnregistrementTrace> NommerTrames(std::vector<EnregistrementTrace> enregistrements,
                                              DecodeurTrames& decodeur);

}  // namespace zef30
