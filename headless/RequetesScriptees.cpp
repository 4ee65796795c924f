#include "headless/RequetesScriptees.h"

#include <algorithm>
#include <cstdio>

#include "base/Texte.h"
#include "console/Gestionnaires.h"
#include "headless/Campagne.h"
#include "link/Trame.h"
#include "requests/BoutonsConsole.h"
#include "requests/ModeMaintenance.h"
#include "requests/Paiement.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Switch.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "requests/Validite.h"

namespace zef30 {

namespace {

// A day: longer than any listening a run would want, short enough to stay a sane deadline.
constexpr double kDureeMaximale = 86'400;

// The consultation shows its lines whatever came back: only an answer frame in txtSelection
// says that the terminal answered.
bool ConsultationReussie(const Releve& releve) {
  return !releve.textes.empty() && releve.textes.back().starts_with(STX);
}

// The restart shows no line: only what the terminal sent while it started again, nothing when
// it was not ready.
bool RedemarrageReussi(const Releve& releve) {
  return !releve.textes.empty() && !releve.textes.back().empty();
}

bool AvecLigne(const Releve& releve, std::string_view debut, std::string_view fin = {}) {
  return std::any_of(releve.lignes.begin(), releve.lignes.end(), [&](const std::string& ligne) {
    return ligne.size() >= debut.size() + fin.size() && ligne.starts_with(debut) &&
           ligne.ends_with(fin);
  });
}

// A price refused by "Définir le prix" adds no line, only a status.
bool PrixFixe(const Releve& releve) { return AvecLigne(releve, "Prix fixé = "); }

// The list says either that there is none or at least one number. A refusal counts "1" like a
// single dossier, but its entry is empty; an absent terminal only gives its count line.
bool ListeDonnee(const Releve& releve) {
  return AvecLigne(releve, "Pas de Dossier en cours") ||
         std::any_of(releve.lignes.begin(), releve.lignes.end(), [](const std::string& ligne) {
           return ligne.starts_with("Dossier No ") && !ligne.ends_with(" = ");
         });
}

bool DossierTrouve(const Releve& releve) {
  return AvecLigne(releve, "Demande info Dossier No ", " = OK");
}

// Maintenance listening shows no result line: it went well when it ended without its error box.
bool EcouteSansErreur(const Releve& releve) { return releve.messages.empty(); }

// The word for true, or one of the words for false.
std::optional<bool> Choix(std::string_view valeur, std::string_view vrai,
                          std::initializer_list<std::string_view> faux) {
  if (valeur == vrai) return true;
  if (std::find(faux.begin(), faux.end(), valeur) != faux.end()) return false;
  return std::nullopt;
}

// "nom" or "nom clé=valeur ...": false with the reason in `erreur`.
bool LireRequete(std::string_view texte, RequeteScriptee& requete, std::string& erreur) {
  std::vector<std::string_view> mots;
  for (const std::string_view mot : Decouper(texte, " \t")) {
    if (!mot.empty()) mots.push_back(mot);
  }
  if (mots.empty() || TrouverFamille(mots[0]) == nullptr) {
    std::string connues;
    for (const auto& f : FamillesScriptees())
      connues += (connues.empty() ? "" : ", ") + std::string(f.nom);
    erreur = "requête inconnue « " + Citer(mots.empty() ? "" : mots[0]) +
             " » (connues : " + connues + ")";
    return false;
  }
  requete.famille = std::string(mots[0]);
  for (std::size_t i = 1; i < mots.size(); ++i) {
    const auto egal = mots[i].find('=');
    const std::string_view cle = mots[i].substr(0, egal);
    const std::string_view valeur = egal == std::string_view::npos ? "" : mots[i].substr(egal + 1);
    bool lue = egal != std::string_view::npos;
    // A price or a dossier that the window would refuse stops the script before anything is
    // sent, rather than let a payment go with the number of the request before.
    std::string_view attendu;
    if (lue && cle == "prix") {
      requete.prix = std::string(valeur);
      if (!LireEntierSaisi(valeur, kPrixMaximal)) attendu = "un prix en centimes de 0 à 99999999";
    } else if (lue && cle == "dossier") {
      requete.dossier = std::string(valeur);
      // Empty, it keeps the current dossier, as the window's field does.
      if (!SansBlancs(valeur).empty() && !LireEntierSaisi(valeur, kDossierMaximal)) {
        attendu = "un numéro de dossier de 0 à 999999999999";
      }
    } else if (lue && cle == "ecran") {
      requete.ecranHote = Choix(valeur, "oui", {"non"});
      lue = requete.ecranHote.has_value();
    } else if (lue && cle == "mode") {
      requete.modeVente = Choix(valeur, "vente", {"video", "vidéo"});
      lue = requete.modeVente.has_value();
    } else if (lue && cle == "duree") {
      const auto secondes = LireNombre(valeur);
      lue = secondes && *secondes >= 0 && *secondes <= kDureeMaximale;
      if (lue) requete.duree = *secondes;
    } else {
      lue = false;
    }
    if (!lue) {
      erreur = "entrée « " + Citer(mots[i]) +
               " » incomprise (prix=N, dossier=N, ecran=oui|non, mode=vente|video, "
               "duree=SECONDES)";
      return false;
    }
    if (!attendu.empty()) {
      erreur = "entrée « " + Citer(mots[i]) + " » : ce n’est pas " + std::string(attendu) +
               " (rien n’est envoyé)";
      return false;
    }
  }
  return true;
}

}  // namespace

const std::vector<FamilleScriptee>& FamillesScriptees() {
  static const std::vector<FamilleScriptee> familles = [] {
    std::vector<FamilleScriptee> liste = {
        {"switch", "Demande de Switch = Carte présente"},
        {"consultation", "", &ConsultationReussie},
        {"prix", "", &PrixFixe},
        {"validite", "Demande de Validité = OK"},
        {"liste-dossiers", "", &ListeDonnee},
        {"info-dossier", "", &DossierTrouve},
        {"enregistrement", "Demande d'enregistrement = OK"},
        {"annulation", "Demande d'enregistrement = OK"},
        {"telecollecte", "Télécollecte = OK"},
        {"etat-telecollecte", "Demande de ticket = OK"},
        {"etat-teleparam", "Demande ticket teleParam = OK"},
        {"iso2", "Demande de piste ISO = OK"},
        {"heure", "Mise à l'heure = OK"},
        {"redemarrage", "", &RedemarrageReussi},
        {"maintenance", "", &EcouteSansErreur, 5},
        // Last: the console stays at 9600 bauds, so a real terminal would hear nothing after it.
        {"vitesse", "Demande = OK"},
    };
    for (FamilleScriptee& famille : liste) {
      if (const BoutonConsole* bouton = BoutonDeFamille(famille.nom)) {
        famille.bouton = bouton->nom;
        famille.gestionnaire = bouton->gestionnaire;
      }
    }
    // A family the console has no button for cannot be run.
    std::erase_if(liste, [](const FamilleScriptee& f) { return f.gestionnaire == nullptr; });
    return liste;
  }();
  return familles;
}

const FamilleScriptee* TrouverFamille(std::string_view nom) {
  for (const auto& famille : FamillesScriptees()) {
    if (nom == famille.nom) return &famille;
  }
  return nullptr;
}

std::optional<std::vector<RequeteScriptee>> LireScript(std::string_view texte,
                                                       std::string& erreur) {
  std::vector<RequeteScriptee> requetes;
  const bool liste = texte.find('\n') == std::string_view::npos;
  int numero = 0;
  for (const std::string_view brut : liste ? Decouper(texte, ",") : DecouperLignes(texte)) {
    ++numero;
    const std::string_view ligne = SansBlancs(brut, " \t\r");
    if (!liste && (ligne.empty() || ligne.front() == '#')) continue;
    RequeteScriptee requete;
    if (!LireRequete(ligne, requete, erreur)) {
      erreur = (liste ? "requête " : "ligne ") + std::to_string(numero) + " : " + erreur;
      return std::nullopt;
    }
    requetes.push_back(std::move(requete));
  }
  if (requetes.empty()) {
    erreur = "aucune requête à faire";
    return std::nullopt;
  }
  return requetes;
}

void AppliquerEntrees(Console& console, FenetreTexte& fenetre, const RequeteScriptee& requete) {
  if (requete.ecranHote) fenetre.CocherEcranHote(*requete.ecranHote);
  if (requete.modeVente) fenetre.ChoisirModeVente(*requete.modeVente);
  if (requete.dossier) fenetre.EcrireTexte(ZoneTexte::Text2, *requete.dossier);
  if (requete.prix) {
    fenetre.EcrireTexte(ZoneTexte::TextPrix, *requete.prix);
    // "prix prix=N" sets it once, by its own click.
    if (requete.famille != "prix") cmdSetPrix_Click(console);
  }
}

bool EstReussie(const FamilleScriptee& famille, const Releve& releve) {
  if (famille.reussie != nullptr) return famille.reussie(releve);
  return std::find(releve.lignes.begin(), releve.lignes.end(), famille.ligneSucces) !=
         releve.lignes.end();
}

// A status line that was only emptied says nothing.
std::string DernierEtat(const Releve& releve) {
  const auto etat = std::find_if(releve.etats.rbegin(), releve.etats.rend(),
                                 [](const std::string& e) { return !e.empty(); });
  return etat == releve.etats.rend() ? std::string() : *etat;
}

std::string Raison(const Releve& releve) {
  if (std::string etat = DernierEtat(releve); !etat.empty()) return etat;
  if (!releve.lignes.empty()) return releve.lignes.back();
  return "rien n’a été montré";
}

RequeteFaite ExecuterRequete(Console& console, FenetreTexte& fenetre,
                             const RequeteScriptee& requete, const FamilleScriptee& famille) {
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  fenetre.PrendreReleve();
  RequeteFaite faite;
  ExecutionRequete& e = faite.execution;
  e.famille = famille.nom;
  e.debut = horloge.Maintenant();
  AppliquerEntrees(console, fenetre, requete);
  const double duree = requete.duree.value_or(famille.dureeEcoute);
  if (requete.duree || duree > 0) {
    fenetre.ProgrammerClic(horloge, Horloge::Plus(horloge.Maintenant(), duree),
                           [&console] { ExecuterGestionnaire(console, &Command1_Click, true); });
  }
  ExecuterGestionnaire(console, famille.gestionnaire, false);
  fenetre.AnnulerClic();
  e.fin = horloge.Maintenant();
  faite.releve = fenetre.PrendreReleve();
  const Releve& releve = faite.releve;
  e.reussie = EstReussie(famille, releve);
  if (!e.reussie) e.raison = Raison(releve);
  // The line that says the outcome: the family's own success line when it came, else the first.
  const bool succesMontre =
      famille.reussie == nullptr && e.reussie && !std::string_view(famille.ligneSucces).empty();
  if (succesMontre) {
    e.ligneResultat = famille.ligneSucces;
  } else if (!releve.lignes.empty()) {
    e.ligneResultat = releve.lignes.front();
  }
  e.ligneEtat = DernierEtat(releve);
  return faite;
}

int ExecuterScript(Console& console, FenetreTexte& fenetre,
                   const std::vector<RequeteScriptee>& requetes, bool json, std::ostream& sortie,
                   std::ostream& erreurs) {
  ReglagesCampagne reglages;
  reglages.json = json;
  reglages.raconter = true;
  const auto campagne = ExecuterCampagne(console, fenetre, requetes, reglages, sortie);
  return CodeSortie(campagne.executions, erreurs);
}

}  // namespace zef30
