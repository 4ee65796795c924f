#include "requests/Paiement.h"

#include <cmath>

#include "base/Texte.h"
#include "console/FichiersConsole.h"

namespace zef30 {

std::optional<std::string> FormaterChamp(double valeur, int largeur) {
  const double plafond = std::pow(10.0, largeur);
  if (!(valeur >= 0 && valeur < plafond) || valeur != std::trunc(valeur)) return std::nullopt;
  std::string chiffres = EnDecimal(valeur);
  return std::string(static_cast<std::size_t>(largeur) - chiffres.size(), '0') + chiffres;
}

std::string EnDecimal(double valeur) {
  return std::to_string(static_cast<long long>(std::llround(valeur)));
}

std::optional<double> LireEntierSaisi(std::string_view texte, double maximum) {
  const auto nombre = LireNombre(texte);
  const double arrondi = nombre ? std::nearbyint(*nombre) : -1;
  if (!(arrondi >= 0 && arrondi <= maximum)) return std::nullopt;
  return arrondi;
}

std::optional<std::string> ChampDossier(Console& console, const char* contexte) {
  auto champ = FormaterChamp(console.etat.NumeroDossier, kLargeurDossier);
  if (!champ) {
    console.fenetre.AfficherEtat(
        contexte, "numéro de dossier hors limites (0 à 999999999999) : rien n’est envoyé");
  }
  return champ;
}

std::optional<ChampsPaiement> PreparerPaiement(Console& console, const char* contexte,
                                               bool avecDossier) {
  EtatConsole& etat = console.etat;
  etat.DateValiditeCarte.clear();
  etat.NumeroCarte.clear();
  etat.TexteTicket.clear();
  ChampsPaiement champs;
  if (const auto prix = FormaterChamp(etat.Prix, kLargeurPrix)) {
    champs.prix = *prix;
  } else {
    console.fenetre.AfficherEtat(contexte,
                                 "prix hors limites (0 à 99999999 centimes) : rien n’est envoyé");
    return std::nullopt;
  }
  if (!avecDossier) return champs;
  const auto dossier = ChampDossier(console, contexte);
  if (!dossier) return std::nullopt;
  champs.dossier = *dossier;
  return champs;
}

bool LireDossierSaisi(Console& console, const char* contexte) {
  const std::string texte = console.fenetre.LireTexte(ZoneTexte::Text2);
  if (texte.find_first_not_of(" \t") == std::string::npos) return true;
  const auto numero = LireEntierSaisi(texte, kDossierMaximal);
  if (!numero) {
    console.fenetre.AfficherEtat(contexte, "« " + texte +
                                               " » n’est pas un numéro de dossier (0 à "
                                               "999999999999) : rien n’est envoyé");
    return false;
  }
  console.etat.NumeroDossier = *numero;
  return true;
}

void MontrerTicket(Console& console) {
  const EtatConsole& etat = console.etat;
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, etat.TexteTicket);
  console.fenetre.AfficherCarte(etat.NumeroCarte, etat.DateValiditeCarte);
  console.fichiers.JournaliserTexte(etat.TexteTicket);
}

void ReleverCarte(EtatConsole& etat, std::string_view reponse, const Disposition& disposition) {
  etat.NumeroCarte = Cp1252VersUtf8(LireChamp(disposition, "carte", reponse));
  const std::string date = LireChamp(disposition, "fin de validité", reponse);
  etat.DateValiditeCarte =
      Cp1252VersUtf8(Extraire(date, 3, 2)) + "/" + Cp1252VersUtf8(Extraire(date, 1, 2));
}

}  // namespace zef30
