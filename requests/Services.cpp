#include "requests/Services.h"

#include <ctime>

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "listening/EchangesEcoute.h"
#include "protocol/DispositionsMessages.h"
#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
constexpr NumerosEchec kNumerosHeure{-500, -500};

// Accepted when an answer came and its status is "0".
template <Message M>
std::int16_t Verdict(const Resultat<std::string>& reponse) {
  return reponse && LireChamp<M>("statut", *reponse) == "0" ? 0 : 1;
}

std::string Formater(const std::tm& moment, const char* format) {
  char texte[16] = {};
  if (std::strftime(texte, sizeof texte, format, &moment) == 0) return {};
  return texte;
}
}  // namespace

std::string DemanderRedemarrage(Console& console) {
  if (!console.liaison.AttendreTerminalPret()) return {};
  return EchangerDemarrage(console, std::string(DispositionDe(Message::DemandeRedemarrage).debut),
                           kDelaiReponse)
      .ValeurOu({});
}

std::int16_t DemanderVitesse(Console& console, std::int16_t choix) {
  if (!console.liaison.AttendreTerminalPret()) return 1;
  const std::string message =
      ComposerMessage<Message::DemandeVitesse>({{"vitesse", choix == 1 ? "09600" : "19200"}});
  constexpr auto kReponse = Message::ReponseVitesse;
  return Verdict<kReponse>(
      console.liaison.Echanger(message, LongueurTrame<kReponse>(), kDelaiReponse));
}

ResultatRequete MettreAHeure(Console& console) {
  const std::tm maintenant = console.fichiers.MaintenantLocal();
  const std::string message = ComposerMessage<Message::DemandeHeure>(
      {{"date", Formater(maintenant, "%d%m%y")}, {"heure", Formater(maintenant, "%H%M%S")}});
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  constexpr auto kReponse = Message::ReponseHeure;
  return Verdict<kReponse>(
      console.liaison.Echanger(message, LongueurTrame<kReponse>(), kDelaiReponse));
}

IssueRequete Command6_Click(Console& console) {
  const SuiviIssue suivi(console);
  const std::string trace =
      SousSablier(console.fenetre, [&] { return DemanderRedemarrage(console); });
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, Cp1252VersUtf8(trace));
  // It shows no line: only what the terminal sent while it started again, nothing when it was
  // not ready or said nothing.
  return suivi.Conclure(!trace.empty(), !console.etat.DerniereEcoute, "");
}

IssueRequete cmdDemVitesse_Click(Console& console) {
  const SuiviIssue suivi(console);
  const std::int16_t resultat =
      SousSablier(console.fenetre, [&] { return DemanderVitesse(console, 9600); });
  std::string ligne = resultat == 0 ? "Demande = OK" : "Demande = Pas OK";
  console.fenetre.AjouterLigne(ligne);
  // Never a failure: a terminal not ready is one of its refusals (1).
  return suivi.ConclureCode(resultat, {}, std::move(ligne));
}

IssueRequete Command2_Click(Console& console) {
  const SuiviIssue suivi(console);
  return suivi.ConclureLigne(MettreAHeure(console), kNumerosHeure, "Mise à l'heure", "OK",
                             "Pas OK");
}

}  // namespace zef30
