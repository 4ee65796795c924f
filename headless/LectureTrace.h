#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/TraceLigne.h"
#include "requests/DiagrammeSequence.h"

namespace zef30 {

// A recorded line trace read anywhere: --decode tells it frame by frame, --chart draws it.

// The text of --decode: the trace as a console with a decoder writes it, each record with its
// frames in words under it (so it is a trace still, for --replay too).
std::string TexteTraceDecodee(const std::vector<EnregistrementTrace>& enregistrements);

// --decode TRACE: 0, or 1 with the reason on `erreurs`.
int AfficherTraceDecodee(const std::string& chemin, std::ostream& sortie, std::ostream& erreurs);

// --chart TRACE [--from T] [--to T] -o FICHIER.svg: 0, or 1 with the reason on `erreurs`.
int DessinerTrace(const std::string& chemin, const OptionsDiagramme& options,
                  const std::string& fichierSvg, std::ostream& sortie, std::ostream& erreurs);

}  // namespace zef30
