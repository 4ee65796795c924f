#include "simulator/ClesSoins.h"

#include "base/Texte.h"
#include "simulator/LectureScenario.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

namespace {

// The longest data a report answer can announce in its three-digit length field, less its
// status, two unread characters and block count.
constexpr std::size_t kDonneesRapportMax = 999 - 5;

Lecteur Texte(std::string ScenarioSoins::*champ, std::size_t largeur) {
  return [=](Scenario& s, std::string_view valeur) -> Resultat<void> {
    std::string octets;
    if (!DecoderOctets(valeur, octets) || octets.size() != largeur) {
      return Invalide(std::to_string(largeur) + " caractère(s) attendu(s), \\xHH pour un octet");
    }
    s.soins.*champ = std::move(octets);
    return {};
  };
}

Lecteur Element(std::array<std::string, 2> ScenarioSoins::*champ, std::size_t i,
                std::size_t largeur) {
  return [=](Scenario& s, std::string_view valeur) -> Resultat<void> {
    if (valeur.size() != largeur)
      return Invalide(std::to_string(largeur) + " caractère(s) attendu(s)");
    (s.soins.*champ)[i] = std::string(valeur);
    return {};
  };
}

Lecteur Entier(int ScenarioSoins::*champ, int minimum, int maximum) {
  return [=](Scenario& s, std::string_view valeur) {
    return LireEntier(SansBlancs(valeur), minimum, maximum, s.soins.*champ);
  };
}

// "2,1": one block per number, each with that many records; the whole must fit one answer.
Lecteur Blocs(std::vector<int> ScenarioSoins::*champ, int maximum, std::size_t tailleBloc,
              std::size_t tailleElement) {
  return [=](Scenario& s, std::string_view valeur) -> Resultat<void> {
    std::vector<int> nombres;
    std::size_t total = 0;
    const std::string_view liste = SansBlancs(valeur);
    for (std::size_t debut = 0; debut <= liste.size() && !liste.empty();) {
      auto fin = liste.find(',', debut);
      if (fin == std::string_view::npos) fin = liste.size();
      const auto n = LireEntierStrict(SansBlancs(liste.substr(debut, fin - debut)));
      if (!n || *n > maximum) {
        return Invalide("des nombres de 0 à " + std::to_string(maximum) +
                        " séparés par des virgules");
      }
      nombres.push_back(*n);
      total += tailleBloc + tailleElement * static_cast<std::size_t>(*n);
      debut = fin + 1;
    }
    if (total > kDonneesRapportMax) return Invalide("trop long pour une réponse (999 au plus)");
    s.soins.*champ = std::move(nombres);
    return {};
  };
}

}  // namespace

std::vector<CleScenario> ClesSoins() {
  using S = ScenarioSoins;
  return {
      {"pause", "SECONDES", "avant chaque écran pendant l’appel ou l’attente de carte (1)",
       [](Scenario& s, std::string_view v) { return LireSecondes(v, 600, s.soins.pause); }},
      {"tc.statut", "X", "état de la réponse à la télécollecte (0)",
       Texte(&S::statutTelecollecte, 1)},
      {"tc.acquereurs", "1|2", "nombre d’acquéreurs télécollectés (2)",
       Entier(&S::acquereurs, 1, 2)},
      {"tc.acquereur1", "XXXXXX", "numéro du premier acquéreur (000001)",
       Element(&S::numerosAcquereurs, 0, 6)},
      {"tc.acquereur2", "XXXXXX", "numéro du second (000002)",
       Element(&S::numerosAcquereurs, 1, 6)},
      {"tc.code1", "X", "code du premier : 0 OK, 1 incomplète, 2 appel erroné, 3 pas d’appel (0)",
       Element(&S::codesTelecollecte, 0, 1)},
      {"tc.code2", "X", "code du second (0)", Element(&S::codesTelecollecte, 1, 1)},
      {"tc.ecrans", "N", "écrans pendant l’appel à la banque (2)",
       Entier(&S::ecransTelecollecte, 0, 50)},
      {"tc.rapport", "oui|non", "un compte rendu avant la réponse (oui)",
       [](Scenario& s, std::string_view v) {
         return LireDeux(SansBlancs(v), "oui", "non", s.soins.rapportTelecollecte);
       }},
      {"rapport.statut", "X", "état du ticket de télécollecte AJ00203 (0)",
       Texte(&S::statutRapport, 1)},
      {"rapport.code", "X", "code de la dernière télécollecte (0)", Texte(&S::codeRapport, 1)},
      {"rapport.remises", "N,N...", "un bloc par nombre, avec autant de remises, 0 à 9 (2,1)",
       Blocs(&S::remisesParBloc, 9, 193, 40)},
      {"rapport.montant", "12 CHIFFRES", "montant de chaque remise en centimes (000000012345)",
       Texte(&S::montant, 12)},
      {"teleparam.statut", "X", "état de la réponse AJ00205 (0)", Texte(&S::statutTeleParam, 1)},
      {"teleparam.code", "X", "code du dernier téléparamétrage (0)", Texte(&S::codeTeleParam, 1)},
      {"teleparam.tables", "N,N...", "un bloc par nombre, avec autant de tables (3,1)",
       Blocs(&S::tablesParBloc, 99, 204, 6)},
      {"teleparam.init", "X", "0 : application non initialisée (1)", Texte(&S::initialisee, 1)},
      {"teleparam.actif", "X", "0 : application non active (1)", Texte(&S::active, 1)},
      {"iso2.statut", "X", "état de la lecture de piste ISO 2 (0)", Texte(&S::statutIso2, 1)},
      {"iso2.piste", "PISTE", "la piste ISO 2 lue, 40 caractères", Texte(&S::piste, 40)},
      {"iso2.ecrans", "N", "écrans avant la réponse, 0 pour une console sans écoute (2)",
       Entier(&S::ecransIso2, 0, 50)},
      {"heure.verdict", "X", "réponse à la mise à l’heure, 0 acceptée (0)",
       Texte(&S::verdictHeure, 1)},
      {"vitesse.verdict", "X", "réponse au changement de vitesse, 0 accepté (0)",
       Texte(&S::verdictVitesse, 1)},
  };
}

}  // namespace zef30::simulateur
