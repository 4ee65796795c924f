#include "protocol/DispositionsMessages.h"

#include <algorithm>

#include "base/Texte.h"
#include "protocol/TablesResultats.h"
#include "protocol/Trame.h"

namespace zef30 {

namespace {

using L = Lecture;

std::string Verdict(const std::string& code) { return code == "0" ? "acceptée" : "refusée"; }

std::string TexteDossierTrouve(const std::string& code) {
  return code == "1" ? "dossier trouvé" : "dossier absent";
}

std::string TexteSuite(const std::string& code) {
  return code == "1" ? "une autre trame suit" : "dernière trame";
}

std::string TexteTelecollecte(const std::string& code) { return TraduireCodeTelecollecte(code); }

// The status and the card of a payment answer, wherever its form puts them.
std::vector<ChampMessage> ChampsCarte(TexteCode statut, long carte, long date) {
  return {{"statut", 7, 1, L::Code, statut},
          {"carte", carte, 16, L::Carte},
          {"fin de validité", date, 4, L::Date}};
}

const ChampMessage kStatutVerdict{"statut", 7, 1, L::Code, &Verdict};
const ChampMessage kNombreBlocs{"nombre de blocs", 10, 2, L::Nombre};

TableDispositions Construire() {
  using M = Message;
  TableDispositions t = {
      {M::DemandeSwitch, "AA demande de switch", false, "AA000", 0, "", {}},
      {M::ReponseSwitch,
       "Aa réponse de switch",
       true,
       "Aa",
       0,
       "",
       {{"disponibilité", 7, 1, L::Code, &TraduireDisponibiliteSwitch},
        {"carte présente", 8, 1, L::Code, &TraduireCarteSwitch},
        {"travaux", 9, 1, L::Code, &TraduireTravauxSwitch},
        {"sécurité", 10, 1, L::Code, &TraduireSecuriteSwitch}}},
      {M::DemandeConsultation, "AJ consultation", false, "AJ00202", 0, "", {}},
      {M::ReponseConsultation,
       "Aj réponse de consultation",
       true,
       "Aj",
       0,
       "AJ00202",
       {{"numéro de série", 10, 12, L::Texte}, {"nombre d’applications", 22, 2, L::Nombre}},
       {{"application",
         24,
         19,
         4,
         {{"nom", 0, 6, L::Texte},
          {"version", 6, 7, L::Texte},
          {"checksum", 13, 4, L::Texte},
          {"état", 17, 1, L::Code, &TraduireEtatApplication},
          {"fichier", 18, 1, L::Code, &TraduireEtatFichier}}}}},
      {M::DemandeRedemarrage, "AU redémarrage", false, "AU000", 0, "", {}},
      {M::DemandeVitesse, "AJ vitesse", false, "AJ00701", 0, "", {{"vitesse", 8, 5, L::Nombre}}},
      {M::ReponseVitesse, "Aj réponse de vitesse", true, "Aj", 0, "AJ00701", {kStatutVerdict}},
      {M::DemandeHeure,
       "AS mise à l’heure",
       false,
       "AS012",
       0,
       "",
       {{"date", 6, 6, L::Nombre}, {"heure", 12, 6, L::Nombre}}},
      {M::ReponseHeure, "As réponse de mise à l’heure", true, "As", 0, "", {kStatutVerdict}},
      {M::DemandeEnregistrement,
       "AL enregistrement (dossier)",
       false,
       "AL011",
       29,
       "",
       {{"montant", 6, 8, L::Montant},
        {"devise", 14, 3, L::Devise, nullptr, "978"},
        {"dossier", 17, 12, L::Nombre},
        {"fin", 29, 1, L::Fixe, nullptr, "1"}}},
      {M::ReponseEnregistrement, "Al réponse d’enregistrement (dossier)", true, "Al", 29, "AL011",
       ChampsCarte(&TraduireEtatDemEnr, 188, 211)},
      {M::DemandeEnregistrementSimple,
       "AL enregistrement",
       false,
       "AL011",
       16,
       "",
       {{"montant", 6, 8, L::Montant}, {"devise", 14, 3, L::Devise, nullptr, "978"}}},
      {M::ReponseEnregistrementSimple, "Al réponse d’enregistrement", true, "Al", 16, "AL011",
       ChampsCarte(&TraduireEtatDemEnr, 176, 199)},
      {M::DemandeValidite,
       "AK validité (dossier)",
       false,
       "AK0290",
       0,
       "",
       {{"montant", 7, 8, L::Montant},
        {"forme", 15, 2, L::Fixe, nullptr, "10"},
        {"devise", 17, 3, L::Devise, nullptr, "978"},
        {"type", 20, 2, L::Fixe, nullptr, "2D"},
        {"dossier", 22, 12, L::Nombre},
        {"fin", 34, 1, L::Fixe, nullptr, "1"}}},
      {M::ReponseValidite,
       "Ak réponse de validité",
       true,
       "Ak",
       0,
       "AK0290",
       {{"statut", 7, 1, L::Code, &TraduireEtatDemVal},
        {"diagnostic", 8, 2, L::Code, &TraduireDiagnostic},
        {"carte", 193, 16, L::Carte},
        {"fin de validité", 216, 4, L::Date}}},
      {M::DemandeValiditeForfait,
       "AK validité (forfait)",
       false,
       "AK0160",
       0,
       "",
       {{"montant", 7, 8, L::Montant},
        {"forme", 15, 2, L::Fixe, nullptr, "30"},
        {"devise", 17, 3, L::Devise, nullptr, "978"},
        {"type", 20, 2, L::Fixe, nullptr, "2D"}}},
      {M::ReponseValiditeForfait,
       "Ak réponse de validité (forfait)",
       true,
       "Ak",
       0,
       "AK0160",
       {{"statut", 7, 1, L::Code, &TraduireEtatDemVal},
        {"diagnostic", 8, 2, L::Code, &TraduireDiagnostic}}},
      {M::DemandeTelecollecte, "AJ télécollecte", false, "AJ00204", 0, "", {}},
      {M::ReponseTelecollecte,
       "Aj réponse de télécollecte",
       true,
       "Aj",
       0,
       "AJ00204",
       {kStatutVerdict,
        {"nombre d’acquéreurs", 10, 2, L::Nombre},
        {"acquéreur 1", 12, 6, L::Texte},
        {"code 1", 18, 1, L::Code, &TexteTelecollecte},
        {"acquéreur 2", 19, 6, L::Texte},
        {"code 2", 25, 1, L::Code, &TexteTelecollecte}}},
      {M::DemandeRapportTelecollecte, "AJ rapport de télécollecte", false, "AJ00203", 0, "", {}},
      {M::ReponseRapportTelecollecte,
       "Aj rapport de télécollecte",
       true,
       "Aj",
       0,
       "AJ00203",
       {kStatutVerdict,
        kNombreBlocs,
        {"acquéreur", 12, 6, L::Texte},
        {"code", 18, 1, L::Code, &TexteTelecollecte},
        {"nombre de remises", 204, 1, L::Nombre}}},
      {M::DemandeTeleParam, "AJ état du téléparamétrage", false, "AJ00205", 0, "", {}},
      {M::ReponseTeleParam,
       "Aj état du téléparamétrage",
       true,
       "Aj",
       0,
       "AJ00205",
       {kStatutVerdict,
        kNombreBlocs,
        {"application", 12, 6, L::Texte},
        {"code", 18, 1, L::Nombre},
        {"nombre de tables", 214, 2, L::Nombre}}},
      {M::DemandeListeDossiers, "AJ liste des dossiers", false, "AJ00207", 0, "", {}},
      {M::ReponseListeDossiers,
       "Aj liste des dossiers",
       true,
       "Aj",
       0,
       "AJ00207",
       {kStatutVerdict,
        kNombreBlocs,
        {"application 1", 12, 6, L::Texte},
        {"dossiers 1", 18, 3, L::Nombre},
        {"application 2", 21, 6, L::Texte},
        {"dossiers 2", 27, 3, L::Nombre}}},
      {M::NumerosDossiers,
       "Aj numéros de dossiers",
       true,
       "Aj",
       0,
       "AJ00207",
       {{"suite", 10, 1, L::Code, &TexteSuite}},
       {{"dossier", 23, 12, 0, {{"numéro", 0, 12, L::Nombre}}}}},
      {M::DemandeInfoDossier,
       "AJ information de dossier",
       false,
       "AJ01408",
       0,
       "",
       {{"dossier", 8, 12, L::Nombre}}},
      {M::ReponseInfoDossier,
       "Aj information de dossier",
       true,
       "Aj",
       0,
       "AJ01408",
       {kStatutVerdict,
        {"dossier", 10, 1, L::Code, &TexteDossierTrouve},
        {"carte", 191, 16, L::Carte},
        {"fin de validité", 214, 4, L::Date}}},
      {M::DemandePisteIso2, "AG piste ISO 2", false, "AG000", 0, "", {}},
      {M::ReponsePisteIso2,
       "Ag réponse de piste ISO 2",
       true,
       "Ag",
       0,
       "",
       {{"statut", 7, 1, L::Code, &TraduireEtatIso2}, {"piste", 10, 40, L::Secret}}},
      {M::Affichage,
       "D affichage",
       true,
       "D",
       0,
       "",
       {{"ligne 1", 3, 16, L::Texte}, {"ligne 2", 19, 16, L::Texte}}},
      // A message of the terminal for the operator, as the console shows it in txtSelection.
      {M::Information, "I message", true, "I", 0, "", {{"texte", 3, kTrameMax, L::Texte}}},
  };
  return t;
}

}  // namespace

const TableDispositions& DispositionsConsole() {
  static const TableDispositions table = Construire();
  return table;
}

const Disposition& DispositionDe(Message message, const TableDispositions& table) {
  const auto indice = static_cast<std::size_t>(message);
  // A table made for a test may be shorter, or in another order.
  if (indice < table.size() && table[indice].message == message) return table[indice];
  for (const Disposition& disposition : table) {
    if (disposition.message == message) return disposition;
  }
  return DispositionsConsole()[indice];
}

const ChampMessage* TrouverChamp(const Disposition& disposition, std::string_view nom) {
  for (const ChampMessage& champ : disposition.champs) {
    if (champ.nom == nom) return &champ;
  }
  return nullptr;
}

std::string LireChamp(const Disposition& disposition, std::string_view nom,
                      std::string_view texte) {
  const ChampMessage* champ = TrouverChamp(disposition, nom);
  return champ ? Extraire(texte, champ->position, champ->longueur) : std::string();
}

std::string LireChampGroupe(const Disposition& disposition, std::string_view groupe, int k,
                            std::string_view nom, std::string_view texte) {
  for (const GroupeChamps& g : disposition.groupes) {
    if (g.nom != groupe) continue;
    for (const ChampMessage& champ : g.champs) {
      if (champ.nom == nom) {
        return Extraire(texte, g.debut + g.pas * k + champ.position, champ.longueur);
      }
    }
  }
  return {};
}

std::string ComposerMessage(const Disposition& disposition,
                            std::initializer_list<ValeurChamp> valeurs) {
  std::string message(disposition.debut);
  for (const ChampMessage& champ : disposition.champs) {
    std::string_view valeur = champ.attendu;
    for (const ValeurChamp& v : valeurs) {
      if (v.nom == champ.nom) valeur = v.valeur;
    }
    const auto debut = static_cast<std::size_t>(champ.position - 1);
    const std::size_t fin =
        debut + std::max(valeur.size(), static_cast<std::size_t>(champ.longueur));
    if (message.size() < fin) message.resize(fin, ' ');
    message.replace(debut, valeur.size(), valeur);
  }
  return message;
}

bool AffichageDeCode(std::string_view trame) {
  return trame.find("EUR") != std::string_view::npos &&
         trame.find("CODE") != std::string_view::npos;
}

std::string MasquerCarte(std::string_view numero) {
  const std::string_view chiffres = SansBlancs(numero);
  std::string texte;
  const std::size_t n = chiffres.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && i % 4 == 0) texte += ' ';
    const bool visible = n >= 11 && (i < 6 || i + 4 >= n);
    if (visible) {
      texte += Cp1252VersUtf8(chiffres.substr(i, 1));
    } else {
      texte += "•";
    }
  }
  return texte;
}

std::string TraduireDisponibiliteSwitch(const std::string& code) {
  if (code == "1") return "NON OK (ZEF30S non disponible)";
  if (code == "2") return "ZEF30S non disponible et switch maintenance positionné";
  return "disponible";
}

std::string TraduireCarteSwitch(const std::string& code) {
  if (code == "1") return "carte présente";
  if (code == "0") return "pas de carte";
  return {};
}

std::string TraduireTravauxSwitch(const std::string& code) {
  if (code == "1") return "télécollecte en cours";
  if (code == "2") return "téléparamétrage en cours";
  return {};
}

std::string TraduireSecuriteSwitch(const std::string& code) {
  if (code == "1") return "Pin-pad hors service, sécurité activée";
  if (code == "2") return "Lecteur hors service, sécurité activée";
  if (code == "3") return "Pin-pad et lecteur hors service, sécurité activée";
  return {};
}

std::string TraduireEtatApplication(const std::string& code) {
  if (code == "0") return "initialisé";
  if (code == "1") return "pas initialisé";
  return {};
}

std::string TraduireEtatFichier(const std::string& code) {
  if (code == "0") return "vide ";
  if (code == "1") return "non vide";
  if (code == "2") return "plein";
  return {};
}

std::string TraduireEtatIso2(const std::string& code) {
  static constexpr const char* kRaisons[] = {
      "piste lue",
      "NON OK (ZEF30S non disponible)",
      "ZEF30S non disponible et switch maintenance positionné",
      "Carte absente (fin time-out)",
      "Défaut code de Luhn",
      "Piste KO (numéricité, parité, séparateurs, LRC)",
      "Carte vierge",
      "No porteur présent dans la table des bins d’une application",
      "Lecteur PUCE uniquement",
      "Abandon",
  };
  if (code.size() != 1 || code[0] < '0' || code[0] > '9') return {};
  return kRaisons[code[0] - '0'];
}

}  // namespace zef30
