#include "headless/RequetesScriptees.h"

#include <algorithm>
#include <cstdio>

#include "base/Texte.h"
#include "console/Gestionnaires.h"
#include "protocol/Trame.h"
#include "requests/BoutonsConsole.h"
#include "requests/Enregistrement.h"
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
constexpr Horloge::Secondes kDureeMaximale = std::chrono::hours(24);

// The word for true, or one of the words for false.
std::optional<bool> Choix(std::string_view valeur, std::string_view vrai,
                          std::initializer_list<std::string_view> faux) {
  if (valeur == vrai) return true;
  if (std::find(faux.begin(), faux.end(), valeur) != faux.end()) return false;
  return std::nullopt;
}

// "nom" or "nom clé=valeur ...".
Resultat<RequeteScriptee> LireRequete(std::string_view texte) {
  std::vector<std::string_view> mots;
  for (const std::string_view mot : Decouper(texte, " \t")) {
    if (!mot.empty()) mots.push_back(mot);
  }
  auto requete = CommencerRequete(mots.empty() ? "" : mots[0]);
  for (std::size_t i = 1; requete && i < mots.size(); ++i) {
    const auto egal = mots[i].find('=');
    const auto valeur = egal == std::string_view::npos
                            ? std::nullopt
                            : std::optional<std::string_view>(mots[i].substr(egal + 1));
    if (auto lue = LireEntree(*requete, mots[i].substr(0, egal), valeur, mots[i]); !lue) {
      return std::move(lue).Erreur();
    }
  }
  return requete;
}

bool TitreOperateur(std::string_view titre) {
  return titre == "opérateur" || titre.starts_with("opérateur ") || titre == "operateur" ||
         titre.starts_with("operateur ");
}

// `inclure CHEMIN` or `opérateur "TEXTE"`: done once its steps are in `requetes`, or why not;
// nullopt for a request's line.
ResultatSiConcerne LireMotDePlan(std::string_view ligne, RequeteScriptee& requete,
                                 const LecteurInclusion& inclure,
                                 std::vector<RequeteScriptee>& requetes) {
  const auto blanc = ligne.find_first_of(" \t");
  const std::string_view mot = ligne.substr(0, blanc);
  const std::string_view reste =
      blanc == std::string_view::npos ? "" : SansBlancs(ligne.substr(blanc), " \t");
  if (mot == "inclure") {
    if (reste.empty()) return Invalide("inclure : quel plan ?");
    if (!inclure) return Invalide("inclure : seulement dans un plan lu d’un fichier");
    auto inclues = inclure(reste);
    if (!inclues) return std::move(inclues).Erreur();
    for (auto& r : *inclues) requetes.push_back(std::move(r));
    return Resultat<void>();
  }
  if (mot != "opérateur" && mot != "operateur") return std::nullopt;
  if (reste.size() < 2 || reste.front() != '"' || reste.back() != '"') {
    return Invalide(
        "opérateur : le texte à dire, entre guillemets : opérateur \"Insérez la carte\"");
  }
  requete.famille = "opérateur";
  requete.operateur = VersUtf8Valide(reste.substr(1, reste.size() - 2));
  requetes.push_back(std::move(requete));
  return Resultat<void>();
}

}  // namespace

Resultat<RequeteScriptee> CommencerRequete(std::string_view famille) {
  if (BoutonDeFamille(famille) == nullptr) {
    std::string connues;
    for (const BoutonConsole* f : FamillesRequetes())
      connues += (connues.empty() ? "" : ", ") + std::string(f->famille);
    return Invalide("requête inconnue « " + Citer(famille) + " » (connues : " + connues + ")");
  }
  RequeteScriptee requete;
  requete.famille = std::string(famille);
  return requete;
}

Resultat<void> LireEntree(RequeteScriptee& requete, std::string_view cle,
                          std::optional<std::string_view> valeur, std::string_view ecrit) {
  bool lue = valeur.has_value();
  // A price or a dossier that the window would refuse stops the script before anything is
  // sent, rather than let a payment go with the number of the request before.
  std::string_view attendu;
  if (lue && cle == "prix") {
    requete.prix = std::string(*valeur);
    if (!LireEntierSaisi(*valeur, kPrixMaximal)) attendu = "un prix en centimes de 0 à 99999999";
  } else if (lue && cle == "dossier") {
    requete.dossier = std::string(*valeur);
    // Empty, it keeps the current dossier, as the window's field does.
    if (!SansBlancs(*valeur).empty() && !LireEntierSaisi(*valeur, kDossierMaximal)) {
      attendu = "un numéro de dossier de 0 à 999999999999";
    }
  } else if (lue && cle == "ecran") {
    requete.ecranHote = Choix(*valeur, "oui", {"non"});
    lue = requete.ecranHote.has_value();
  } else if (lue && cle == "mode") {
    requete.modeVente = Choix(*valeur, "vente", {"video", "vidéo"});
    lue = requete.modeVente.has_value();
  } else if (lue && cle == "duree") {
    const auto secondes = LireNombre(*valeur);
    lue = secondes && *secondes >= 0 && Horloge::Secondes(*secondes) <= kDureeMaximale;
    if (lue) requete.duree = Horloge::Secondes(*secondes);
  } else {
    lue = false;
  }
  if (!lue) {
    return Invalide("entrée « " + Citer(ecrit) +
                    " » incomprise (prix=N, dossier=N, ecran=oui|non, mode=vente|video, "
                    "duree=SECONDES)");
  }
  if (!attendu.empty()) {
    return Invalide("entrée « " + Citer(ecrit) + " » : ce n’est pas " + std::string(attendu) +
                    " (rien n’est envoyé)");
  }
  return {};
}

Resultat<std::vector<RequeteScriptee>> LireScript(std::string_view texte,
                                                  const LecteurInclusion& inclure) {
  std::vector<RequeteScriptee> requetes;
  const bool liste = texte.find('\n') == std::string_view::npos;
  int numero = 0;
  // A comment names the steps after it, up to the next; of a block of comments, its first line.
  std::string titre;
  bool commentaires = false;
  for (const std::string_view brut : liste ? Decouper(texte, ",") : DecouperLignes(texte)) {
    ++numero;
    const std::string_view ligne = SansBlancs(brut, " \t\r");
    if (!liste && (ligne.empty() || ligne.front() == '#')) {
      const std::string_view dit = ligne.empty() ? "" : SansBlancs(ligne.substr(1), " \t#");
      if (!commentaires && !dit.empty()) titre = VersUtf8Valide(dit);
      commentaires = !ligne.empty();
      continue;
    }
    commentaires = false;
    RequeteScriptee pas;
    pas.titre = titre;
    pas.pourOperateur = TitreOperateur(titre);
    if (const auto lue =
            !liste ? LireMotDePlan(ligne, pas, inclure, requetes) : ResultatSiConcerne();
        lue) {
      if (*lue) continue;
      return Invalide("ligne " + std::to_string(numero) + " : " + lue->Erreur().texte);
    }
    // The request, then what its step expects after "=>", when it says.
    const auto fleche = ligne.find("=>");
    auto requete = LireRequete(ligne.substr(0, fleche));
    if (requete && fleche != std::string_view::npos) {
      auto attentes = LireAttentes(ligne.substr(fleche + 2));
      if (attentes) {
        requete->attentes = std::move(*attentes);
      } else {
        requete = std::move(attentes).Erreur();
      }
    }
    if (!requete) {
      return Invalide((liste ? "requête " : "ligne ") + std::to_string(numero) + " : " +
                      requete.Erreur().texte);
    }
    requete->titre = pas.titre;
    requete->pourOperateur = pas.pourOperateur;
    requetes.push_back(std::move(*requete));
  }
  if (requetes.empty()) return Invalide("aucune requête à faire");
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

std::string AvertissementPrix(const EtatConsole& etat, const BoutonConsole& famille) {
  const bool paiement =
      famille.gestionnaire == &cmdDemVal_Click || famille.gestionnaire == &cmdDemEnr_Click;
  if (!paiement || etat.Prix != 0) return {};
  return std::string("attention : ") + famille.famille +
         " avec un prix de 0.00 EUR (ni « prix= » ni requête « prix » avant elle)";
}

RequeteFaite ExecuterRequete(Console& console, FenetreTexte& fenetre,
                             const RequeteScriptee& requete, const BoutonConsole& famille,
                             const std::function<void(const std::string&)>& avertir) {
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  fenetre.PrendreReleve();
  RequeteFaite faite;
  ExecutionRequete& e = faite.execution;
  e.famille = famille.famille;
  e.debut = horloge.Maintenant();
  AppliquerEntrees(console, fenetre, requete);
  if (avertir) {
    if (const std::string avertissement = AvertissementPrix(console.etat, famille);
        !avertissement.empty())
      avertir(avertissement);
  }
  const Horloge::Secondes duree = requete.duree.value_or(famille.dureeEcoute);
  if (requete.duree || duree > Horloge::Secondes::zero()) {
    fenetre.ProgrammerClic(horloge, Horloge::Plus(horloge.Maintenant(), duree),
                           [&console] { ExecuterGestionnaire(console, &Command1_Click, true); });
  }
  const auto issue = ExecuterGestionnaire(console, famille.gestionnaire, false);
  fenetre.AnnulerClic();
  e.fin = horloge.Maintenant();
  faite.releve = fenetre.PrendreReleve();
  if (!issue) {
    // Never so in a run, which clicks one button at a time; said rather than taken for a pass.
    e.genre = GenreIssue::PasPrete;
    e.raison = "clic non pris en compte";
    return faite;
  }
  e.genre = issue->genre;
  e.reussie = issue->Reussie();
  // Why it failed: what the request knows of it, else what it showed on its status line.
  if (!e.reussie) e.raison = issue->raison.empty() ? Raison(faite.releve) : issue->raison;
  e.ligneResultat = issue->ligne;
  e.ligneEtat = DernierEtat(faite.releve);
  e.numeroSerie = issue->numeroSerie;
  e.ecouteSurLimite = issue->ecouteSurLimite;
  e.code = issue->code;
  return faite;
}

}  // namespace zef30
