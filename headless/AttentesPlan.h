#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"
#include "headless/ExecutionRequete.h"

namespace zef30 {

struct Releve;

// What a step of a plan expects of its request, one condition of those after "=>".
struct Condition {
  enum class Sujet {
    Issue,     // "réussie" (`nombre` 1) or "échec" (0): the request's own outcome
    Resultat,  // its result line
    Etat,      // its status line at its end
    Ticket,    // the receipts and reports it put in txtSelection
    Duree,     // seconds from the click to the result
    Code,      // its numeric result
  };
  enum class Comparaison { Egal, Contient, Inferieur, Superieur };
  Sujet sujet = Sujet::Issue;
  Comparaison comparaison = Comparaison::Egal;
  std::string texte;  // for a text, in UTF-8
  double nombre = 0;  // for a duration (seconds), a code, an outcome
  std::string ecrit;  // as reports say it: "résultat contient « Carte absente »"
};

// The conditions after "=>": one or more, separated by " ; ", a text in double quotes; for
// anything else, the word that cannot be read.
Resultat<std::vector<Condition>> LireAttentes(std::string_view texte);

// Each condition judged against what the request brought, in their order.
std::vector<ConditionJugee> JugerAttentes(const std::vector<Condition>& attentes,
                                          const ExecutionRequete& execution, const Releve& releve);

// A step with expectations passes when every one holds, whatever its request's own outcome (kept
// in its `genre`), and its reason says then what was expected and what came. A step without any
// is left as its request ended.
void JugerEtape(ExecutionRequete& execution, const std::vector<Condition>& attentes,
                const Releve& releve);

// "attendu : résultat contient « Carte absente » ; obtenu : « Demande de Switch = Carte
// présente »" for each condition that did not hold, separated by " — ".
std::string DireEcarts(const std::vector<ConditionJugee>& conditions);

// Every condition, one a line: "✓ réussie", "✗ résultat contient « Carte absente » — obtenu :
// « Demande de Switch = Carte présente »".
std::string DireConditions(const std::vector<ConditionJugee>& conditions);

}  // namespace zef30
