#include "requests/Enregistrement.h"

#include <string>

#include "base/Texte.h"
#include "listening/EchangesEcoute.h"
#include "protocol/TablesResultats.h"
#include "receipts/Tickets.h"
#include "requests/LigneResultat.h"
#include "requests/Paiement.h"
#include "requests/Validite.h"

namespace zef30 {

namespace {
constexpr const char* kContexte = "DemEnr";
constexpr NumerosEchec kNumeros{-200, -200};
constexpr int kLongueurReponse = 364;

std::int16_t Refuser(Fenetre& fenetre, const std::string& statut) {
  fenetre.AfficherEtat("Carte refusée DemEnr", "Cause: " + TraduireEtatDemEnr(statut));
  return 1;
}

// The line and, when registered, the receipt of either handler.
IssueRequete Conclure(Console& console, const SuiviIssue& suivi, const ResultatRequete& resultat) {
  const std::int16_t code = NumeroResultat(resultat, kNumeros);
  std::string ligne = LigneResultat("Demande d'enregistrement", code, "OK", "Pas OK");
  console.fenetre.AjouterLigne(ligne);
  if (code == 0) MontrerTicket(console);
  return suivi.ConclureCode(resultat, kNumeros, std::move(ligne));
}
}  // namespace

ResultatRequete DemanderEnregistrement(Console& console, bool ecouter) {
  const auto champs = PreparerPaiement(console, kContexte, true);
  if (!champs) return Invalide({});
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  // The header "AL011" stays the same with a dossier, though 24 characters follow it.
  const std::string message = ComposerMessage<Message::DemandeEnregistrement>(
      {{"montant", champs->prix}, {"dossier", champs->dossier}});
  const std::string reponse =
      TexteReponse(EchangerDemEnr(console, message, kLongueurReponse, kDelaiReponse, ecouter));
  // A listening that gave nothing, or a line lost meanwhile: no answer to read as a refusal.
  if ((ecouter && reponse.empty()) || console.liaison.LignePerdue()) {
    ExpliquerSansReponse(console, kContexte);
    return 1;
  }
  const Disposition& d = DispositionDe(Message::ReponseEnregistrement);
  const std::string statut = LireChamp<Message::ReponseEnregistrement>("statut", reponse);
  if (statut == "0") {
    ReleverCarte(console.etat, reponse, d);
    console.etat.TexteTicket =
        ConstruireTicketEnregistrement(reponse, DebutRecu<Message::ReponseEnregistrement>());
    return 0;
  }
  if (statut == "6") {
    console.fenetre.AfficherEtat(kContexte, "OK: " + TraduireEtatDemEnr(statut));
    return 0;
  }
  return Refuser(console.fenetre, statut);
}

ResultatRequete DemanderEnregistrementSimple(Console& console) {
  const auto champs = PreparerPaiement(console, kContexte, false);
  if (!champs) return Invalide({});
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  const std::string reponse = TexteReponse(console.liaison.Echanger(
      ComposerMessage<Message::DemandeEnregistrementSimple>({{"montant", champs->prix}}),
      kLongueurReponse, kDelaiReponse));
  if (console.liaison.LignePerdue()) {
    ExpliquerSansReponse(console, kContexte);
    return 1;
  }
  const Disposition& d = DispositionDe(Message::ReponseEnregistrementSimple);
  const std::string statut = LireChamp<Message::ReponseEnregistrementSimple>("statut", reponse);
  if (statut != "0") return Refuser(console.fenetre, statut);
  ReleverCarte(console.etat, reponse, d);
  console.etat.TexteTicket = ConstruireTicketEnregistrementSimple(reponse);
  return 0;
}

IssueRequete cmdDemEnr_Click(Console& console) {
  const SuiviIssue suivi(console);
  Fenetre& fenetre = console.fenetre;
  ResultatRequete resultat = 0;
  {
    Sablier sablier(fenetre);
    fenetre.EffacerCarte();
    const bool ecouter = fenetre.EcranHoteCoche();
    if (fenetre.ModeVenteChoisi()) {
      resultat = DemanderEnregistrementSimple(console);
    } else {
      if (!LireDossierSaisi(console, kContexte)) return suivi.Conclure(false, true, "");
      resultat = DemanderEnregistrement(console, ecouter);
    }
  }
  return Conclure(console, suivi, resultat);
}

IssueRequete Command3_Click(Console& console) {
  const SuiviIssue suivi(console);
  Fenetre& fenetre = console.fenetre;
  ResultatRequete resultat = 0;
  {
    Sablier sablier(fenetre);
    const bool ecouter = fenetre.EcranHoteCoche();
    fenetre.EffacerCarte();
    if (!LireDossierSaisi(console, kContexte)) return suivi.Conclure(false, true, "");
    // The price stays 0 until the operator sets it again.
    FixerPrix(console.etat, 0);
    resultat = DemanderEnregistrement(console, ecouter);
  }
  return Conclure(console, suivi, resultat);
}

}  // namespace zef30
