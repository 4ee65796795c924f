#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"
#include "base/Texte.h"

namespace zef30 {

// Which way bytes went on the line.
enum class Sens { VersTerminal, VersConsole };

// A pause longer than this ends a burst, and is written in front of the next one.
inline constexpr double kPauseSignaleeMs = 50.0;

// One burst of the line trace: bytes that went the same way without a pause between them.
struct EnregistrementTrace {
  double ms = 0;  // when the burst began, in milliseconds since the trace began (monotonic)
  Sens sens = Sens::VersTerminal;
  std::optional<double> pauseMs;  // the pause before it, when over kPauseSignaleeMs
  std::string octets;
  // One mark per frame that ends in this burst: its code and whether its check character holds.
  std::vector<std::string> trames;
  bool affichage = false;  // one of those frames is a display frame ("D")
  // The same frames in words, when the trace has a decoder.
  std::vector<std::string> decodages;
};

// Names a frame's fields: the frame from its STX to its check character, and which way it went.
// The trace names them from the layouts of the messages (PortTrace::NommerTrames), or with the
// decoder it is handed.
using DecodeurTrace = std::function<std::string(std::string_view trame, Sens sens)>;

// The mark that opens a frame's line in words, under its record: a comment to every reader of
// the records, so that a trace with them reads as one without.
inline constexpr std::string_view kMarqueDecodage = "#= ";

// Bytes as people read them (TexteLisible, NommerControles): base/Texte.h.
// "02 41 41 ..."
std::string EnHexa(std::string_view octets);
// The same, added at the end of `texte` (hexadecimal of earlier bytes, or empty).
void AjouterEnHexa(std::string& texte, std::string_view octets);

// One line, without its line end: time, direction, pause, hex bytes, readable text, frame marks.
// "   1234.567 C>T +2.004s | 02 41 41 30 30 30 10 03 23 | <STX>AA000<DLE><ETX># | [trame AA : LRC
// 23 juste]"
std::string FormaterEnregistrement(const EnregistrementTrace& enregistrement);
// The same line from the record's bytes already written out by EnHexa and TexteLisible: a
// record that grows formats only its new bytes.
std::string FormaterEnregistrement(const EnregistrementTrace& enregistrement, std::string_view hexa,
                                   std::string_view lisible);

// The decoded lines of a record, each after kMarqueDecodage and with its own line end (control
// characters named, so that each stays one line).
std::string FormaterDecodages(const EnregistrementTrace& enregistrement);

// The first line of a trace: the wall-clock moment it began, and how to read the rest.
std::string EnteteTrace(std::string_view debutMural);

// Follows the frames of one direction across bursts: STX ... DLE ETX (or ETB) and the check
// character. Anything between frames is left alone; a frame longer than any the line carries is
// dropped.
class SuiviTrames {
 public:
  // Takes the next bytes; adds one mark per frame they complete, and its words when `decodeur`.
  void Ajouter(std::string_view octets, EnregistrementTrace& enregistrement,
               const DecodeurTrace& decodeur = nullptr);

 private:
  std::string trame_;
  bool dansTrame_ = false;
};

// Reads a trace a line at a time, in order: each line a record, a line that is none (header,
// comments, blank), or a record that cannot be read, named with its line's number. A record's
// moment is a finite number of ms, never negative nor before the record above it.
class LecteurEnregistrements {
 public:
  struct Lecture {
    enum class Nature { Autre, Enregistrement, Illisible } nature = Nature::Autre;
    EnregistrementTrace enregistrement;
    std::string erreur;  // "ligne 12 : enregistrement illisible"
  };
  // The next line, without its line end (a CR before it is dropped).
  Lecture Lire(std::string_view ligne);

 private:
  std::size_t numero_ = 0;
  std::optional<double> dernierMs_;
};

// The bursts of a trace file, in order; lines that are not records (header, comments) are
// skipped; for a record that cannot be read, why, with the line's number.
Resultat<std::vector<EnregistrementTrace>> LireTrace(std::string_view texte);

}  // namespace zef30
