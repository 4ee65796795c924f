#include "requests/PisteIso2.h"

#include <string>

#include "base/Texte.h"
#include "listening/EchangesEcoute.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Trame.h"
#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
constexpr NumerosEchec kNumeros{-300, -400};
// The card holder has a minute to swipe the card.
constexpr Horloge::Secondes kDelaiIso2 = std::chrono::seconds(60);

}  // namespace

ResultatRequete DemanderPisteIso2(Console& console, bool afficherHote) {
  console.etat.PisteIso2.clear();
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  const auto echange =
      EchangerDemISO2(console, std::string(DispositionDe(Message::DemandePisteIso2).debut),
                      kDelaiIso2, afficherHote);
  if (!echange) return echange.Erreur();
  const std::string& reponse = *echange;
  constexpr auto kReponse = Message::ReponsePisteIso2;
  const std::string statut = LireChamp<kReponse>("statut", reponse);
  if (statut.empty() || statut[0] < '0' || statut[0] > '9') return 1;
  const int chiffre = statut[0] - '0';
  if (chiffre == 0) {
    console.etat.PisteIso2 = LireChamp<kReponse>("piste", reponse);
  } else {
    console.fenetre.AfficherEtat("DemIso2", TraduireEtatIso2(statut));
  }
  return static_cast<std::int16_t>(chiffre);
}

IssueRequete Command5_Click(Console& console) {
  const SuiviIssue suivi(console);
  const ResultatRequete resultat = SousSablier(console.fenetre, [&] {
    return DemanderPisteIso2(console, console.fenetre.EcranHoteCoche());
  });
  std::string ligne =
      LigneResultat("Demande de piste ISO", NumeroResultat(resultat, kNumeros), "OK", "PAS OK");
  console.fenetre.AjouterLigne(ligne);
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, Cp1252VersUtf8(console.etat.PisteIso2));
  return suivi.ConclureCode(resultat, kNumeros, std::move(ligne));
}

}  // namespace zef30
