#pragma once

#include <string>
#include <string_view>

#include "base/Resultat.h"
#include "headless/RequetesScriptees.h"

namespace zef30 {

// One command of a piloted run, read from one JSON object on one line:
//   {"id": 1, "requete": "validite", "entrees": {"prix": 1250, "ecran": "non"},
//    "attendu": ["réussie"], "evenements": true}
//   {"id": 2, "etat": true}      {"id": 3, "arret": true}      {"id": 4, "fin": true}
struct CommandePilote {
  enum class Genre { Requete, Etat, Arret, Fin };
  Genre genre = Genre::Requete;
  // The command's "id" as JSON wrote it (a number or a string, its quotes kept), given back
  // in every answer to it; "null" when it had none.
  std::string id = "null";
  // For a request: its family, its inputs and its expectations, as a script line gives them.
  RequeteScriptee requete;
  // "evenements": true: the display lines, the listening clock and the status line are told
  // while the request runs.
  bool evenements = false;
};

// The command on `ligne`, or why it is none (a broken object, an unknown request or input, an
// expectation that does not read), with the id the line gave when it could be read: the answer
// to a bad line still carries its id ("null" when none could be read).
struct LectureCommande {
  std::string id = "null";
  Resultat<CommandePilote> commande = Invalide("");
};
LectureCommande LireCommandePilote(std::string_view ligne);

}  // namespace zef30
