#include "headless/ExecutionRequete.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/Json.h"
#include "base/Texte.h"
#include "headless/FenetreTexte.h"

namespace zef30 {

namespace {

double SecondesDe(Horloge::Instant instant) {
  return std::chrono::duration<double>(instant.time_since_epoch()).count();
}

// The instant `secondes` after the clock's origin, or nullopt beyond a century either side: far
// past any monotonic clock, well within what the clock's nanoseconds hold (and their difference).
std::optional<Horloge::Instant> InstantDe(std::optional<double> secondes) {
  constexpr double kSiecle = 100 * 365.25 * 86'400;
  if (!secondes || !(std::fabs(*secondes) <= kSiecle)) return std::nullopt;
  return Horloge::Instant{} +
         std::chrono::duration_cast<Horloge::Duree>(std::chrono::duration<double>(*secondes));
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

}  // namespace

std::string SecondesMachine(double secondes, int decimales) {
  char texte[48];
  std::snprintf(texte, sizeof texte, "%.*f", decimales, std::isfinite(secondes) ? secondes : 0.0);
  return texte;
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
  if (e.sautee) json += ",\"sautee\":true";
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
  const auto lu = LireJson(ligne);
  if (!lu || !lu->Membre("numero") || !lu->Membre("requete")) return std::nullopt;
  // The other fields as text, as the record wrote them; absent: empty.
  const auto champ = [&](const char* nom) {
    const ValeurJson* valeur = lu->Membre(nom);
    return valeur == nullptr ? std::string() : valeur->Scalaire();
  };
  ExecutionRequete e;
  const auto rang = LireEntierStrict(champ("numero"));
  const auto numeroLigne = LireEntierStrict(champ("ligne"));
  const auto debut = InstantDe(LireNombre(champ("debut")));
  const auto fin = InstantDe(LireNombre(champ("fin")));
  if (!rang || !debut || !fin || *fin < *debut) return std::nullopt;
  e.rang = *rang;
  e.ligne = numeroLigne.value_or(0);
  e.famille = champ("requete");
  e.titre = champ("titre");
  e.debut = *debut;
  e.fin = *fin;
  e.reussie = champ("reussie") == "true";
  // A record written before the outcome was kept: what "reussie" says, a failure a refusal.
  e.genre = LireGenreIssue(champ("issue"))
                .value_or(e.reussie ? GenreIssue::Reussie : GenreIssue::Refusee);
  // Its conditions when they are an array of objects; none otherwise.
  const ValeurJson* conditions = lu->Membre("conditions");
  if (conditions != nullptr &&
      std::all_of(conditions->elements.begin(), conditions->elements.end(),
                  [](const ValeurJson& c) { return c.Est(ValeurJson::Genre::Objet); })) {
    for (const ValeurJson& c : conditions->elements) {
      const auto valeur = [&c](const char* nom) {
        const ValeurJson* v = c.Membre(nom);
        return v == nullptr ? std::string() : v->Scalaire();
      };
      e.conditions.push_back({valeur("condition"), valeur("tenue") == "true", valeur("obtenu")});
    }
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
  e.sautee = champ("sautee") == "true";
  e.raison = champ("raison");
  e.ligneResultat = champ("resultat");
  e.ligneEtat = champ("etat");
  return e;
}

}  // namespace zef30
