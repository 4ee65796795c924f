#include "requests/Telecollecte.h"

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "listening/EchangesEcoute.h"
#include "protocol/DispositionsMessages.h"
#include "requests/LigneResultat.h"
#include "requests/RapportsTerminal.h"

namespace zef30 {

namespace {
constexpr NumerosEchec kNumeros{-500, -500};
// The terminal calls every acquirer in turn before it answers.
constexpr Horloge::Secondes kDelaiTelecollecte = std::chrono::seconds(900);
constexpr long kTailleBloc = 193;
constexpr long kTailleRemise = 40;

// Line 9 and the remittances of one block; the next block follows the last remittance.
long SuiteBlocTelecollecte(std::string_view reponse, long o, std::string& texte,
                           const FormatMontant& format) {
  const std::string brut = Extraire(reponse, o + 204, 1);
  const auto lu = LireCompte(brut);
  const int remises = lu.value_or(0);
  AjouterLigneRapport(texte,
                      "NB REMISE: " + (lu ? ChampRapport(reponse, o + 204, 1) : Illisible(brut)));
  for (int r = 0; r < remises; ++r) {
    const long debut = o + 205 + kTailleRemise * r;
    const auto champ = [&](long decalage, long longueur) {
      return ChampRapport(reponse, debut + decalage, longueur);
    };
    const std::string montantBrut = Extraire(reponse, debut + 21, 12);
    const auto montant = FormaterMontant(montantBrut, format);
    AjouterLigneRapport(texte, "No acquereur :" + champ(0, 6));
    AjouterLigneRapport(texte, "No Remise: " + champ(6, 6));
    AjouterLigneRapport(texte, "Nb Transaction : " + champ(12, 6));
    AjouterLigneRapport(texte, "MONTANT TRANSACTION = ");
    AjouterLigneRapport(texte,
                        "\t" + (montant ? *montant : Illisible(montantBrut)) + " " + champ(18, 3));
    AjouterLigneRapport(texte, "Nb Trans non aboutie: " + champ(34, 6));
    AjouterLigneRapport(texte, "");
  }
  AjouterLigneRapport(texte, "");
  return kTailleBloc + kTailleRemise * remises;
}
}  // namespace

std::string ConstruireRapportTelecollecte(std::string_view reponse, const FormatMontant& format) {
  return ConstruireRapport(reponse, [&](std::string_view r, long o, std::string& texte) {
    return SuiteBlocTelecollecte(r, o, texte, format);
  });
}

std::optional<std::string> JugerTelecollecte(std::string_view reponse) {
  constexpr auto kReponse = Message::ReponseTelecollecte;
  const auto champ = [&](NomChamp<kReponse> nom) { return LireChamp<kReponse>(nom, reponse); };
  const std::string nombre = champ("nombre d’acquéreurs");
  const bool deux = nombre == "02";
  const std::string code1 = champ("code 1");
  const std::string code2 = deux ? champ("code 2") : std::string();
  const bool tousOk = code1 == "0" && (nombre == "01" || (deux && code2 == "0"));
  if (champ("statut") == "0" && tousOk) return std::nullopt;
  // With one acquirer, the characters after its code close the frame: no second acquirer. Any
  // other count may stand before a real second number.
  const std::string acquereur2 =
      nombre == "01" ? std::string() : Cp1252VersUtf8(champ("acquéreur 2"));
  return Cp1252VersUtf8(champ("acquéreur 1")) + " : " + TraduireCodeTelecollecte(code1) + " - " +
         acquereur2 + " : " + TraduireCodeTelecollecte(code2);
}

ResultatRequete DemanderTelecollecte(Console& console, bool afficherHote) {
  // What an earlier request left there is not this tele-collection's.
  console.etat.TexteTicket.clear();
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  const std::string reponse = TexteReponse(
      EchangerDemTC(console, std::string(DispositionDe(Message::DemandeTelecollecte).debut),
                    kDelaiTelecollecte, afficherHote));
  const auto detail = JugerTelecollecte(reponse);
  if (!detail) return 0;
  console.fenetre.AfficherEtat("Télécollecte", *detail);
  return 1;
}

ResultatRequete DemanderTicketTelecollecte(Console& console) {
  return DemanderRapport(
      console, {Message::DemandeRapportTelecollecte, Message::ReponseRapportTelecollecte, "DemTIC",
                "télécollecte incomplète",
                [](std::string_view reponse) { return ConstruireRapportTelecollecte(reponse); }});
}

IssueRequete cmdDemTC_Click(Console& console) {
  const SuiviIssue suivi(console);
  const ResultatRequete resultat = SousSablier(console.fenetre, [&] {
    return DemanderTelecollecte(console, console.fenetre.EcranHoteCoche());
  });
  const std::string texte = Cp1252VersUtf8(console.etat.TexteTicket);
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, texte);
  console.fichiers.JournaliserTexte(texte);
  return suivi.ConclureLigne(resultat, kNumeros, "Télécollecte", "OK", "Pas Ok");
}

IssueRequete cmdDemTic_Click(Console& console) {
  return MontrerRapport(console, &DemanderTicketTelecollecte, "Demande de ticket = OK",
                        "Demande de ticket telecol = Erreur n°");
}

}  // namespace zef30
