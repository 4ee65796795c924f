#include "requests/Enregistrement.h"

#include <string>

#include "link/Texte.h"
#include "listening/EchangesEcoute.h"
#include "receipts/Tickets.h"
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
  console.fenetre.AjouterLigne(LigneResultat("Demande d'enregistrement", resultat));
  if (resultat == 0) MontrerTicket(console);
}
}  // namespace

std::int16_t DemanderEnregistrement(Console& console, bool ecouter) {
  EtatConsole& etat = console.etat;
  etat.DateValiditeCarte.clear();
  etat.NumeroCarte.clear();
  etat.TexteTicket.clear();
  const auto prix = ChampPrix(console, kContexte);
  const auto dossier = prix ? ChampDossier(console, kContexte) : std::nullopt;
  if (!dossier) return kPasEnvoye;
  if (!console.liaison.AttendreTerminalPret()) return kPasEnvoye;
  // The header "AL011" stays the same with a dossier, though 24 characters follow it.
  int attendu = kLongueurReponse;
  const std::string reponse = EchangerDemEnr(console, "AL011" + *prix + "978" + *dossier + "1",
                                             attendu, kDelaiReponse, ecouter);
  const std::string statut = Caractere(reponse, 7);
  if (statut == "0") {
    ReleverCarte(etat, reponse, 188, 211);
    etat.TexteTicket = ConstruireTicketEnregistrement(reponse, 29);
    return 0;
  }
  if (statut == "6") {
    console.fenetre.AfficherEtat(kContexte, "OK: " + TraduireEtatDemEnr(statut));
    return 0;
  }
  return Refuser(console.fenetre, statut);
}

std::int16_t DemanderEnregistrementSimple(Console& console) {
  EtatConsole& etat = console.etat;
  etat.DateValiditeCarte.clear();
  etat.NumeroCarte.clear();
  const auto prix = ChampPrix(console, kContexte);
  if (!prix) return kPasEnvoye;
  if (!console.liaison.AttendreTerminalPret()) return kPasEnvoye;
  const std::string reponse = console.liaison.EchangerEnregistrement(
      "AL011" + *prix + "978", kLongueurReponse, kDelaiReponse);
  const std::string statut = Caractere(reponse, 7);
  if (statut != "0") return Refuser(console.fenetre, statut);
  ReleverCarte(etat, reponse, 176, 199);
  etat.TexteTicket = ConstruireTicketEnregistrementSimple(reponse);
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
