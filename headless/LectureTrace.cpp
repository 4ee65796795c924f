#include "headless/LectureTrace.h"

#include <fstream>
#include <iterator>

#include "console/FichierIni.h"
#include "requests/DecodeurTrames.h"

namespace zef30 {

namespace {

// The records of the trace at `chemin`, their frames named; nothing, with the reason.
std::optional<std::vector<EnregistrementTrace>> LireTraceNommee(const std::string& chemin,
                                                                std::string& erreur) {
  std::ifstream fichier(chemin, std::ios::binary);
  if (!fichier) {
    erreur = chemin + " : trace illisible";
    return std::nullopt;
  }
  const std::string texte((std::istreambuf_iterator<char>(fichier)),
                          std::istreambuf_iterator<char>());
  auto enregistrements = LireTrace(texte, erreur);
  if (!enregistrements) {
    erreur = chemin + " : " + erreur;
    return std::nullopt;
  }
  DecodeurTrames decodeur;
  return NommerTrames(std::move(*enregistrements), decodeur);
}

}  // namespace

std::string TexteTraceDecodee(const std::vector<EnregistrementTrace>& enregistrements) {
  std::string texte;
  for (const EnregistrementTrace& e : enregistrements) {
    texte += FormaterEnregistrement(e) + "\n" + FormaterDecodages(e);
  }
  return texte;
}

int AfficherTraceDecodee(const std::string& chemin, std::ostream& sortie, std::ostream& erreurs) {
  std::string erreur;
  const auto enregistrements = LireTraceNommee(chemin, erreur);
  if (!enregistrements) {
    erreurs << erreur << '\n';
    return 1;
  }
  sortie << TexteTraceDecodee(*enregistrements);
  return 0;
}

int DessinerTrace(const std::string& chemin, const OptionsDiagramme& options,
                  const std::string& fichierSvg, std::ostream& sortie, std::ostream& erreurs) {
  std::string erreur;
  const auto enregistrements = LireTraceNommee(chemin, erreur);
  if (!enregistrements) {
    erreurs << erreur << '\n';
    return 1;
  }
  if (RemplacerFichier(fichierSvg, DessinerSequence(*enregistrements, options), &erreur) != 0) {
    erreurs << fichierSvg << " : " << erreur << '\n';
    return 1;
  }
  sortie << fichierSvg << '\n';
  return 0;
}

}  // namespace zef30
