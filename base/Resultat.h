#pragma once

#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace zef30 {

// What callers tell apart when an operation fails.
enum class GenreEchec {
  Systeme,   // the system refused a file, a device or the network
  Invalide,  // a text from the operator, a file or the line that does not read
  Echange,   // the handshake with the terminal failed: no answer to read
  PasPret,   // the terminal did not say it was ready: nothing was sent
};

// A failure: its kind and its words for people (empty when the caller has its own), with the
// system's error number when the system refused, for the boxes that show it.
struct Echec {
  GenreEchec genre = GenreEchec::Invalide;
  std::string texte;
  int numero = 0;
};

inline Echec Invalide(std::string texte) { return {GenreEchec::Invalide, std::move(texte)}; }
inline Echec Systeme(std::string texte, int numero = 0) {
  return {GenreEchec::Systeme, std::move(texte), numero};
}
inline Echec Echange(std::string texte = {}) { return {GenreEchec::Echange, std::move(texte)}; }
inline Echec PasPret() { return {GenreEchec::PasPret, {}}; }

template <class T>
class [[nodiscard]] Resultat;

template <class U>
inline constexpr bool kEstResultat = false;
template <class U>
inline constexpr bool kEstResultat<Resultat<U>> = true;

// What a value of T is made from: neither a failure nor another result, which a Resultat<bool>
// would otherwise take through its explicit test and so read a failure as a value.
template <class U, class T>
concept FaitUnResultat =
    std::is_constructible_v<T, U&&> && !std::is_same_v<std::remove_cvref_t<U>, Echec> &&
    !kEstResultat<std::remove_cvref_t<U>>;

// The one way an operation says how it went: its value, or why there is none.
template <class T>
class [[nodiscard]] Resultat {
 public:
  // Anything that makes a T, a text literal for a text included.
  template <FaitUnResultat<T> U = T>
  Resultat(U&& valeur) : contenu_(std::in_place_index<0>, std::forward<U>(valeur)) {}
  Resultat(Echec echec) : contenu_(std::in_place_index<1>, std::move(echec)) {}

  bool Reussi() const { return contenu_.index() == 0; }
  explicit operator bool() const { return Reussi(); }

  // The value: only after Reussi() said there is one.
  T& operator*() & { return std::get<0>(contenu_); }
  const T& operator*() const& { return std::get<0>(contenu_); }
  T&& operator*() && { return std::get<0>(std::move(contenu_)); }
  T* operator->() { return &std::get<0>(contenu_); }
  const T* operator->() const { return &std::get<0>(contenu_); }
  T ValeurOu(T autre) const& { return Reussi() ? **this : std::move(autre); }

  // The failure: only when Reussi() said there is no value.
  const Echec& Erreur() const& { return std::get<1>(contenu_); }
  Echec&& Erreur() && { return std::get<1>(std::move(contenu_)); }

 private:
  std::variant<T, Echec> contenu_;
};

// For an operation that gives nothing back when it succeeds.
template <>
class [[nodiscard]] Resultat<void> {
 public:
  Resultat() = default;
  Resultat(Echec echec) : echec_(std::move(echec)) {}

  bool Reussi() const { return !echec_.has_value(); }
  explicit operator bool() const { return Reussi(); }

  const Echec& Erreur() const& { return *echec_; }
  Echec&& Erreur() && { return *std::move(echec_); }

 private:
  std::optional<Echec> echec_;
};

// For one reader among several: nothing when what it was given is not its own, otherwise how
// its reading went.
using ResultatSiConcerne = std::optional<Resultat<void>>;

// The words of a failure, or the empty text when it went well: for callers that only tell it.
template <class T>
std::string TexteEchec(const Resultat<T>& resultat) {
  return resultat ? std::string() : resultat.Erreur().texte;
}

}  // namespace zef30
