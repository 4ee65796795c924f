#include "requests/Enregistrement.h"

#include <string>

#include "base/Texte.h"
#include "listening/EchangesEcoute.h"
#include "receipts/Tickets.h"
#include "requests/LigneResultat.h"
#include "requests/Paiement.h"
#include "requests/TablesResultats.h"
#include "requests/Validite.h"

namespace zef30 {

namespace {
constexpr const char* kContexte = "DemEnr";
constexpr std::int16_t kPasEnvoye = -200;
constexpr int kLongueurReponse = 364;

std::int16_t Refuser(Fenetre& fenetre, const std::string& statut) {
  fenetre.AfficherEtat("Carte refusée DemEnr", "Cause: " + TraduireEtatDemEnr(statut));
  return 1;
}

// The line and, when registered, the receipt of either handler.
void Conclure(Console& console, std::int16_t resultat) {
  console.fenetre.AjouterLigne(LigneResultat("Demande d'enregistrement", resultat, "OK", "Pas OK"));
  if (resultat == 0) MontrerTicket(console);
}
}  // namespace

std::int16_t DemanderEnregistrement(Console& console, bool ecouter) {
  const auto champs = PreparerPaiement(console, kContexte, true);
  if (!champs || !console.liaison.AttendreTerminalPret()) return kPasEnvoye;
  // The header "AL011" stays the same with a dossier, though 24 characters follow it.
  const std::string message =
      ComposerMessage(DispositionDe(Message::DemandeEnregistrement),
                      {{"montant", champs->prix}, {"dossier", champs->dossier}});
  const std::string reponse =
      EchangerDemEnr(console, message, kLongueurReponse, kDelaiReponse, ecouter);
  const Disposition& d = DispositionDe(Message::ReponseEnregistrement);
  const std::string statut = LireChamp(d, "statut", reponse);
  if (statut == "0") {
    ReleverCarte(console.etat, reponse, d);
    console.etat.TexteTicket = ConstruireTicketEnregistrement(reponse, 29);
    return 0;
  }
  if (statut == "6") {
    console.fenetre.AfficherEtat(kContexte, "OK: " + TraduireEtatDemEnr(statut));
    return 0;
  }
  return Refuser(console.fenetre, statut);
}

std::int16_t DemanderEnregistrementSimple(Console& console) {
  const auto champs = PreparerPaiement(console, kContexte, false);
  if (!champs || !console.liaison.AttendreTerminalPret()) return kPasEnvoye;
  const std::string reponse =
      console.liaison.Echanger(ComposerMessage(DispositionDe(Message::DemandeEnregistrementSimple),
                                               {{"montant", champs->prix}}),
                               kLongueurReponse, kDelaiReponse);
  const Disposition& d = DispositionDe(Message::ReponseEnregistrementSimple);
  const std::string statut = LireChamp(d, "statut", reponse);
  if (statut != "0") return Refuser(console.fenetre, statut);
  ReleverCarte(console.etat, reponse, d);
  console.etat.TexteTicket = ConstruireTicketEnregistrementSimple(reponse);
  return 0;
}

void cmdDemEnr_Click(Console& console) {
  Fenetre& fenetre = console.fenetre;
  std::int16_t resultat = 0;
  {
    Sablier sablier(fenetre);
    fenetre.EffacerCarte();
    const bool ecouter = fenetre.EcranHoteCoche();
    if (fenetre.ModeVenteChoisi()) {
      resultat = DemanderEnregistrementSimple(console);
    } else {
      if (!LireDossierSaisi(console, kContexte)) return;
      resultat = DemanderEnregistrement(console, ecouter);
    }
  }
  Conclure(console, resultat);
}

void Command3_Click(Console& console) {
  Fenetre& fenetre = console.fenetre;
  std::int16_t resultat = 0;
  {
    Sablier sablier(fenetre);
    const bool ecouter = fenetre.EcranHoteCoche();
    fenetre.EffacerCarte();
    if (!LireDossierSaisi(console, kContexte)) return;
    // The price stays 0 until the operator sets it again.
    FixerPrix(console.etat, 0);
    resultat = DemanderEnregistrement(console, ecouter);
  }
  Conclure(console, resultat);
}

}  // namespace zef30
