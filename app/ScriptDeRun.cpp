#include "app/ScriptDeRun.h"

#include <fstream>

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
  std::ifstream fichier;
  if (source == SourceScript::Fichier) {
    fichier.open(valeur, std::ios::binary);
    if (!fichier) {
      erreur = valeur + " : fichier illisible";
      return std::nullopt;
    }
  }
  const std::string nom = source == SourceScript::Fichier ? valeur : "entrée standard";
  auto texte = LireTout(source == SourceScript::Fichier ? fichier : entreeStandard, erreur);
  // Read as lines even when it holds one line without its end, or nothing.
  auto requetes = texte ? LireScript(*texte + "\n", erreur) : std::nullopt;
  if (!requetes) erreur = nom + " : " + erreur;
  return requetes;
}

}  // namespace zef30
