#include "simulator/ClesPaiement.h"

#include "base/Texte.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

namespace {

Lecteur Pause(double ScenarioPaiement::*champ) {
  return [=](Scenario& s, std::string_view v) { return LireSecondes(v, 600, s.paiement.*champ); };
}

// Exactly `largeur` characters (bytes written as for every scenario text); with `vide`, also
// the empty text.
Lecteur Champ(std::string ScenarioPaiement::*champ, std::size_t largeur, bool vide = false) {
  return [=](Scenario& s, std::string_view v) -> Resultat<void> {
    std::string octets;
    if (auto lu = LireOctets(v, octets); !lu) return lu;
    if (octets.size() != largeur && !(vide && octets.empty())) {
      return Invalide(std::to_string(largeur) + " caractère(s) attendu(s)" +
                      (vide ? " ou rien" : ""));
    }
    s.paiement.*champ = std::move(octets);
    return {};
  };
}

// One of two words.
Lecteur Deux(bool ScenarioPaiement::*champ, std::string_view oui, std::string_view non) {
  return [=](Scenario& s, std::string_view v) {
    return LireDeux(SansBlancs(v), oui, non, s.paiement.*champ);
  };
}

}  // namespace

std::vector<CleScenario> ClesPaiement() {
  return {
      {"paiement.ecran-hote", "oui|non",
       "afficheur montré à la console pendant un paiement, comme « Ecran Hote » (oui)",
       Deux(&ScenarioPaiement::ecranHote, "oui", "non")},
      {"paiement.pause-carte", "SECONDES", "le porteur introduit sa carte (1.5)",
       Pause(&ScenarioPaiement::pauseCarte)},
      {"paiement.pause-code", "SECONDES", "le porteur tape son code (2)",
       Pause(&ScenarioPaiement::pauseCode)},
      {"paiement.pause-reponse", "SECONDES", "le terminal répond (1)",
       Pause(&ScenarioPaiement::pauseReponse)},
      {"paiement.validite", "X", "état de la réponse de validité, 0 : acceptée (0)",
       Champ(&ScenarioPaiement::statutValidite, 1)},
      {"paiement.diagnostic", "XX", "diagnostic de la réponse de validité (00)",
       Champ(&ScenarioPaiement::diagnostic, 2)},
      {"paiement.enregistrement", "X",
       "état imposé à tout enregistrement ; vide : selon les dossiers ouverts (vide)",
       Champ(&ScenarioPaiement::statutEnregistrement, 1, true)},
      {"paiement.carte", "XXXXXXXXXXXXXXXX", "numéro de la carte (4970100000001234)",
       Champ(&ScenarioPaiement::carte, 16)},
      {"paiement.fin-validite", "AAMM", "fin de validité de la carte (2907)",
       Champ(&ScenarioPaiement::finValidite, 4)},
      {"paiement.autorisation", "XXXXXX", "numéro d’autorisation (A1B2C3)",
       Champ(&ScenarioPaiement::autorisation, 6)},
      {"paiement.application", "CBEMV|CB", "application des nouveaux dossiers (CBEMV)",
       [](Scenario& s, std::string_view v) -> Resultat<void> {
         const std::string_view mot = SansBlancs(v);
         if (mot != "CBEMV" && mot != "CB") return Invalide("CBEMV ou CB attendu");
         s.paiement.application = std::string(mot);
         return {};
       }},
      {"paiement.ordre", "cbemv-cb|cb-cbemv", "ordre des blocs de la liste des dossiers",
       Deux(&ScenarioPaiement::cbDabord, "cb-cbemv", "cbemv-cb")},
  };
}

}  // namespace zef30::simulateur
