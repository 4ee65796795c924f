#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"

namespace zef30 {

struct MembreJson;

// One JSON value read from a text of unknown origin (a journal's line, a command sent to the
// console). Whatever the text, the value holds no more than the text did.
struct ValeurJson {
  enum class Genre { Nul, Booleen, Nombre, Chaine, Tableau, Objet };
  Genre genre = Genre::Nul;
  bool booleen = false;
  // A string's text in UTF-8, its escapes undone; a number as it was written ("30.5",
  // "1e999"), so that nothing is lost or rounded before someone reads it with its bounds.
  std::string texte;
  std::vector<ValeurJson> elements;  // an array's values, in order
  std::vector<MembreJson> membres;   // an object's members, in order, each name once

  bool Est(Genre g) const { return genre == g; }
  // The member `nom` of an object; nullptr when it has none, or when this is no object.
  const ValeurJson* Membre(std::string_view nom) const;
  // A number written as a whole number (no fraction, no exponent) from `minimum` to `maximum`;
  // nullopt for anything else, however many digits it has.
  std::optional<std::int64_t> Entier(std::int64_t minimum, std::int64_t maximum) const;
  // A number as the nearest double; nullopt beyond the double's range (1e999, 1e-999).
  std::optional<double> Reel() const;
  // A scalar as text: a string's text, a number as written, "true", "false" or "null"; empty
  // for an array or an object.
  std::string Scalaire() const;
};

struct MembreJson {
  std::string nom;
  ValeurJson valeur;
};

// How deep arrays and objects may nest: the outer one counts as 1.
constexpr std::size_t kProfondeurJson = 32;

// The one value `texte` holds, with blanks around it and nothing else, or why it is none: the
// byte (from 1) where the reading stopped and what was expected there. Strings are UTF-8: a
// byte that is not is taken as Windows-1252, as any text of unknown origin is (VersUtf8Valide),
// and a \u escape of half a surrogate pair without its other half as U+FFFD. Refused: a member
// named twice in an object, a control character inside a string, nesting beyond
// `profondeurMaximale`.
Resultat<ValeurJson> LireJson(std::string_view texte,
                              std::size_t profondeurMaximale = kProfondeurJson);

// The members of the object `texte` starts with that were read whole before its first fault:
// what a broken line still says (its command's id). Empty when it starts with no object.
std::vector<MembreJson> MembresAvantFaute(std::string_view texte,
                                          std::size_t profondeurMaximale = kProfondeurJson);

// A text as a JSON string, quotes included, always valid UTF-8 (VersUtf8Valide).
std::string EnChaineJson(std::string_view texte);

}  // namespace zef30
