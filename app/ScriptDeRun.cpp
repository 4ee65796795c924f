#include "app/ScriptDeRun.h"

#include <fcntl.h>

#include <cerrno>

#include "base/Texte.h"
#include "headless/InclusionsPlan.h"
#include "headless/PlanEnFenetre.h"
#include "link/FichierRegulier.h"

namespace zef30 {

namespace {

// A script is a few lines; anything far beyond that is not one.
constexpr std::size_t kTailleScriptMax = 1024 * 1024;

constexpr std::string_view kTropGrand = "script trop grand (plus de 1 Mio)";

// The whole of `entree`, unless it cannot be read or passes the size bound.
Resultat<std::string> LireTout(std::istream& entree) {
  std::string texte;
  char morceau[4096];
  while (entree.read(morceau, sizeof morceau) || entree.gcount() > 0) {
    texte.append(morceau, static_cast<std::size_t>(entree.gcount()));
    if (texte.size() > kTailleScriptMax) return Invalide(std::string(kTropGrand));
  }
  if (entree.bad()) return Systeme("script illisible");
  return texte;
}

// The whole file at `chemin`, opened without waiting: a pipe or a device at that name is
// refused, never waited on (standard input, "-", is the way to read a pipe).
Resultat<std::string> LireFichierScript(const std::string& chemin) {
  FichierRegulier fichier(chemin, O_RDONLY, 0, DernierLien::Suivi);
  std::string contenu;
  const int lu = fichier.LireTout(contenu, kTailleScriptMax);
  if (lu == 0) return contenu;
  return Systeme(fichier.NonRegulier() ? fichier.Raison()
                 : lu == EFBIG         ? std::string(kTropGrand)
                                       : "fichier illisible");
}

}  // namespace

SourceScript SourceDuScript(std::string_view valeur) {
  if (valeur == "-") return SourceScript::EntreeStandard;
  if (valeur.find('/') != std::string_view::npos || valeur.ends_with(".txt")) {
    return SourceScript::Fichier;
  }
  return SourceScript::Noms;
}

namespace {

// The plan in `texte`, read as lines even when it holds one line without its end, or nothing;
// a byte order mark in front is no part of the first request. Its includes are found from
// `chemin`; a failure names `nom`.
Resultat<std::vector<RequeteScriptee>> LirePlanDeTexte(const Resultat<std::string>& texte,
                                                       const std::string& chemin,
                                                       const std::string& nom) {
  auto requetes = texte ? LirePlan(std::string(SansBom(*texte)) + "\n", chemin, LireFichierScript)
                        : Resultat<std::vector<RequeteScriptee>>(texte.Erreur());
  if (!requetes) return Echec{requetes.Erreur().genre, nom + " : " + requetes.Erreur().texte};
  return requetes;
}

}  // namespace

Resultat<std::vector<RequeteScriptee>> LirePlanDeFichier(const std::string& chemin) {
  return LirePlanDeTexte(LireFichierScript(chemin), chemin, chemin);
}

void ExecuterPlanDeFichier(Console& console, const std::string& chemin,
                           const std::function<void(const std::string&)>& dire,
                           const std::function<bool(const std::string&)>& demander) {
  const auto requetes = LirePlanDeFichier(chemin);
  if (!requetes) {
    dire(requetes.Erreur().texte);
    return;
  }
  ExecuterPlanEnFenetre(console, *requetes, dire, demander);
}

Resultat<std::vector<RequeteScriptee>> LireScriptDeRun(const std::string& valeur,
                                                       std::istream& entreeStandard) {
  const SourceScript source = SourceDuScript(valeur);
  if (source == SourceScript::Noms) return LireScript(valeur);
  if (source == SourceScript::Fichier) return LirePlanDeFichier(valeur);
  return LirePlanDeTexte(LireTout(entreeStandard), "-", "entrée standard");
}

}  // namespace zef30
