#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"
#include "console/Console.h"
#include "console/Gestionnaires.h"
#include "headless/AttentesPlan.h"
#include "headless/ExecutionRequete.h"
#include "headless/FenetreTexte.h"
#include "requests/BoutonsConsole.h"

namespace zef30 {

// One request of a script, with the inputs the operator would have given the window first.
struct RequeteScriptee {
  std::string famille;
  std::optional<std::string> prix;     // TextPrix, then "Définir le prix" when the console has it
  std::optional<std::string> dossier;  // Text2
  std::optional<bool> ecranHote;       // Check1 "Ecran Hote"
  std::optional<bool> modeVente;       // Option1 "Mode Vente" (false: "Mode Vidéo")
  std::optional<Horloge::Secondes> duree;  // before "Sortie Ecoute" is clicked
  std::vector<Condition> attentes;         // after "=>": what its step expects; none, as it ends
  std::string titre;                       // of the comment that names its step; empty: none
  // `opérateur "TEXTE"`: no request, but what a person at the terminal must do before the next.
  std::optional<std::string> operateur;
  bool pourOperateur = false;  // under a "# opérateur" comment: it needs that person too
};

// The steps of a plan that `inclure CHEMIN` brings in, its path as written, or why they cannot
// be had.
using LecteurInclusion = std::function<Resultat<std::vector<RequeteScriptee>>(std::string_view)>;

// A script: the lines of a file ("validite prix=1250 dossier=12 ecran=oui mode=video",
// "maintenance duree=30", blank lines and # comments skipped, each perhaps followed by "=>" and
// its step's conditions), or, when `texte` holds no line end,
// names separated by commas. In lines, `inclure CHEMIN` puts the steps `inclure` gives there
// (refused when none is given). For an unknown family or input, the place and the reason.
Resultat<std::vector<RequeteScriptee>> LireScript(std::string_view texte,
                                                  const LecteurInclusion& inclure = {});

// A request of the family `famille` (as BoutonDeFamille knows it) with no input yet, or why
// there is none: the families known.
Resultat<RequeteScriptee> CommencerRequete(std::string_view famille);
// One input of `requete`, "cle=valeur" in a script, checked as the window would check it before
// anything is sent: `cle` one of prix, dossier, ecran, mode, duree, `valeur` nullopt for an
// input written without one. Why it does not read, quoting the input as `ecrit`.
Resultat<void> LireEntree(RequeteScriptee& requete, std::string_view cle,
                          std::optional<std::string_view> valeur, std::string_view ecrit);

// Gives the window the request's inputs, as the operator would type and tick them.
void AppliquerEntrees(Console& console, FenetreTexte& fenetre, const RequeteScriptee& requete);

// One request run as the operator would: its inputs, its click and, for a listening, the click on
// "Sortie Ecoute" after its `duree`. Its record (rank 0: the caller numbers it), made from the
// outcome its handler gave, and what it showed.
struct RequeteFaite {
  ExecutionRequete execution;
  Releve releve;
};
// `avertir`, when given, hears what the operator would want to know before the request goes,
// its inputs given: a payment of 0.00 EUR.
RequeteFaite ExecuterRequete(Console& console, FenetreTexte& fenetre,
                             const RequeteScriptee& requete, const BoutonConsole& famille,
                             const std::function<void(const std::string&)>& avertir = {});

// Said before a validity or a registration whose price is 0 (no "prix=", no "prix" request
// before it): the payment still goes, as the window's would; empty otherwise.
std::string AvertissementPrix(const EtatConsole& etat, const BoutonConsole& famille);

// The last status line that said something; empty when none did.
std::string DernierEtat(const Releve& releve);
// What tells the operator why a request failed: its last status, or its last line.
std::string Raison(const Releve& releve);

}  // namespace zef30
