#include "requests/Switch.h"

#include <string>

#include "base/Texte.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Trame.h"
#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
constexpr const char* kContexte = "DemSwi";
// One number for every failure, each told as a terminal not ready.
constexpr NumerosEchec kNumeros{-400, -400};
constexpr std::int32_t kSeuilNonDisponible = 1000;
}  // namespace

ResultatRequete DemanderSwitch(Console& console) {
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  const auto echange =
      console.liaison.Echanger(std::string(DispositionDe(Message::DemandeSwitch).debut),
                               LongueurTrame<Message::ReponseSwitch>(), kDelaiReponse);
  if (!echange) return echange.Erreur();
  const std::string& reponse = *echange;

  Fenetre& fenetre = console.fenetre;
  constexpr auto kReponse = Message::ReponseSwitch;
  const std::string disponibilite = LireChamp<kReponse>("disponibilité", reponse);
  const std::string carte = LireChamp<kReponse>("carte présente", reponse);
  const std::string travaux = LireChamp<kReponse>("travaux", reponse);
  const std::string securite = LireChamp<kReponse>("sécurité", reponse);

  if (const std::string texte = TraduireSecuriteSwitch(securite); !texte.empty()) {
    fenetre.AfficherEtat(kContexte, texte);
    return -403;
  }
  if (const std::string texte = TraduireTravauxSwitch(travaux); !texte.empty()) {
    fenetre.AfficherEtat(kContexte, texte);
    return -404;
  }
  if (disponibilite == "2") {
    fenetre.AfficherEtat(kContexte, TraduireDisponibiliteSwitch(disponibilite));
    return -405;
  }
  if (disponibilite == "1") {
    // Only every thousandth such answer is worth the operator's attention.
    if (++console.etat.CompteurNonDisponible >= kSeuilNonDisponible) {
      console.etat.CompteurNonDisponible = 0;
      fenetre.AfficherEtat(kContexte, TraduireDisponibiliteSwitch(disponibilite));
    }
    return -405;
  }
  if (carte == "1") return 0;
  if (carte == "0") return 1;
  return Invalide({});
}

std::int16_t NumeroSwitch(const ResultatRequete& resultat) {
  return NumeroResultat(resultat, kNumeros);
}

IssueRequete cmdDemSwi_Click(Console& console) {
  const SuiviIssue suivi(console);
  const ResultatRequete resultat =
      SousSablier(console.fenetre, [&] { return DemanderSwitch(console); });
  return suivi.ConclureLigne(resultat, kNumeros, "Demande de Switch", "Carte présente",
                             "Carte non-présente");
}

}  // namespace zef30
