#include "protocol/DispositionsMessages.h"

#include <algorithm>

#include "base/Texte.h"
#include "protocol/Trame.h"

namespace zef30 {

std::string TraduireVerdict(const std::string& code) {
  return code == "0" ? "acceptée" : "refusée";
}

std::string TraduireDossierTrouve(const std::string& code) {
  return code == "1" ? "dossier trouvé" : "dossier absent";
}

std::string TraduireSuite(const std::string& code) {
  return code == "1" ? "une autre trame suit" : "dernière trame";
}

std::string TraduireTelecollecte(const std::string& code) { return TraduireCodeTelecollecte(code); }

void dispositions::ChampInconnu(std::string_view) {}
void recu::ChampRecuInconnu(std::string_view) {}

const TableDispositions& DispositionsConsole() {
  static const TableDispositions table(dispositions::kTable.begin(), dispositions::kTable.end());
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

const ChampMessage* TrouverChamp(const Disposition& disposition, NomChampConnu nom) {
  return dispositions::Chercher(disposition.champs, nom.nom);
}

std::string LireChamp(const Disposition& disposition, NomChampConnu nom, std::string_view texte) {
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

std::string ComposerMessage(const Disposition& disposition, std::span<const ValeurNommee> valeurs) {
  std::string message(disposition.debut);
  for (const ChampMessage& champ : disposition.champs) {
    std::string_view valeur = champ.attendu;
    for (const ValeurNommee& v : valeurs) {
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

void EcrireChamp(std::string& donnees, const ChampMessage& champ, long decalage,
                 std::string_view valeur) {
  constexpr long kDebutDonnees = 7;
  const auto debut =
      static_cast<std::size_t>(std::max(0L, decalage + champ.position - kDebutDonnees));
  const auto longueur = static_cast<std::size_t>(champ.longueur);
  if (donnees.size() < debut + longueur) donnees.resize(debut + longueur, ' ');
  const std::string_view ajuste = valeur.substr(0, std::min(valeur.size(), longueur));
  donnees.replace(debut, ajuste.size(), ajuste);
  donnees.replace(debut + ajuste.size(), longueur - ajuste.size(), longueur - ajuste.size(), ' ');
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
