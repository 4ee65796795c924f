#include "requests/Consultation.h"

#include "base/Texte.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Trame.h"
#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
// Four records always, whatever count the terminal announces.
constexpr int kNombreApplications = 4;
constexpr NumerosEchec kNumeros{-400, -400};
constexpr auto kReponse = Message::ReponseConsultation;

bool SansTerminalPret(const Resultat<std::string>& reponse) {
  return !reponse && reponse.Erreur().genre == GenreEchec::PasPret;
}
}  // namespace

Resultat<std::string> DemanderConsultation(Console& console) {
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  return console.liaison.Echanger(std::string(DispositionDe(Message::DemandeConsultation).debut),
                                  LongueurTrame<Message::ReponseConsultation>(), kDelaiReponse);
}

std::string TexteConsultation(const Resultat<std::string>& reponse) {
  return SansTerminalPret(reponse) ? std::to_string(kNumeros.pasPret) : TexteReponse(reponse);
}

std::vector<std::string> LignesConsultation(const std::string& reponse) {
  const auto champ = [&](NomChamp<kReponse> nom) {
    return Cp1252VersUtf8(LireChamp<kReponse>(nom, reponse));
  };
  std::vector<std::string> lignes;
  lignes.push_back("No Serie: " + champ("numéro de série"));
  lignes.push_back("Nb application: " + champ("nombre d’applications"));
  for (int k = 0; k < kNombreApplications; ++k) {
    const auto application = [&](NomChampGroupe<kReponse> nom) {
      return LireChampGroupe<kReponse>(nom, k, reponse);
    };
    lignes.push_back("---------");
    lignes.push_back("APP: " + Cp1252VersUtf8(application({"application", "nom"})));
    lignes.push_back("Vers: " + Cp1252VersUtf8(application({"application", "version"})));
    lignes.push_back("Checksum: " + Cp1252VersUtf8(application({"application", "checksum"})));
    const std::string etat = TraduireEtatApplication(application({"application", "état"}));
    if (!etat.empty()) lignes.push_back("Etat:  " + etat);
    const std::string fichier = TraduireEtatFichier(application({"application", "fichier"}));
    if (!fichier.empty()) lignes.push_back("Etat fichier:  " + fichier);
  }
  return lignes;
}

IssueRequete cmdDemConsult_Click(Console& console) {
  const SuiviIssue suivi(console);
  const auto demande = DemanderConsultation(console);
  const std::string reponse = TexteConsultation(demande);
  const std::vector<std::string> lignes = LignesConsultation(reponse);
  for (const auto& ligne : lignes) console.fenetre.AjouterLigne(ligne);
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, Cp1252VersUtf8(reponse));
  // It shows its lines whatever came back: only an answer frame says that the terminal answered.
  const bool repondu = reponse.starts_with(STX);
  IssueRequete issue = suivi.Conclure(repondu, SansTerminalPret(demande), lignes.front());
  if (repondu) {
    issue.numeroSerie = Cp1252VersUtf8(LireChamp<kReponse>("numéro de série", reponse));
  }
  return issue;
}

}  // namespace zef30
