#include "headless/AttentesPlan.h"

#include <algorithm>
#include <cmath>

#include "base/Texte.h"
#include "headless/Campagne.h"
#include "headless/FenetreTexte.h"

namespace zef30 {

namespace {

constexpr const char* kConnues =
    "réussie, échec, résultat = \"…\", résultat contient \"…\", état contient \"…\", "
    "ticket contient \"…\", durée < 30s, code = N";

// A word of a condition, or a text that was in double quotes.
struct Jeton {
  std::string_view texte;
  bool cite = false;
};

std::string Nommer(const Jeton& jeton) {
  return jeton.cite ? "\"" + Citer(jeton.texte) + "\"" : Citer(jeton.texte);
}

// The words and quoted texts of `texte`, or the reason for a quote never closed.
Resultat<std::vector<Jeton>> DecouperJetons(std::string_view texte) {
  std::vector<Jeton> jetons;
  std::size_t i = 0;
  while (i < texte.size()) {
    if (texte[i] == ' ' || texte[i] == '\t') {
      ++i;
      continue;
    }
    if (texte[i] == '"') {
      const std::size_t fin = texte.find('"', i + 1);
      if (fin == std::string_view::npos) {
        return Invalide("guillemet fermant manquant après « " + Citer(texte.substr(i)) + " »");
      }
      jetons.push_back({texte.substr(i + 1, fin - i - 1), true});
      i = fin + 1;
      continue;
    }
    // A ";" parts two conditions, blanks around it or not.
    std::size_t fin = texte[i] == ';' ? i + 1 : texte.find_first_of(" \t\";", i);
    if (fin == std::string_view::npos) fin = texte.size();
    jetons.push_back({texte.substr(i, fin - i), false});
    i = fin;
  }
  return jetons;
}

bool Est(const Jeton& jeton, std::initializer_list<std::string_view> mots) {
  return !jeton.cite && std::find(mots.begin(), mots.end(), jeton.texte) != mots.end();
}

// One condition from its words; on failure, the word that does not fit in `fautif`.
std::optional<Condition> LireCondition(const std::vector<Jeton>& mots, std::size_t& fautif) {
  using S = Condition::Sujet;
  using C = Condition::Comparaison;
  Condition c;
  fautif = 0;
  if (mots.size() == 1 && Est(mots[0], {"réussie", "reussie", "échec", "echec"})) {
    c.nombre = Est(mots[0], {"réussie", "reussie"}) ? 1 : 0;
    c.ecrit = c.nombre == 1 ? "réussie" : "échec";
    return c;
  }
  const struct {
    std::initializer_list<std::string_view> mots;
    S sujet;
    const char* nom;
  } sujets[] = {{{"résultat", "resultat"}, S::Resultat, "résultat"},
                {{"état", "etat"}, S::Etat, "état"},
                {{"ticket"}, S::Ticket, "ticket"},
                {{"durée", "duree"}, S::Duree, "durée"},
                {{"code"}, S::Code, "code"}};
  const auto sujet = std::find_if(std::begin(sujets), std::end(sujets),
                                  [&](const auto& s) { return Est(mots[0], s.mots); });
  if (sujet == std::end(sujets)) return std::nullopt;
  c.sujet = sujet->sujet;
  fautif = 1;
  if (mots.size() < 2) return std::nullopt;
  const bool texte = c.sujet == S::Resultat || c.sujet == S::Etat || c.sujet == S::Ticket;
  if (texte && Est(mots[1], {"="})) {
    c.comparaison = C::Egal;
  } else if (texte && Est(mots[1], {"contient"})) {
    c.comparaison = C::Contient;
  } else if (c.sujet == S::Duree && Est(mots[1], {"<", ">"})) {
    c.comparaison = mots[1].texte == "<" ? C::Inferieur : C::Superieur;
  } else if (c.sujet == S::Code && Est(mots[1], {"="})) {
    c.comparaison = C::Egal;
  } else {
    return std::nullopt;
  }
  fautif = 2;
  if (mots.size() < 3 || mots[2].cite != texte) return std::nullopt;
  const std::string_view valeur = mots[2].texte;
  if (texte) {
    c.texte = VersUtf8Valide(valeur);
    c.ecrit = std::string(sujet->nom) + " " + std::string(mots[1].texte) + " « " + c.texte + " »";
  } else {
    const auto nombre = c.sujet == S::Duree ? LireDuree(valeur) : LireNombre(valeur);
    // A code is a whole number the size of a request's result.
    if (!nombre || (c.sujet == S::Code &&
                    (*nombre != std::trunc(*nombre) || std::fabs(*nombre) > 1'000'000'000))) {
      return std::nullopt;
    }
    c.nombre = *nombre;
    c.ecrit = std::string(sujet->nom) + " " + std::string(mots[1].texte) + " " + Citer(valeur);
  }
  fautif = 3;
  if (mots.size() > 3) return std::nullopt;
  return c;
}

std::string SecondesDites(double secondes) { return SecondesMachine(secondes, 3) + " s"; }

}  // namespace

Resultat<std::vector<Condition>> LireAttentes(std::string_view texte) {
  const auto decoupe = DecouperJetons(texte);
  if (!decoupe) return decoupe.Erreur();
  const std::vector<Jeton>& jetons = *decoupe;
  std::vector<Condition> conditions;
  std::vector<Jeton> mots;
  // One more pass than there are words, the end closing the last condition as a ";" would.
  for (std::size_t i = 0; i <= jetons.size(); ++i) {
    if (i < jetons.size() && !Est(jetons[i], {";"})) {
      mots.push_back(jetons[i]);
      continue;
    }
    if (mots.empty()) return Invalide("condition vide (après « => » ou autour d’un « ; »)");
    std::size_t fautif = 0;
    auto condition = LireCondition(mots, fautif);
    if (!condition) {
      return Invalide((fautif < mots.size()
                           ? "condition : « " + Nommer(mots[fautif]) + " » incompris"
                           : "condition « " + Citer(mots.front().texte) + " » incomplète") +
                      " (" + kConnues + ")");
    }
    conditions.push_back(std::move(*condition));
    mots.clear();
  }
  return conditions;
}

std::vector<ConditionJugee> JugerAttentes(const std::vector<Condition>& attentes,
                                          const ExecutionRequete& e, const Releve& releve) {
  using S = Condition::Sujet;
  using C = Condition::Comparaison;
  std::vector<ConditionJugee> jugees;
  for (const Condition& c : attentes) {
    ConditionJugee j{c.ecrit, false, {}};
    switch (c.sujet) {
      case S::Issue: {
        const bool reussie = e.genre == GenreIssue::Reussie;
        j.tenue = reussie == (c.nombre == 1);
        j.obtenu = reussie ? "réussie" : "échec" + (e.raison.empty() ? "" : " — " + e.raison);
        break;
      }
      case S::Resultat:
      case S::Etat:
      case S::Ticket: {
        std::string texte;
        if (c.sujet == S::Ticket) {
          for (const std::string& t : releve.textes) texte += (texte.empty() ? "" : "\n") + t;
        } else {
          texte = c.sujet == S::Resultat ? e.ligneResultat : e.ligneEtat;
        }
        j.obtenu = VersUtf8Valide(texte);
        j.tenue = c.comparaison == C::Egal ? j.obtenu == c.texte
                                           : j.obtenu.find(c.texte) != std::string::npos;
        break;
      }
      case S::Duree:
        j.tenue = c.comparaison == C::Inferieur ? e.Duree() < c.nombre : e.Duree() > c.nombre;
        j.obtenu = SecondesDites(e.Duree());
        break;
      case S::Code:
        j.tenue = e.code && *e.code == c.nombre;
        j.obtenu = e.code ? std::to_string(*e.code) : "aucun code";
        break;
    }
    jugees.push_back(std::move(j));
  }
  return jugees;
}

void JugerEtape(ExecutionRequete& e, const std::vector<Condition>& attentes, const Releve& releve) {
  if (attentes.empty()) return;
  e.conditions = JugerAttentes(attentes, e, releve);
  e.reussie = std::all_of(e.conditions.begin(), e.conditions.end(),
                          [](const ConditionJugee& c) { return c.tenue; });
  if (!e.reussie) e.raison = DireEcarts(e.conditions);
}

std::string DireEcarts(const std::vector<ConditionJugee>& conditions) {
  std::string dit;
  for (const ConditionJugee& c : conditions) {
    if (c.tenue) continue;
    dit += (dit.empty() ? "" : " — ") + std::string("attendu : ") + c.condition + " ; obtenu : « " +
           c.obtenu + " »";
  }
  return dit;
}

std::string DireConditions(const std::vector<ConditionJugee>& conditions) {
  std::string dit;
  for (const ConditionJugee& c : conditions) {
    dit += (c.tenue ? "✓ " : "✗ ") + c.condition +
           (c.tenue ? "" : " — obtenu : « " + c.obtenu + " »") + "\n";
  }
  return dit;
}

}  // namespace zef30
