#include "base/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>
#include <system_error>

#include "base/Texte.h"

namespace zef30 {

namespace {

using Genre = ValeurJson::Genre;

// Reads one value. Every step moves forward in the text and nesting is bounded, so a reading
// ends within the text's length and a bounded depth of calls. The first fault stops it, with
// its place and reason.
class LecteurJson {
 public:
  LecteurJson(std::string_view texte, std::size_t profondeurMaximale)
      : t_(texte), profondeurMaximale_(profondeurMaximale) {}

  bool Tout(ValeurJson& valeur) {
    Blancs();
    if (!Valeur(valeur, 0)) return false;
    Blancs();
    return i_ == t_.size() || Faute("rien après la valeur");
  }

  // Only an object: its members stay in `valeur` up to the fault.
  bool Objet(ValeurJson& valeur) {
    Blancs();
    return Regarder('{') ? Valeur(valeur, 0) : Faute("un objet « { » attendu");
  }

  Echec Erreur() const {
    return Invalide("JSON illisible à l’octet " + std::to_string(position_ + 1) + " : " + raison_);
  }

 private:
  bool Faute(std::string raison) {
    if (raison_.empty()) {
      raison_ = std::move(raison);
      position_ = i_;
    }
    return false;
  }
  bool Regarder(char c) const { return i_ < t_.size() && t_[i_] == c; }
  bool Prendre(char c) {
    if (!Regarder(c)) return false;
    ++i_;
    return true;
  }
  void Blancs() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\r' || t_[i_] == '\n'))
      ++i_;
  }
  bool Chiffre() const { return i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9'; }
  bool Mot(std::string_view mot) {
    if (t_.substr(i_, mot.size()) != mot) return false;
    i_ += mot.size();
    return true;
  }

  bool Valeur(ValeurJson& v, std::size_t profondeur) {
    if (i_ >= t_.size()) return Faute("une valeur attendue, la fin est venue");
    const char c = t_[i_];
    if (c == '{' || c == '[') {
      if (profondeur + 1 > profondeurMaximale_) {
        return Faute("plus de " + std::to_string(profondeurMaximale_) + " niveaux imbriqués");
      }
      return c == '{' ? Membres(v, profondeur + 1) : Elements(v, profondeur + 1);
    }
    if (c == '"') {
      v.genre = Genre::Chaine;
      return Chaine(v.texte);
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      v.genre = Genre::Nombre;
      return Nombre(v.texte);
    }
    if (Mot("true") || Mot("false")) {
      v.genre = Genre::Booleen;
      v.booleen = c == 't';
      return true;
    }
    if (Mot("null")) {
      v.genre = Genre::Nul;
      return true;
    }
    return Faute("une valeur attendue (objet, tableau, chaîne, nombre, true, false, null)");
  }

  bool Membres(ValeurJson& v, std::size_t profondeur) {
    v.genre = Genre::Objet;
    ++i_;
    Blancs();
    if (Prendre('}')) return true;
    std::set<std::string> noms;
    for (;;) {
      Blancs();
      MembreJson membre;
      const std::size_t debut = i_;
      if (!Regarder('"')) return Faute("le nom d’un membre entre guillemets attendu");
      if (!Chaine(membre.nom)) return false;
      if (!noms.insert(membre.nom).second) {
        i_ = debut;
        return Faute("membre « " + Citer(membre.nom) + " » en double");
      }
      Blancs();
      if (!Prendre(':')) return Faute("« : » attendu après le nom d’un membre");
      Blancs();
      if (!Valeur(membre.valeur, profondeur)) return false;
      v.membres.push_back(std::move(membre));
      Blancs();
      if (Prendre('}')) return true;
      if (!Prendre(',')) return Faute("« , » ou « } » attendu");
    }
  }

  bool Elements(ValeurJson& v, std::size_t profondeur) {
    v.genre = Genre::Tableau;
    ++i_;
    Blancs();
    if (Prendre(']')) return true;
    for (;;) {
      Blancs();
      ValeurJson element;
      if (!Valeur(element, profondeur)) return false;
      v.elements.push_back(std::move(element));
      Blancs();
      if (Prendre(']')) return true;
      if (!Prendre(',')) return Faute("« , » ou « ] » attendu");
    }
  }

  // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, kept as written.
  bool Nombre(std::string& texte) {
    const std::size_t debut = i_;
    Prendre('-');
    if (!Chiffre()) return Faute("un chiffre attendu dans un nombre");
    if (!Prendre('0')) {
      while (Chiffre()) ++i_;
    }
    if (Prendre('.')) {
      if (!Chiffre()) return Faute("un chiffre attendu après le point d’un nombre");
      while (Chiffre()) ++i_;
    }
    if (Prendre('e') || Prendre('E')) {
      if (!Prendre('+')) Prendre('-');
      if (!Chiffre()) return Faute("un chiffre attendu dans l’exposant d’un nombre");
      while (Chiffre()) ++i_;
    }
    texte = std::string(t_.substr(debut, i_ - debut));
    return true;
  }

  // Four hexadecimal digits after "\u".
  std::optional<char32_t> Hexa() {
    if (i_ + 4 > t_.size()) return std::nullopt;
    char32_t point = 0;
    for (const char h : t_.substr(i_, 4)) {
      const auto chiffre = std::string_view("0123456789abcdef")
                               .find(static_cast<char>(h >= 'A' && h <= 'F' ? h - 'A' + 'a' : h));
      if (chiffre == std::string_view::npos) return std::nullopt;
      point = point * 16 + static_cast<char32_t>(chiffre);
    }
    i_ += 4;
    return point;
  }

  bool Chaine(std::string& texte) {
    ++i_;
    std::size_t brut = i_;  // the start of the bytes not yet copied
    const auto copier = [&] { texte += VersUtf8Valide(t_.substr(brut, i_ - brut)); };
    while (i_ < t_.size()) {
      const auto c = static_cast<unsigned char>(t_[i_]);
      if (c == '"') {
        copier();
        ++i_;
        return true;
      }
      if (c < 0x20) return Faute("un caractère de contrôle dans une chaîne (\\n, \\t, \\u00XX)");
      if (c != '\\') {
        ++i_;
        continue;
      }
      copier();
      ++i_;
      if (i_ >= t_.size()) break;
      const char e = t_[i_++];
      const std::string_view simples = "\"\\/bfnrt", valeurs = "\"\\/\b\f\n\r\t";
      if (const auto k = simples.find(e); k != std::string_view::npos) {
        texte += valeurs[k];
      } else if (e == 'u') {
        const auto point = Hexa();
        if (!point) return Faute("quatre chiffres hexadécimaux attendus après \\u");
        char32_t caractere = *point;
        if (caractere >= 0xD800 && caractere <= 0xDBFF && Mot("\\u")) {
          // Its second half, when one follows; anything else after "\u" is its own character.
          const std::size_t apres = i_ - 2;
          const auto bas = Hexa();
          if (bas && *bas >= 0xDC00 && *bas <= 0xDFFF) {
            caractere = 0x10000 + ((caractere - 0xD800) << 10) + (*bas - 0xDC00);
          } else {
            i_ = apres;
          }
        }
        AjouterUtf8(texte, caractere >= 0xD800 && caractere <= 0xDFFF ? 0xFFFD : caractere);
      } else {
        --i_;
        return Faute("échappement « \\" + Citer(t_.substr(i_, 1)) + " » inconnu");
      }
      brut = i_;
    }
    return Faute("guillemet fermant manquant");
  }

  std::string_view t_;
  std::size_t profondeurMaximale_;
  std::size_t i_ = 0;
  std::string raison_;
  std::size_t position_ = 0;
};

}  // namespace

const ValeurJson* ValeurJson::Membre(std::string_view nom) const {
  for (const MembreJson& m : membres) {
    if (m.nom == nom) return &m.valeur;
  }
  return nullptr;
}

std::optional<std::int64_t> ValeurJson::Entier(std::int64_t minimum, std::int64_t maximum) const {
  if (genre != Genre::Nombre) return std::nullopt;
  std::int64_t valeur = 0;
  const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
  if (erreur != std::errc() || fin != texte.data() + texte.size()) return std::nullopt;
  if (valeur < minimum || valeur > maximum) return std::nullopt;
  return valeur;
}

std::optional<double> ValeurJson::Reel() const {
  if (genre != Genre::Nombre) return std::nullopt;
  double valeur = 0;
  const auto [fin, erreur] = std::from_chars(texte.data(), texte.data() + texte.size(), valeur);
  if (erreur != std::errc() || fin != texte.data() + texte.size() || !std::isfinite(valeur))
    return std::nullopt;
  return valeur;
}

std::string ValeurJson::Scalaire() const {
  switch (genre) {
    case Genre::Nul:
      return "null";
    case Genre::Booleen:
      return booleen ? "true" : "false";
    case Genre::Nombre:
    case Genre::Chaine:
      return texte;
    case Genre::Tableau:
    case Genre::Objet:
      break;
  }
  return {};
}

Resultat<ValeurJson> LireJson(std::string_view texte, std::size_t profondeurMaximale) {
  LecteurJson lecteur(texte, profondeurMaximale);
  ValeurJson valeur;
  if (!lecteur.Tout(valeur)) return lecteur.Erreur();
  return valeur;
}

std::vector<MembreJson> MembresAvantFaute(std::string_view texte, std::size_t profondeurMaximale) {
  LecteurJson lecteur(texte, profondeurMaximale);
  ValeurJson valeur;
  (void)lecteur.Objet(valeur);
  return std::move(valeur.membres);
}

std::string EnChaineJson(std::string_view texte) {
  std::string json = "\"";
  // JSON is UTF-8: raw bytes of the terminal that reached a text are taken as its Windows-1252.
  for (const char c : VersUtf8Valide(texte)) {
    const auto octet = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (octet < 0x20 || octet == 0x7F) {
      char echappe[8];
      std::snprintf(echappe, sizeof echappe, "\\u%04x", octet);
      json += echappe;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

}  // namespace zef30
