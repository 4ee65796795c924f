#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "protocol/DispositionsMessages.h"
#include "protocol/Montant.h"

namespace zef30 {

// Names the fields of the frames of a line, in the order the line carried them, from the
// layouts of the console's table. An answer is read by the request it follows (the terminal's
// "Aj" answers five different requests), and an answer in two blocks once its second block
// has come. What it cannot name it says as such: "trame inconnue", a length that does not
// match, a wrong check character, a field that differs from its constant.
class DecodeurTrames {
 public:
  explicit DecodeurTrames(TableDispositions table = DispositionsConsole(),
                          FormatMontant format = LireFormatMontantUtilisateur());

  // `trame`: from its STX to its check character, as it went on the line; `versTerminal`: the
  // console wrote it. One line of words, never empty.
  std::string Decoder(std::string_view trame, bool versTerminal);
  // Handshake characters that went between frames, either way: an ENQ opens a new turn, so a
  // first block still waiting for its second stays alone.
  void Signaler(std::string_view octets);

 private:
  void FinirAttenteBloc();
  // A frame that is not the second block awaited: a whole frame by its own length field, or a
  // message of the terminal's own type; one of exactly the announced second block's size is that
  // block.
  bool TrameAutonome(std::string_view trame) const;
  const Disposition* Choisir(std::string_view texte, bool reponse) const;
  std::string Decrire(const Disposition& disposition, std::string_view texte, long fin) const;

  TableDispositions table_;
  FormatMontant format_;
  std::string demande_;      // the last request the console wrote
  int reponses_ = 0;         // answers since that request
  std::string premierBloc_;  // the first block of an answer whose second is still to come
  bool seul_ = false;        // a first block was left alone, said with the next frame
};

// The name of a frame's layout, without its fields: "Ak réponse de validité".
std::string_view NomDecodage(std::string_view decodage);

}  // namespace zef30
