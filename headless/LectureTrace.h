#pragma once

#include <ostream>
#include <string>

#include "link/TraceLigne.h"
#include "requests/DiagrammeSequence.h"

namespace zef30 {

// A recorded line trace read anywhere: --decode tells it frame by frame, --chart draws it. The
// trace is read a line at a time, so memory stays bounded whatever its size, and only when it is
// a regular file (a folder, a pipe, a device are refused at once). A record that cannot be read
// (cut by a full disk, a moment that is not a number, negative or before the one above it) is
// named with its line on `erreurs`, and the rest is still read.

// --decode TRACE: every line of the trace as it stood, each record with its frames in words under
// it (the words it held said anew), so it is a trace still, for --decode, --chart and --replay.
// 0; 1 when a record could not be read; 2 when the file is no trace to read.
int AfficherTraceDecodee(const std::string& chemin, std::ostream& sortie, std::ostream& erreurs);

// --chart TRACE [--from T] [--to T] -o FICHIER.svg: 0; 1 when a record could not be read or the
// picture not written; 2 when the file is no trace to read or --from comes after --to.
int DessinerTrace(const std::string& chemin, const OptionsDiagramme& options,
                  const std::string& fichierSvg, std::ostream& sortie, std::ostream& erreurs);

}  // namespace zef30
