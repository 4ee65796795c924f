#include "app/ScriptDeRun.h"

#include <fcntl.h>

#include <cerrno>

#include "base/Texte.h"
#include "headless/InclusionsPlan.h"
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

Resultat<std::vector<RequeteScriptee>> LireScriptDeRun(const std::string& valeur,
                                                       std::istream& entreeStandard) {
  const SourceScript source = SourceDuScript(valeur);
  if (source == SourceScript::Noms) return LireScript(valeur);
  const auto texte =
      source == SourceScript::Fichier ? LireFichierScript(valeur) : LireTout(entreeStandard);
  // Read as lines even when it holds one line without its end, or nothing; a byte order mark
  // in front is no part of the first request.
  auto requetes = texte
                      ? LirePlan(std::string(SansBom(*texte)) + "\n",
                                 source == SourceScript::Fichier ? valeur : "-", LireFichierScript)
                      : Resultat<std::vector<RequeteScriptee>>(texte.Erreur());
  if (!requetes) {
    const std::string nom = source == SourceScript::Fichier ? valeur : "entrée standard";
    return Echec{requetes.Erreur().genre, nom + " : " + requetes.Erreur().texte};
  }
  return requetes;
}

}  // namespace zef30
