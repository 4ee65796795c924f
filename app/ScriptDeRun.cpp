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

// The whole of `entree`, or nullopt when it cannot be read or passes the size bound.
std::optional<std::string> LireTout(std::istream& entree, std::string& erreur) {
  std::string texte;
  char morceau[4096];
  while (entree.read(morceau, sizeof morceau) || entree.gcount() > 0) {
    texte.append(morceau, static_cast<std::size_t>(entree.gcount()));
    if (texte.size() > kTailleScriptMax) {
      erreur = "script trop grand (plus de 1 Mio)";
      return std::nullopt;
    }
  }
  if (entree.bad()) {
    erreur = "script illisible";
    return std::nullopt;
  }
  return texte;
}

// Opened without waiting: a pipe or a device at that name is refused, never waited on
// (standard input, "-", is the way to read a pipe).
std::optional<std::string> LireFichierScript(const std::string& chemin, std::string& erreur) {
  FichierRegulier fichier(chemin, O_RDONLY, 0, DernierLien::Suivi);
  std::string contenu;
  const int lu = fichier.LireTout(contenu, kTailleScriptMax);
  if (lu == 0) return contenu;
  erreur = fichier.NonRegulier() ? fichier.Raison()
           : lu == EFBIG         ? std::string("script trop grand (plus de 1 Mio)")
                                 : "fichier illisible";
  return std::nullopt;
}

}  // namespace

SourceScript SourceDuScript(std::string_view valeur) {
  if (valeur == "-") return SourceScript::EntreeStandard;
  if (valeur.find('/') != std::string_view::npos || valeur.ends_with(".txt")) {
    return SourceScript::Fichier;
  }
  return SourceScript::Noms;
}

std::optional<std::vector<RequeteScriptee>> LireScriptDeRun(const std::string& valeur,
                                                            std::istream& entreeStandard,
                                                            std::string& erreur) {
  const SourceScript source = SourceDuScript(valeur);
  if (source == SourceScript::Noms) return LireScript(valeur, erreur);
  const std::string nom = source == SourceScript::Fichier ? valeur : "entrée standard";
  std::optional<std::string> texte;
  if (source == SourceScript::Fichier) {
    texte = LireFichierScript(valeur, erreur);
  } else {
    texte = LireTout(entreeStandard, erreur);
  }
  // Read as lines even when it holds one line without its end, or nothing; a byte order mark
  // in front is no part of the first request.
  auto requetes =
      texte ? LirePlan(std::string(SansBom(*texte)) + "\n",
                       source == SourceScript::Fichier ? valeur : "-", LireFichierScript, erreur)
            : std::nullopt;
  if (!requetes) erreur = nom + " : " + erreur;
  return requetes;
}

}  // namespace zef30
