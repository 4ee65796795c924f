#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "console/Console.h"
#include "protocol/DispositionsMessages.h"

namespace zef30 {

// What the payment requests (validity, registration, dossiers) share: the fixed-width fields of
// their messages, the dossier field Text2, and the receipt shown after an accepted request.

// Amounts travel as 8 digits of cents, dossier numbers as 12 digits.
inline constexpr int kLargeurPrix = 8;
inline constexpr int kLargeurDossier = 12;
inline constexpr double kPrixMaximal = 99'999'999;
inline constexpr double kDossierMaximal = 999'999'999'999;

// `valeur` as `largeur` zero-padded digits, or nothing when it is not a whole number from 0 to
// the largest that fits: a longer or negative value would shift every field after it.
std::optional<std::string> FormaterChamp(double valeur, int largeur);

// A whole number in plain decimal ("42"), as result lines show a dossier number.
std::string EnDecimal(double valeur);

// What the operator typed as a price or a dossier number: a whole number from 0 to `maximum`, a
// fraction rounded to the nearest (a half to the even neighbour) as the usual conversion does;
// nothing for any other text.
std::optional<double> LireEntierSaisi(std::string_view texte, double maximum);

// The dossier field of a message; nothing when it does not fit, and the status line then says
// so (under `contexte`).
std::optional<std::string> ChampDossier(Console& console, const char* contexte);

// The price and dossier fields of a payment message, ready to be sent.
struct ChampsPaiement {
  std::string prix;
  std::string dossier;
};
// Empties the card and the receipt of the last payment, then makes the price field and, when
// `avecDossier`, the dossier field; nothing when either does not fit (the status line says which).
std::optional<ChampsPaiement> PreparerPaiement(Console& console, const char* contexte,
                                               bool avecDossier);

// The number typed into Text2 ("No Dossier") becomes the current dossier. An empty field keeps
// the current one (the dossier of the last validity request). A text that is not a whole number
// from 0 to 999 999 999 999 (a fraction rounded) changes nothing and returns false, the status
// line saying why under `contexte`: the request is then not sent.
bool LireDossierSaisi(Console& console, const char* contexte);

// After an accepted request: the receipt in txtSelection, the card in its boxes, the receipt
// appended to the log.
void MontrerTicket(Console& console);

// The card number and its validity date (month/year from the answer's year-month), taken from
// an accepted answer into the console state, where the answer's layout puts them.
void ReleverCarte(EtatConsole& etat, std::string_view reponse, const Disposition& disposition);

}  // namespace zef30
