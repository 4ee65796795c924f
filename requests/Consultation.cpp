#include "requests/Consultation.h"

#include "base/Texte.h"

namespace zef30 {

namespace {
constexpr int kNombreApplications = 4;
constexpr int kDebutApplications = 24;
constexpr int kTailleApplication = 19;

std::string Champ(const std::string& reponse, long position, long longueur) {
  return Cp1252VersUtf8(Extraire(reponse, position, longueur));
}
}  // namespace

std::string DemanderConsultation(Console& console) {
  if (!console.liaison.AttendreTerminalPret()) return "-400";
  return console.liaison.Echanger("AJ00202", 102, kDelaiReponse);
}

std::vector<std::string> LignesConsultation(const std::string& reponse) {
  std::vector<std::string> lignes;
  lignes.push_back("No Serie: " + Champ(reponse, 10, 12));
  lignes.push_back("Nb application: " + Champ(reponse, 22, 2));
  // Four records always, whatever count the terminal announces.
  for (int k = 0; k < kNombreApplications; ++k) {
    const long b = kDebutApplications + kTailleApplication * k;
    lignes.push_back("---------");
    lignes.push_back("APP: " + Champ(reponse, b, 6));
    lignes.push_back("Vers: " + Champ(reponse, b + 6, 7));
    lignes.push_back("Checksum: " + Champ(reponse, b + 13, 4));
    const std::string etat = Caractere(reponse, b + 17);
    if (etat == "0") lignes.push_back("Etat:  initialisé");
    if (etat == "1") lignes.push_back("Etat:  pas initialisé");
    const std::string fichier = Caractere(reponse, b + 18);
    if (fichier == "0") lignes.push_back("Etat fichier:  vide ");
    if (fichier == "1") lignes.push_back("Etat fichier:  non vide");
    if (fichier == "2") lignes.push_back("Etat fichier:  plein");
  }
  return lignes;
}

void cmdDemConsult_Click(Console& console) {
  const std::string reponse = DemanderConsultation(console);
  for (const auto& ligne : LignesConsultation(reponse)) console.fenetre.AjouterLigne(ligne);
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, Cp1252VersUtf8(reponse));
}

}  // namespace zef30
