#include "requests/Validite.h"

#include <cmath>
#include <string>

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "listening/EchangesEcoute.h"
#include "protocol/TablesResultats.h"
#include "receipts/Tickets.h"
#include "requests/LigneResultat.h"
#include "requests/Paiement.h"

namespace zef30 {

namespace {
constexpr const char* kContexte = "DemVal";
constexpr const char* kRefus = "Carte refusée DemVal";
constexpr NumerosEchec kNumeros{-700, -700};
constexpr Horloge::Secondes kDelaiValidite = std::chrono::seconds(180);

// Exchanges `message`, listened to or read directly; a failure when the terminal was not ready.
template <typename Ecoute, typename Direct>
Resultat<std::string> Echanger(Console& console, const std::string& message, bool ecouter,
                               Ecoute ecoute, Direct direct) {
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  return TexteReponse(ecouter ? ecoute(console, message, kDelaiValidite)
                              : (console.liaison.*direct)(message, kDelaiValidite));
}

// A listening that gave nothing, or a line lost meanwhile: no answer to read as a refusal.
bool SansReponse(Console& console, const std::string& reponse) {
  if (!reponse.empty() && !console.liaison.LignePerdue()) return false;
  ExpliquerSansReponse(console, kContexte);
  return true;
}

void ExpliquerRefus(Fenetre& fenetre, const std::string& reponse, Message message) {
  // Both forms of the answer hold them at the same places, under the same names.
  const Disposition& d = DispositionDe(message);
  const NomChampConnu statut = NomChamp<Message::ReponseValidite>("statut");
  const NomChampConnu diagnostic = NomChamp<Message::ReponseValiditeForfait>("diagnostic");
  fenetre.AfficherEtat(kRefus, "Cause: " + TraduireEtatDemVal(LireChamp(d, statut, reponse)) +
                                   " - " + TraduireDiagnostic(LireChamp(d, diagnostic, reponse)));
}
}  // namespace

ResultatRequete DemanderValidite(Console& console, bool ecouter) {
  const auto champs = PreparerPaiement(console, kContexte, true);
  if (!champs) return Invalide({});
  const std::string message = ComposerMessage<Message::DemandeValidite>(
      {{"montant", champs->prix}, {"dossier", champs->dossier}});
  const auto reponse =
      Echanger(console, message, ecouter, EchangerDemVal, &Liaison::EchangerReponseLongue);
  if (!reponse) return reponse.Erreur();
  if (SansReponse(console, *reponse)) return 1;

  const Disposition& d = DispositionDe(Message::ReponseValidite);
  const std::string statut = LireChamp<Message::ReponseValidite>("statut", *reponse);
  if (statut == "0") {
    ReleverCarte(console.etat, *reponse, d);
    console.etat.TexteTicket = ConstruireTicketValidite(*reponse);
    return 0;
  }
  console.fenetre.AfficherEtat(kRefus, Cp1252VersUtf8(*reponse));
  ExpliquerRefus(console.fenetre, *reponse, Message::ReponseValidite);
  if (statut == "F") {
    if (const std::string indice = console.fichiers.IndiceDossierDejaConnu(); !indice.empty()) {
      console.fenetre.DonnerIndice(indice);
    }
  }
  return statut == "1" || statut == "9" || statut == "F" ? 2 : 1;
}

ResultatRequete DemanderValiditeForfait(Console& console, bool ecouter) {
  // An accepted flat amount carries no card and no receipt: whatever an earlier payment left
  // must not be shown or logged as if it were this one's.
  const auto champs = PreparerPaiement(console, kContexte, false);
  if (!champs) return Invalide({});
  const std::string message =
      ComposerMessage<Message::DemandeValiditeForfait>({{"montant", champs->prix}});
  const auto reponse =
      Echanger(console, message, ecouter, EchangerDemVal2, &Liaison::EchangerValiditeForfait);
  if (!reponse) return reponse.Erreur();
  if (SansReponse(console, *reponse)) return 1;
  if (LireChamp<Message::ReponseValiditeForfait>("statut", *reponse) == "0") return 0;
  ExpliquerRefus(console.fenetre, *reponse, Message::ReponseValiditeForfait);
  return 1;
}

void FixerPrix(EtatConsole& etat, double prix) { etat.Prix = prix; }

IssueRequete cmdDemVal_Click(Console& console) {
  const SuiviIssue suivi(console);
  Fenetre& fenetre = console.fenetre;
  ResultatRequete resultat = 0;
  {
    Sablier sablier(fenetre);
    fenetre.AfficherEtat("", "");
    fenetre.EffacerCarte();
    const bool ecouter = fenetre.EcranHoteCoche();
    if (!fenetre.ModeVenteChoisi()) {
      const std::string numero = console.fichiers.NouveauNumeroDossier();
      console.etat.NumeroDossier = LireNombre(numero).value_or(0);
      fenetre.EcrireTexte(ZoneTexte::Text2, numero);
      resultat = DemanderValidite(console, ecouter);
    } else {
      resultat = DemanderValiditeForfait(console, ecouter);
    }
  }
  const std::int16_t code = NumeroResultat(resultat, kNumeros);
  std::string ligne = LigneResultat("Demande de Validité", code, "OK", "Pas OK");
  fenetre.AjouterLigne(ligne);
  if (code == 0) MontrerTicket(console);
  return suivi.ConclureCode(resultat, kNumeros, std::move(ligne));
}

IssueRequete cmdSetPrix_Click(Console& console) {
  const SuiviIssue suivi(console);
  const std::string texte = console.fenetre.LireTexte(ZoneTexte::TextPrix);
  const auto prix = LireEntierSaisi(texte, kPrixMaximal);
  if (!prix) {
    console.fenetre.AfficherEtat("Prix", "« " + texte +
                                             " » n’est pas un prix en centimes de 0 à 99999999 : "
                                             "le prix reste " +
                                             EnDecimal(console.etat.Prix));
    return suivi.Conclure(false, true, "");
  }
  FixerPrix(console.etat, *prix);
  std::string ligne = "Prix fixé = " + texte;
  console.fenetre.AjouterLigne(ligne);
  return suivi.Conclure(true, false, std::move(ligne));
}

}  // namespace zef30
