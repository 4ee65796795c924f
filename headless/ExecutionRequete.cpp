#include "headless/ExecutionRequete.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "base/Texte.h"
#include "headless/FenetreTexte.h"

namespace zef30 {

namespace {

double SecondesDe(Horloge::Instant instant) {
  return std::chrono::duration<double>(instant.time_since_epoch()).count();
}

Horloge::Instant InstantDe(double secondes) {
  return Horloge::Instant{} +
         std::chrono::duration_cast<Horloge::Duree>(std::chrono::duration<double>(secondes));
}

// `reussie` says pass or fail; the genre says which failure. A step judged by its conditions
// keeps its request's own outcome, which may be the failure it expected.
GenreIssue GenreEcrit(const ExecutionRequete& e) {
  if (!e.conditions.empty()) return e.genre;
  if (e.reussie) return GenreIssue::Reussie;
  return e.genre == GenreIssue::Reussie ? GenreIssue::Refusee : e.genre;
}

std::string TableauJson(const std::vector<std::string>& textes) {
  std::string json = "[";
  for (const auto& texte : textes) json += (json.size() > 1 ? "," : "") + EnChaineJson(texte);
  return json + "]";
}

// Reads the top-level fields of one JSON object whose values are scalars; arrays and objects
// inside it are skipped. Every step moves forward in the text, so it ends within its length.
class LecteurJson {
 public:
  explicit LecteurJson(std::string_view texte) : t_(texte) {}

  std::optional<std::map<std::string, std::string>> Objet() {
    std::map<std::string, std::string> champs;
    Blancs();
    if (!Prendre('{')) return std::nullopt;
    Blancs();
    if (Prendre('}')) return champs;
    for (;;) {
      Blancs();
      auto cle = Chaine();
      Blancs();
      if (!cle || !Prendre(':')) return std::nullopt;
      Blancs();
      if (i_ < t_.size() && (t_[i_] == '{' || t_[i_] == '[')) {
        // Kept as written, for whoever reads what it holds (Objets).
        const std::size_t debut = i_;
        if (!SauterCompose()) return std::nullopt;
        champs[*cle] = std::string(t_.substr(debut, i_ - debut));
      } else {
        auto valeur = i_ < t_.size() && t_[i_] == '"' ? Chaine() : Mot();
        if (!valeur) return std::nullopt;
        champs[*cle] = *valeur;
      }
      Blancs();
      if (Prendre('}')) return champs;
      if (!Prendre(',')) return std::nullopt;
    }
  }

  // An array of such objects.
  std::optional<std::vector<std::map<std::string, std::string>>> Objets() {
    std::vector<std::map<std::string, std::string>> objets;
    Blancs();
    if (!Prendre('[')) return std::nullopt;
    Blancs();
    if (Prendre(']')) return objets;
    for (;;) {
      auto objet = Objet();
      if (!objet) return std::nullopt;
      objets.push_back(std::move(*objet));
      Blancs();
      if (Prendre(']')) return objets;
      if (!Prendre(',')) return std::nullopt;
    }
  }

 private:
  bool Prendre(char c) {
    if (i_ >= t_.size() || t_[i_] != c) return false;
    ++i_;
    return true;
  }
  void Blancs() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\r' || t_[i_] == '\n'))
      ++i_;
  }
  std::optional<std::string> Mot() {
    const std::size_t debut = i_;
    while (i_ < t_.size() && std::string_view(",}] \t\r\n").find(t_[i_]) == std::string_view::npos)
      ++i_;
    if (i_ == debut) return std::nullopt;
    return std::string(t_.substr(debut, i_ - debut));
  }
  std::optional<std::string> Chaine() {
    if (!Prendre('"')) return std::nullopt;
    std::string texte;
    while (i_ < t_.size()) {
      const char c = t_[i_++];
      if (c == '"') return texte;
      if (c != '\\') {
        texte += c;
        continue;
      }
      if (i_ >= t_.size()) return std::nullopt;
      const char e = t_[i_++];
      const std::string_view simples = "\"\\/bfnrt", valeurs = "\"\\/\b\f\n\r\t";
      if (const auto k = simples.find(e); k != std::string_view::npos) {
        texte += valeurs[k];
      } else if (e == 'u' && i_ + 4 <= t_.size()) {
        unsigned point = 0;
        for (const char h : t_.substr(i_, 4)) {
          const auto chiffre =
              std::string_view("0123456789abcdef")
                  .find(static_cast<char>(h >= 'A' && h <= 'F' ? h - 'A' + 'a' : h));
          if (chiffre == std::string_view::npos) return std::nullopt;
          point = point * 16 + static_cast<unsigned>(chiffre);
        }
        i_ += 4;
        // A half of a pair stands for a character this reader does not need: the replacement.
        AjouterUtf8(texte, point >= 0xD800 && point <= 0xDFFF ? 0xFFFD : point);
      } else {
        return std::nullopt;
      }
    }
    return std::nullopt;
  }
  // An array or an object, whatever it holds, up to its closing bracket.
  bool SauterCompose() {
    std::size_t profondeur = 0;
    while (i_ < t_.size()) {
      const char c = t_[i_];
      if (c == '"') {
        if (!Chaine()) return false;
        continue;
      }
      ++i_;
      if (c == '{' || c == '[') ++profondeur;
      if ((c == '}' || c == ']') && --profondeur == 0) return true;
    }
    return false;
  }

  std::string_view t_;
  std::size_t i_ = 0;
};

}  // namespace

std::string SecondesMachine(double secondes, int decimales) {
  char texte[48];
  std::snprintf(texte, sizeof texte, "%.*f", decimales, std::isfinite(secondes) ? secondes : 0.0);
  return texte;
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

std::string EnJson(const ExecutionRequete& e, const Releve* releve) {
  std::string json = "{\"numero\":" + std::to_string(e.rang) +
                     ",\"requete\":" + EnChaineJson(e.famille) +
                     ",\"reussie\":" + (e.reussie ? "true" : "false") +
                     ",\"issue\":" + EnChaineJson(NomGenreIssue(GenreEcrit(e)));
  if (e.ligne != 0) json += ",\"ligne\":" + std::to_string(e.ligne);
  if (!e.titre.empty()) json += ",\"titre\":" + EnChaineJson(e.titre);
  // To the nanosecond, so that the record read back is the same.
  json += ",\"debut\":" + SecondesMachine(SecondesDe(e.debut), 9) +
          ",\"fin\":" + SecondesMachine(SecondesDe(e.fin), 9) +
          ",\"duree\":" + SecondesMachine(e.Duree()) + ",\"raison\":" + EnChaineJson(e.raison) +
          ",\"resultat\":" + EnChaineJson(e.ligneResultat) +
          ",\"etat\":" + EnChaineJson(e.ligneEtat);
  if (!e.numeroSerie.empty()) json += ",\"serie\":" + EnChaineJson(e.numeroSerie);
  if (e.ecouteSurLimite) json += ",\"ecouteSurLimite\":true";
  if (e.code) json += ",\"code\":" + std::to_string(*e.code);
  if (!e.conditions.empty()) {
    std::string conditions;
    for (const ConditionJugee& c : e.conditions) {
      conditions += (conditions.empty() ? "{" : ",{") + std::string("\"condition\":") +
                    EnChaineJson(c.condition) + ",\"tenue\":" + (c.tenue ? "true" : "false") +
                    ",\"obtenu\":" + EnChaineJson(c.obtenu) + "}";
    }
    json += ",\"conditions\":[" + conditions + "]";
  }
  if (releve != nullptr) {
    json += ",\"lignes\":" + TableauJson(releve->lignes) +
            ",\"etats\":" + TableauJson(releve->etats) +
            ",\"carte\":{\"numero\":" + EnChaineJson(releve->numeroCarte) +
            ",\"validite\":" + EnChaineJson(releve->dateValidite) + "}" +
            ",\"textes\":" + TableauJson(releve->textes) +
            ",\"affichages\":" + TableauJson(releve->affichages) +
            ",\"messages\":" + TableauJson(releve->messages);
  }
  return json + "}";
}

std::string NomEtape(const ExecutionRequete& e) {
  return (e.titre.empty() ? "" : e.titre + " — ") + e.famille + " #" + std::to_string(e.rang);
}

ParcoursExecutions Parcourir(const std::vector<ExecutionRequete>& executions) {
  return [&executions](const LecteurExecutions& lire) {
    for (const auto& e : executions) lire(e);
  };
}

std::optional<ExecutionRequete> LireExecutionJson(std::string_view ligne) {
  const auto champs = LecteurJson(ligne).Objet();
  if (!champs || !champs->contains("numero") || !champs->contains("requete")) return std::nullopt;
  const auto champ = [&](const char* nom) {
    const auto trouve = champs->find(nom);
    return trouve == champs->end() ? std::string() : trouve->second;
  };
  ExecutionRequete e;
  const auto rang = LireEntierStrict(champ("numero"));
  const auto numeroLigne = LireEntierStrict(champ("ligne"));
  const auto debut = LireNombre(champ("debut"));
  const auto fin = LireNombre(champ("fin"));
  if (!rang || !debut || !fin || *fin < *debut) return std::nullopt;
  e.rang = *rang;
  e.ligne = numeroLigne.value_or(0);
  e.famille = champ("requete");
  e.titre = champ("titre");
  e.debut = InstantDe(*debut);
  e.fin = InstantDe(*fin);
  e.reussie = champ("reussie") == "true";
  // A record written before the outcome was kept: what "reussie" says, a failure a refusal.
  e.genre = LireGenreIssue(champ("issue"))
                .value_or(e.reussie ? GenreIssue::Reussie : GenreIssue::Refusee);
  for (const auto& c : LecteurJson(champ("conditions"))
                           .Objets()
                           .value_or(std::vector<std::map<std::string, std::string>>{})) {
    const auto valeur = [&c](const char* nom) {
      const auto trouve = c.find(nom);
      return trouve == c.end() ? std::string() : trouve->second;
    };
    e.conditions.push_back({valeur("condition"), valeur("tenue") == "true", valeur("obtenu")});
  }
  // Never better than what happened: a record whose words disagree is a failure (for a step of
  // a plan, one of whose conditions did not hold).
  if (e.conditions.empty() ? e.genre != GenreIssue::Reussie
                           : std::any_of(e.conditions.begin(), e.conditions.end(),
                                         [](const ConditionJugee& c) { return !c.tenue; })) {
    e.reussie = false;
  }
  e.genre = GenreEcrit(e);
  if (const auto code = champ("code"); !code.empty()) {
    const auto nombre = LireNombre(code);
    if (nombre && std::fabs(*nombre) <= 1'000'000'000) e.code = static_cast<int>(*nombre);
  }
  e.numeroSerie = champ("serie");
  e.ecouteSurLimite = champ("ecouteSurLimite") == "true";
  e.raison = champ("raison");
  e.ligneResultat = champ("resultat");
  e.ligneEtat = champ("etat");
  return e;
}

}  // namespace zef30
