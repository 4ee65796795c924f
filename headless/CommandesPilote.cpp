#include "headless/CommandesPilote.h"

#include <algorithm>
#include <array>

#include "base/Json.h"
#include "base/Texte.h"

namespace zef30 {

namespace {

using Genre = ValeurJson::Genre;

// A line longer than this is refused whole, before it is read.
constexpr std::size_t kLigneMaximale = 64 * 1024;

// The members that say what a command is, one of which it must have.
struct GenreNomme {
  std::string_view nom;
  CommandePilote::Genre genre;
};
constexpr std::array<GenreNomme, 4> kGenres = {{{"requete", CommandePilote::Genre::Requete},
                                                {"etat", CommandePilote::Genre::Etat},
                                                {"arret", CommandePilote::Genre::Arret},
                                                {"fin", CommandePilote::Genre::Fin}}};
// What only a request may add.
constexpr std::array<std::string_view, 4> kDetailsRequete = {"entrees", "attendu", "evenements",
                                                             "titre"};

std::string Nom(std::string_view membre) { return "« " + Citer(membre) + " »"; }

// The id as the answers give it back: a number as written, a string as JSON (its quotes kept,
// in valid UTF-8), "null" when there is none; nullopt for anything else.
std::optional<std::string> IdEcrit(const ValeurJson* id) {
  if (id == nullptr || id->Est(Genre::Nul)) return "null";
  if (id->Est(Genre::Nombre)) return id->texte;
  if (id->Est(Genre::Chaine)) return EnChaineJson(id->texte);
  return std::nullopt;
}

// An input's JSON value as the script's text of it: a number as written, a string as it is,
// for "ecran" true or false as "oui" or "non"; nullopt for anything else.
std::optional<std::string> ValeurEntree(std::string_view cle, const ValeurJson& v) {
  if (v.Est(Genre::Nombre) || v.Est(Genre::Chaine)) return v.texte;
  if (v.Est(Genre::Booleen) && cle == "ecran") return v.booleen ? "oui" : "non";
  return std::nullopt;
}

// The input as a message quotes it, as a script would have written it: "prix=12,50".
std::string EntreeEcrite(const MembreJson& entree) {
  const ValeurJson& v = entree.valeur;
  return entree.nom + "=" +
         (v.Est(Genre::Tableau) ? "[…]"
          : v.Est(Genre::Objet) ? "{…}"
                                : v.Scalaire());
}

Resultat<void> LireEntrees(RequeteScriptee& requete, const ValeurJson& entrees) {
  if (!entrees.Est(Genre::Objet)) {
    return Invalide("« entrees » : un objet attendu, comme {\"prix\": 1250, \"ecran\": \"non\"}");
  }
  for (const MembreJson& m : entrees.membres) {
    const auto valeur = ValeurEntree(m.nom, m.valeur);
    auto lue =
        LireEntree(requete, m.nom, valeur ? std::optional<std::string_view>(*valeur) : std::nullopt,
                   EntreeEcrite(m));
    if (!lue) return std::move(lue).Erreur();
  }
  return {};
}

// An array of conditions, each read as one after "=>", or one text of them as after "=>".
Resultat<std::vector<Condition>> LireAttendu(const ValeurJson& attendu) {
  if (attendu.Est(Genre::Chaine)) {
    auto attentes = LireAttentes(attendu.texte);
    if (!attentes) return Invalide("« attendu » : " + attentes.Erreur().texte);
    return attentes;
  }
  if (!attendu.Est(Genre::Tableau)) {
    return Invalide(
        "« attendu » : un tableau de conditions attendu, comme [\"réussie\", \"code = 0\"]");
  }
  std::vector<Condition> toutes;
  for (std::size_t i = 0; i < attendu.elements.size(); ++i) {
    const ValeurJson& element = attendu.elements[i];
    const std::string place = "« attendu » n° " + std::to_string(i + 1) + " : ";
    if (!element.Est(Genre::Chaine)) return Invalide(place + "une condition entre guillemets");
    auto attentes = LireAttentes(element.texte);
    if (!attentes) return Invalide(place + attentes.Erreur().texte);
    for (Condition& c : *attentes) toutes.push_back(std::move(c));
  }
  return toutes;
}

Resultat<CommandePilote> LireRequeteJson(CommandePilote commande, const ValeurJson& objet) {
  const ValeurJson& famille = *objet.Membre("requete");
  if (!famille.Est(Genre::Chaine)) {
    return Invalide("« requete » : le nom d’une requête entre guillemets, comme \"validite\"");
  }
  auto requete = CommencerRequete(famille.texte);
  if (!requete) return std::move(requete).Erreur();
  commande.requete = std::move(*requete);
  if (const ValeurJson* entrees = objet.Membre("entrees")) {
    if (auto lues = LireEntrees(commande.requete, *entrees); !lues) return std::move(lues).Erreur();
  }
  if (const ValeurJson* attendu = objet.Membre("attendu")) {
    auto attentes = LireAttendu(*attendu);
    if (!attentes) return std::move(attentes).Erreur();
    commande.requete.attentes = std::move(*attentes);
  }
  if (const ValeurJson* titre = objet.Membre("titre")) {
    if (!titre->Est(Genre::Chaine)) return Invalide("« titre » : un texte entre guillemets");
    commande.requete.titre = titre->texte;
  }
  if (const ValeurJson* evenements = objet.Membre("evenements")) {
    if (!evenements->Est(Genre::Booleen)) return Invalide("« evenements » : true ou false");
    commande.evenements = evenements->booleen;
  }
  return commande;
}

Resultat<CommandePilote> LireObjet(const ValeurJson& objet, const std::string& id) {
  for (const MembreJson& m : objet.membres) {
    const bool connu =
        m.nom == "id" ||
        std::any_of(kGenres.begin(), kGenres.end(),
                    [&](const GenreNomme& g) { return g.nom == m.nom; }) ||
        std::find(kDetailsRequete.begin(), kDetailsRequete.end(), m.nom) != kDetailsRequete.end();
    if (!connu) return Invalide("membre inconnu " + Nom(m.nom));
  }
  const GenreNomme* genre = nullptr;
  for (const GenreNomme& g : kGenres) {
    if (objet.Membre(g.nom) == nullptr) continue;
    if (genre != nullptr) {
      return Invalide("une seule commande par ligne : " + Nom(genre->nom) + " et " + Nom(g.nom));
    }
    genre = &g;
  }
  if (genre == nullptr) {
    return Invalide(
        "quelle commande ? un membre « requete », « etat », « arret » ou « fin » attendu");
  }
  CommandePilote commande;
  commande.genre = genre->genre;
  commande.id = id;
  if (genre->genre == CommandePilote::Genre::Requete) return LireRequeteJson(commande, objet);
  const ValeurJson& vrai = *objet.Membre(genre->nom);
  if (!vrai.Est(Genre::Booleen) || !vrai.booleen) {
    return Invalide(Nom(genre->nom) + " : true attendu, comme {\"" + std::string(genre->nom) +
                    "\": true}");
  }
  for (const std::string_view detail : kDetailsRequete) {
    if (objet.Membre(detail) != nullptr) {
      return Invalide(Nom(detail) + " ne va qu’avec une « requete », pas avec " + Nom(genre->nom));
    }
  }
  return commande;
}

}  // namespace

LectureCommande LireCommandePilote(std::string_view ligne) {
  LectureCommande lecture;
  if (ligne.size() > kLigneMaximale) {
    lecture.commande = Invalide("ligne de plus de 64 Kio, refusée sans être lue");
    return lecture;
  }
  if (SansBlancs(ligne, " \t\r\n").empty()) {
    lecture.commande = Invalide(
        "ligne vide : une commande JSON attendue, comme {\"id\": 1, "
        "\"etat\": true}");
    return lecture;
  }
  auto objet = LireJson(ligne);
  if (!objet) {
    // Its id still, when it came before the fault.
    for (const MembreJson& m : MembresAvantFaute(ligne)) {
      if (m.nom == "id") lecture.id = IdEcrit(&m.valeur).value_or("null");
    }
    lecture.commande = std::move(objet).Erreur();
    return lecture;
  }
  if (!objet->Est(Genre::Objet)) {
    lecture.commande =
        Invalide("une commande est un objet JSON, comme {\"id\": 1, \"etat\": true}");
    return lecture;
  }
  const auto id = IdEcrit(objet->Membre("id"));
  if (!id) {
    lecture.commande = Invalide("« id » : un nombre ou une chaîne");
    return lecture;
  }
  lecture.id = *id;
  lecture.commande = LireObjet(*objet, *id);
  return lecture;
}

}  // namespace zef30
