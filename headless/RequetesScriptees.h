#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "console/Console.h"
#include "console/Gestionnaires.h"
#include "headless/ExecutionRequete.h"
#include "headless/FenetreTexte.h"

namespace zef30 {

// One request family as a scripted run knows it: the name a script gives it, how its success
// is told from what it showed, and the console's button for the same request with its click
// handler (BoutonsConsole()). A new family is one more row of FamillesScriptees().
struct FamilleScriptee {
  const char* nom;
  // The result line that says the request succeeded; empty when `reussie` tells instead.
  const char* ligneSucces;
  bool (*reussie)(const Releve&) = nullptr;
  // A listening that only the operator ends: seconds after which a run clicks "Sortie Ecoute"
  // when the script gives no `duree`; 0 for the others.
  double dureeEcoute = 0;
  const char* bouton = nullptr;
  Gestionnaire gestionnaire = nullptr;
};

const std::vector<FamilleScriptee>& FamillesScriptees();
const FamilleScriptee* TrouverFamille(std::string_view nom);

// One request of a script, with the inputs the operator would have given the window first.
struct RequeteScriptee {
  std::string famille;
  std::optional<std::string> prix;     // TextPrix, then "Définir le prix" when the console has it
  std::optional<std::string> dossier;  // Text2
  std::optional<bool> ecranHote;       // Check1 "Ecran Hote"
  std::optional<bool> modeVente;       // Option1 "Mode Vente" (false: "Mode Vidéo")
  std::optional<double> duree;         // seconds before "Sortie Ecoute" is clicked
};

// A script: the lines of a file ("validite prix=1250 dossier=12 ecran=oui mode=video",
// "maintenance duree=30", blank lines and # comments skipped), or, when `texte` holds no line end,
// names separated by commas. nullopt, with the place and the reason in `erreur`, for an unknown
// family or input.
std::optional<std::vector<RequeteScriptee>> LireScript(std::string_view texte, std::string& erreur);

// Gives the window the request's inputs, as the operator would type and tick them.
void AppliquerEntrees(Console& console, FenetreTexte& fenetre, const RequeteScriptee& requete);

// Whether what a request of `famille` showed is its success.
bool EstReussie(const FamilleScriptee& famille, const Releve& releve);

// One request run as the operator would: its inputs, its click and, for a listening, the click on
// "Sortie Ecoute" after its `duree`. Its record (rank 0: the caller numbers it) and what it showed.
struct RequeteFaite {
  ExecutionRequete execution;
  Releve releve;
};
RequeteFaite ExecuterRequete(Console& console, FenetreTexte& fenetre,
                             const RequeteScriptee& requete, const FamilleScriptee& famille);

// The last status line that said something; empty when none did.
std::string DernierEtat(const Releve& releve);
// What tells the operator why a request failed: its last status, or its last line.
std::string Raison(const Releve& releve);

// Runs the requests in order, printing each one's name and outcome (text), or one JSON object a
// line per request (`json`). Returns 0 when every request succeeded, otherwise 10 + the position
// of the first that did not (at most 250); `erreurs` names it.
int ExecuterScript(Console& console, FenetreTexte& fenetre,
                   const std::vector<RequeteScriptee>& requetes, bool json, std::ostream& sortie,
                   std::ostream& erreurs);

}  // namespace zef30
