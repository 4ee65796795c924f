#include "base/OptionsDecrites.h"

#include "base/Texte.h"

namespace zef30 {

namespace {

constexpr std::size_t kColonneTexte = 22;
constexpr std::size_t kLargeur = 80;

// The words of `texte` as a line may be cut between them: French puts a blank before « ; » « : »
// « » » « ? » « ! » and after « « », which never starts or ends a line.
std::vector<std::string> MotsInsecables(std::string_view texte) {
  std::vector<std::string> mots;
  bool colle = false;
  for (const std::string_view mot : Decouper(texte, " ")) {
    if (mot.empty()) continue;
    const bool ponctuation = mot == ";" || mot == ":" || mot == "»" || mot == "?" || mot == "!";
    if (!mots.empty() && (colle || ponctuation)) {
      mots.back() += " " + std::string(mot);
    } else {
      mots.emplace_back(mot);
    }
    colle = mot == "«";
  }
  return mots;
}

// `texte` cut at its blanks into lines of `largeur` columns at most (a word longer than that
// keeps its own line), each line after `marge`.
std::string Couper(std::string_view texte, std::size_t marge, std::size_t largeur) {
  std::string lignes;
  for (const std::string_view paragraphe : Decouper(texte, "\n")) {
    std::string ligne;
    for (const std::string& mot : MotsInsecables(paragraphe)) {
      if (!ligne.empty() && NombreCaracteres(ligne) + 1 + NombreCaracteres(mot) > largeur) {
        lignes += std::string(marge, ' ') + ligne + "\n";
        ligne.clear();
      }
      ligne += (ligne.empty() ? "" : " ") + std::string(mot);
    }
    lignes += std::string(marge, ' ') + ligne + "\n";
  }
  return lignes.empty() ? std::string(marge, ' ') + "\n" : lignes;
}

std::string Tete(const OptionDecrite& option) {
  return option.argument.empty() ? option.nom : option.nom + " " + option.argument;
}

}  // namespace

std::string TexteSynopsis(std::string_view entete, std::string_view programme,
                          const Synopsis& synopsis) {
  const std::string marge(NombreCaracteres(entete), ' ');
  const std::string suite(NombreCaracteres(entete) + NombreCaracteres(programme) + 1, ' ');
  std::string texte;
  for (std::size_t f = 0; f < synopsis.size(); ++f) {
    for (std::size_t l = 0; l < synopsis[f].size(); ++l) {
      if (l == 0) {
        texte += (f == 0 ? std::string(entete) : marge) + std::string(programme) + " ";
      } else {
        texte += suite;
      }
      texte += synopsis[f][l] + "\n";
    }
  }
  return texte;
}

std::string TexteOptions(const std::vector<OptionDecrite>& options) {
  std::string texte;
  for (const OptionDecrite& option : options) {
    std::string tete = "  " + Tete(option);
    const std::string lignes = Couper(option.texte, kColonneTexte, kLargeur - kColonneTexte);
    if (NombreCaracteres(tete) + 1 < kColonneTexte) {
      tete.append(kColonneTexte - NombreCaracteres(tete), ' ');
      texte += tete + lignes.substr(kColonneTexte);
    } else {
      texte += tete + "\n" + lignes;
    }
  }
  return texte;
}

std::string SynopsisManuel(std::string_view programme, const Synopsis& synopsis) {
  std::string texte = ".nf\n";
  for (const std::vector<std::string>& forme : synopsis) {
    for (std::size_t l = 0; l < forme.size(); ++l) {
      texte += (l == 0 ? "\\fB" + EnRoff(programme) + "\\fR "
                       : std::string(NombreCaracteres(programme) + 1, ' ')) +
               EnRoff(forme[l]) + "\n";
    }
  }
  return texte + ".fi\n";
}

std::string OptionsManuel(const std::vector<OptionDecrite>& options) {
  // Ragged right: a long list cut at its commas has no blank to stretch.
  std::string texte = ".ad l\n";
  for (const OptionDecrite& option : options) {
    texte += ".TP\n";
    texte += option.argument.empty()
                 ? ".B " + EnRoff(option.nom) + "\n"
                 : ".BI \"" + EnRoff(option.nom) + "\" \" " + EnRoff(option.argument) + "\"\n";
    bool premier = true;
    for (const std::string_view paragraphe : Decouper(option.texte, "\n")) {
      if (!premier) texte += ".br\n";
      texte += EnRoff(paragraphe) + "\n";
      premier = false;
    }
  }
  return texte + ".ad\n";
}

std::string EnRoff(std::string_view texte) {
  std::string roff;
  if (!texte.empty() && (texte.front() == '.' || texte.front() == '\'')) roff = "\\&";
  for (const char c : texte) {
    if (c == '\\') {
      roff += "\\e";
    } else if (c == '-') {
      roff += "\\-";
    } else if (c == '"') {
      roff += "\\(dq";
    } else if (c == ',') {
      // A list without blanks (the request families) may still be cut after its commas.
      roff += ",\\:";
    } else {
      roff += c;
    }
  }
  return roff;
}

}  // namespace zef30
