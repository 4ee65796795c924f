#include "protocol/TablesResultats.h"

#include <cmath>
#include <span>
#include <string_view>

#include "base/Texte.h"

namespace zef30 {

namespace {

struct TexteDiagnostic {
  int code;
  std::string_view texte;
};

// No text for 6, 7, 8, 16, 51 and 71 to 78: the terminal does not send them.
constexpr TexteDiagnostic kDiagnostics[] = {
    {0, "DIAGNOSTIC OK 00"},
    {1, "APPLICATION NON INITIALISEE 01"},
    {2, "APPLICATION NON ACTIVE 02"},
    {3, "CLASSE NON GEREE 03"},
    {4, "NOYAU NON V52 04"},
    {5, "CARTE NON TRAITEE 05"},
    {9, "MONTANT MAX CARTE ETRANGERE DEPASSE 09"},
    {10, "MODE NON GEREE 10"},
    {11, "PROBLEME INTEGRITE DU FICHIER TRANSACTION 11"},
    {12, "FICHIER TRANSACTION PLEIN 12"},
    {13, "MONTANT MAX DEPASSE 13"},
    {14, "MONTANT MIN NONATTEINT 14"},
    {15, "MONTANT NUL 15"},
    {17, "MONNAIE NON GEREE 17"},
    {18, "MONNAIE CARTE NON GEREE 18"},
    {19, "BIN DE LA CARTE ABSENT DE LA TABLE DES BIN 19"},
    {20, "CARTE REFUSEE DANS LA LISTE DE CONTRÔLE 20"},
    {21, "BIN DE LA CARTE REFUSEE 21"},
    {22, "CARTE PERIMEE 22"},
    {23, "CARTE NON VALIDE 23"},
    {24, "PROBLEME CODE TRAITEMENT CARTE 24"},
    {25, "PROBLEME CODE SERVICE CARTE 25"},
    {26, "CARTE REFUSEE EN AUTORISATION 26"},
    {27, "LONGUEUR DU NO PORTEUR INCORRECTE 27"},
    {28, "DUREE DE VALIDITE DEPASSEE 28"},
    {29, "BIN DE LA CARTE SURVEILLE DANS LA TABLE DES BIN 29"},
    {30, "CARTE SURVEILLEE DANS LA LISTE DE CONTROLE 30"},
    {31, "CARTE BLOQUEE 31"},
    {32, "DONNEE CARTE INCOHERENTE 32"},
    {33, "PROBLEME VA_VS 33"},
    {34, "PROBLEME CALCUL CAI EMETTEUR 34"},
    {35, "PROBLEME CONTROL DE FLUX 35"},
    {36, "PROBLEME CALCUL CAI ACQUEREUR 36"},
    {37, "ABANDON SUR INTRODUIRE CARTE 37"},
    {38, "PROBLEME CONSOLIDATION EXTERNE 38"},
    {39, "ANNULATION OU ABANDON SUR SAISIE CODE 39"},
    {40, "ABANDON APRES SAISIE D'UN CODE FAUX 40"},
    {41, "ABANDON APRES SAISIE DE DEUX CODE FAUX 41"},
    {42, "SAISIE DE TROIS FAUX 42"},
    {43, "PORTEUR ABSENT A LA SAISIE DU CODE 43"},
    {44, "TIME-OUT SAISIE DU CODE 44"},
    {45, "TYPE DE TRANSACTION REFUSE 45"},
    {46, "PROBLEME COHERENCE MODE DE FONCTIONNEMENT ET CODE TRAITEMENT 46"},
    {47, "RECU NON DISPONIBLE 47"},
    {48, "INCIDENT TECHNIQUE CARTE 48"},
    {49, "PAS DE SOLVABILITE AU PREALABLE 49"},
    {50, "MONTANT ENREGISTREMENT DIFFERENT MONTANT SOLVABILITE 50"},
    {52, "PROBLEME DE LIAISON AU CENTRE D'AUTORISATION 52"},
    {53, "CARTE INTERDITE DANS LE FICHIER TRANSACTION 53"},
    {54, "BIN DE LA CARTE INTERDIT DANS LA TABLE DES BIN 54"},
    {55, "CARTE INTERDITE DANS LA LISTE DE CONTRÔLE 55"},
    {56, "CARTE INTERDITE PAR LE CENTRE D'AUTORISATION 56"},
    {57, "SAM HORS SERVICE 57"},
    {58, "DEFAULT SAM 58"},
    {59, "SAM INVALIDE 59"},
    {60, "SAM NON UTILISABLE 60"},
    {61, "SAM PERIME 61"},
    {62, "SAM ECHANGE 62"},
    {63, "PME CHARGER BORNE 63"},
    {64, "PME SOLDE INSUFFISANT 64"},
    {65, "PME BLOQUE 65"},
    {66, "PME INVALIDE 66"},
    {67, "PME DEBIT PROBABLE 67"},
    {68, "PME ANNULATION OK 68"},
    {69, "PME ANNULATION KO 69"},
    {70, "OCL A PEAGE VERROUILLE 70"},
    {79, "CUMUL LAT DEPASSE 79"},
    {80, "MODULE EMVDC NON CHARGE 80"},
    {81, "ABANDON SUR CHOIX (TICKET, LANGUE) 81"},
    {82, "CARTE INTERDITE DANS LE FICHIER TRANSACTION 82"},
    {83, "CARTE REFUSEE DANS LE FICHIER TRANSACTION 83"},
    {84, "PROBLEME FORMAT CARTE 84"},
    {85, "EMV ECHEC INITIATE APPLICATION PROCESSING 85"},
    {86, "EMV INITIATE APPLICATION PROCESSING EASY ENTRY ECHEC 86"},
    {87, "EMV APPLICATION SELECTION ECHEC 87"},
    {88, "EMV READ APPLICATION DATA ECHEC 88"},
    {89, "EMV PROCESSING RESTRICTION ECHEC 89"},
    {90, "EMV OFFLINE DATA AUTHENTIFICATION ECHEC 90"},
    {91, "EMV ECHEC CONTROL DU CODE 91"},
    {92, "EMV TERMINAL RISK MANAGEMENT ECHEC 92"},
    {93, "EMV TERMINAL ACTION ANALYSIS ECHEC 93"},
    {94, "EMV CARD REFUS (Refus (AAC) sur Generate AC) 94"},
    {95, "EMV CARD ACTION ANALYSIS ECHEC 95"},
    {96, "EMV ON LINE PROCESSING ECHEC 96"},
    {97, "EMV COMPLETION ECHEC 97"},
    {98, "EMV SCRIPT PROCESSING 1 ECHEC 98"},
    {99, "EMV SCRIPT PROCESSING 2 ECHEC 99"},
};

struct TexteEtat {
  std::string_view etat;
  std::string_view texte;
};

constexpr TexteEtat kEtatsDemVal[] = {
    {"0", "OK (paiement accepté pour le montant)"},
    {"1", "NON OK (ZEF30S non disponible)"},
    {"2", "ZEF30S non disponible et switch maintenance positionné"},
    {"3", "PB INIT"},
    {"4", "PB ACCES FICHIER"},
    {"5", "PB MONTANT DEVISE"},
    {"6", "PB CARTE INVALIDE"},
    {"7", "PB INCIDENT CARTE"},
    {"8", "PB ABANDON"},
    {"9", "PB ACCES CENTRE"},
    {"A", "PB CARTE INTERDITE"},
    {"B", "PB TRANSACTION REFUSEE"},
    {"C", "PB SAM MONEO"},
    {"D", "PB PME MONEO"},
    {"E", "PB OCL A PEAGE"},
    {"F", "NUMERO DE DOSSIER DEJA EXISTANT"},
};

// No text for "7". The apostrophe of "5" is the typographic one.
constexpr TexteEtat kEtatsDemEnr[] = {
    {"0", "OK (paiement enregistré pour le montant)"},
    {"1", "NON OK (ZEF30S non disponible)"},
    {"2", "ZEF30S non disponible et switch maintenance positionné"},
    {"3", "application non initialisée"},
    {"4", "pas de solvabilité accordée préalablement"},
    {"5", "montant d’enregistrement supérieur au montant autorisé en classe 1"},
    {"6", "solvabilité annulée sur montant = 0"},
    {"8", "reprise de la transaction suite à un redémarrage du ZEF30S."},
    {"9", "numéro de dossier inconnu."},
};

std::string ChercherEtat(std::span<const TexteEtat> table, const std::string& etat) {
  for (const TexteEtat& entree : table) {
    if (entree.etat == etat) return std::string(entree.texte);
  }
  return {};
}

}  // namespace

std::string TraduireDiagnostic(const std::string& code) {
  // The usual reading of a number (blanks and one sign around decimal digits); a value with a
  // fraction, or beyond 16 bits, is not a diagnostic code at all.
  const auto nombre = LireNombre(code);
  if (!nombre || *nombre != std::trunc(*nombre) || *nombre < -32768 || *nombre > 32767) {
    return Cp1252VersUtf8(code);
  }
  for (const TexteDiagnostic& entree : kDiagnostics) {
    if (entree.code == *nombre) return std::string(entree.texte);
  }
  return {};
}

std::string TraduireEtatDemVal(const std::string& etat) { return ChercherEtat(kEtatsDemVal, etat); }

std::string TraduireEtatDemEnr(const std::string& etat) { return ChercherEtat(kEtatsDemEnr, etat); }

std::string TraduireCodeTelecollecte(std::string_view code) {
  if (code == "0") return "télécollecte OK";
  if (code == "1") return "télécollecte incomplète";
  if (code == "2") return kAppelErrone;
  if (code == "3") return kPasDAppel;
  return {};
}

}  // namespace zef30
