#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zef30::simulateur {

// One step of what the terminal sends once it holds the line.
struct Envoi {
  std::string octets;  // what goes on the line; empty: the terminal keeps silent at this step
  double apres = 0;    // seconds of the terminal's work before it goes
  bool surAck = true;  // waits for the console's ACK before it goes
};

// The terminal's side of an exchange after the console's EOT (or of traffic it starts by
// itself): its ENQ, display frames while the card holder acts, the answer in one or two blocks,
// the closing character... each step waiting for the console's ACK or following at once.
using Deroulement = std::vector<Envoi>;

// The answer frame of `message`, in one block, or in two when it is longer than 252
// characters: block 1 = STX, the first 248 characters, DLE, ETB, check character; block 2 =
// STX, the rest, DLE, ETX, check character, sent on the console's next ACK.
Deroulement BlocsReponse(std::string_view message);

// A display frame: STX, "D", the two lines of the terminal's display (16 characters each, cut
// or padded with blanks), DLE, ETX, check character.
std::string TrameAffichage(std::string_view ligne1, std::string_view ligne2);

// Code, three-digit data length and data: the message of an answer. The second letter of the
// request's code in lower case makes the answer's code ("AA" is answered by "Aa").
std::string MessageReponse(std::string_view codeRequete, std::string_view donnees);

// `texte` cut or padded with blanks to `largeur` characters: the fields of an answer keep their
// places whatever a scenario gives.
std::string AjusterChamp(std::string_view texte, std::size_t largeur);

}  // namespace zef30::simulateur
