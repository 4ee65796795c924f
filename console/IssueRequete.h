#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zef30 {

// How a request ended, as the request itself knows it from its own result, never as read back
// from the words it showed: the window shows its line, every account of a run reads the rest.
enum class GenreIssue {
  Reussie,
  Refusee,       // the terminal answered no (a refused card, an error code of its own)
  PasPrete,      // nothing was sent: the terminal was not ready, or an input did not fit
  LignePerdue,   // the line went while the request ran
  DelaiDepasse,  // the terminal's answer never came within the request's limit
};

struct IssueRequete {
  GenreIssue genre = GenreIssue::Reussie;
  std::string ligne;        // its own result line in List1; empty when it adds none
  std::string raison;       // why it did not succeed, when the request knows it better than its
                            // status line says it; empty otherwise
  std::string numeroSerie;  // the terminal's serial number, when the request read it
  // Its listening ended on its time limit rather than on the terminal's end of the exchange.
  bool ecouteSurLimite = false;
  std::optional<int> code;  // its numeric result, when it has one

  bool Reussie() const { return genre == GenreIssue::Reussie; }
};

// The genre as the records write it: "reussie", "refusee", "pas-prete", "ligne-perdue", "delai".
inline const char* NomGenreIssue(GenreIssue genre) {
  switch (genre) {
    case GenreIssue::Reussie:
      return "reussie";
    case GenreIssue::Refusee:
      return "refusee";
    case GenreIssue::PasPrete:
      return "pas-prete";
    case GenreIssue::LignePerdue:
      return "ligne-perdue";
    case GenreIssue::DelaiDepasse:
      return "delai";
  }
  return "refusee";
}

inline std::optional<GenreIssue> LireGenreIssue(std::string_view nom) {
  for (const GenreIssue genre : {GenreIssue::Reussie, GenreIssue::Refusee, GenreIssue::PasPrete,
                                 GenreIssue::LignePerdue, GenreIssue::DelaiDepasse}) {
    if (nom == NomGenreIssue(genre)) return genre;
  }
  return std::nullopt;
}

}  // namespace zef30
