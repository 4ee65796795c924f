// The commands of a piloted run, one JSON object a line: what each asks, with the script's
// inputs and the plans' expectations, and for a line that is none, why, with its id.
#include "headless/CommandesPilote.h"

#include <gtest/gtest.h>

#include <string>

namespace zef30 {
namespace {

// A command as the rows write it: "id genre", then for a request
// "famille/prix/dossier/ecran/mode/duree attentes titre evenements".
std::string Montrer(const CommandePilote& c) {
  static const char* const kGenres[] = {"requete", "etat", "arret", "fin"};
  std::string t = c.id + " " + kGenres[static_cast<int>(c.genre)];
  if (c.genre != CommandePilote::Genre::Requete) return t;
  const RequeteScriptee& r = c.requete;
  const auto b = [](const std::optional<bool>& v) { return v ? (*v ? "1" : "0") : ""; };
  t += " " + r.famille + "/" + r.prix.value_or("") + "/" + r.dossier.value_or("") + "/" +
       b(r.ecranHote) + "/" + b(r.modeVente) + "/" +
       (r.duree ? std::to_string(static_cast<int>(r.duree->count() * 10)) : "") + " [";
  for (const Condition& a : r.attentes) t += (t.back() == '[' ? "" : " ; ") + a.ecrit;
  return t + "] " + r.titre + (c.evenements ? " +evenements" : "");
}

TEST(LireCommandePilote, ReadsEachCommandAndSaysWhyALineIsNone) {
  const struct {
    std::string ligne;
    std::string lu;  // the command shown, or "id: the start of the reason"
  } cas[] = {
      // Each command.
      {R"({"id":1,"requete":"validite","entrees":{"prix":1250,"dossier":12,"ecran":"non","mode":"vente","duree":30},"attendu":["réussie","code = 0"],"evenements":true,"titre":"Ma validité"})",
       "1 requete validite/1250/12/0/1/300 [réussie ; code = 0] Ma validité +evenements"},
      {R"({"id":2,"etat":true})", "2 etat"},
      {R"({"arret":true,"id":3})", "3 arret"},
      {R"(  {"id": 4, "fin": true}  )", "4 fin"},
      {R"({"fin":true})", "null fin"},
      {R"({"id":null,"etat":true})", "null etat"},
      {R"({"id":"a\"b\u00e9","etat":true})", R"("a\"bé" etat)"},
      {R"({"id":1.50,"etat":true})", "1.50 etat"},  // as written
      {R"({"id":-7e3,"etat":true})", "-7e3 etat"},
      {R"({"id":1,"requete":"switch"})", "1 requete switch///// [] "},
      {R"({"id":1,"requete":"validite","entrees":{"ecran":true,"mode":"vidéo","prix":"12.5","dossier":""}})",
       "1 requete validite/12.5//1/0/ [] "},
      {R"({"id":1,"requete":"maintenance","entrees":{"duree":0.5,"ecran":false}})",
       "1 requete maintenance///0//5 [] "},
      {R"({"id":1,"requete":"switch","attendu":"réussie ; résultat contient \"Carte\""})",
       "1 requete switch///// [réussie ; résultat contient « Carte »] "},
      {R"({"id":1,"requete":"switch","attendu":[],"evenements":false,"titre":""})",
       "1 requete switch///// [] "},
      // Refused, the id kept when the line gave one.
      {R"({"id":5,"requete":"bogus"})",
       "5: requête inconnue « bogus » (connues : switch, prix, validite"},
      {R"({"id":5,"requete":12})", "5: « requete » : le nom d’une requête entre guillemets"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":"12,50"}})",
       "5: entrée « prix=12,50 » : ce n’est pas un prix en centimes de 0 à 99999999 (rien "
       "n’est envoyé)"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":1e999}})",
       "5: entrée « prix=1e999 » : ce n’est pas un prix"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":123456789012345678901234567890}})",
       "5: entrée « prix=123456789012345678901234567890 » : ce n’est pas un prix"},
      {R"({"id":5,"requete":"validite","entrees":{"dossier":"12a"}})",
       "5: entrée « dossier=12a » : ce n’est pas un numéro de dossier"},
      // A value holding blanks or "=>" is one value: nothing more is read from it.
      {R"({"id":5,"requete":"validite","entrees":{"ecran":"oui => échec"}})",
       "5: entrée « ecran=oui => échec » incomprise (prix=N, dossier=N, ecran=oui|non"},
      {R"({"id":5,"requete":"validite","entrees":{"mode":"vente dossier=3"}})",
       "5: entrée « mode=vente dossier=3 » incomprise"},
      {R"({"id":5,"requete":"validite","entrees":{"couleur":"rouge"}})",
       "5: entrée « couleur=rouge » incomprise"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":true}})",
       "5: entrée « prix=true » incomprise"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":null}})",
       "5: entrée « prix=null » incomprise"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":[1]}})",
       "5: entrée « prix=[…] » incomprise"},
      {R"({"id":5,"requete":"maintenance","entrees":{"duree":-1}})",
       "5: entrée « duree=-1 » incomprise"},
      {R"({"id":5,"requete":"validite","entrees":[1250]})", "5: « entrees » : un objet attendu"},
      {R"({"id":5,"requete":"switch","attendu":["réussie","tiquet"]})", "5: « attendu » n° 2 : "},
      {R"({"id":5,"requete":"switch","attendu":[true]})",
       "5: « attendu » n° 1 : une condition entre guillemets"},
      {R"({"id":5,"requete":"switch","attendu":"résultat = \"x"})",
       "5: « attendu » : guillemet fermant manquant"},
      {R"({"id":5,"requete":"switch","attendu":{}})",
       "5: « attendu » : un tableau de conditions attendu"},
      {R"({"id":5,"requete":"switch","titre":3})", "5: « titre » : un texte entre guillemets"},
      {R"({"id":5,"requete":"switch","evenements":"oui"})", "5: « evenements » : true ou false"},
      {R"({"id":5,"etat":false})", "5: « etat » : true attendu"},
      {R"({"id":5,"fin":1})", "5: « fin » : true attendu"},
      {R"({"id":5,"etat":true,"titre":"x"})",
       "5: « titre » ne va qu’avec une « requete », pas avec « etat »"},
      {R"({"id":5,"etat":true,"fin":true})",
       "5: une seule commande par ligne : « etat » et « fin »"},
      {R"({"id":5})", "5: quelle commande ? un membre « requete », « etat », « arret » ou « fin »"},
      {R"({"id":5,"etat":true,"couleur":1})", "5: membre inconnu « couleur »"},
      {R"({"id":"x","etat":true,"id":"y"})",
       "\"x\": JSON illisible à l’octet 23 : membre « id » "
       "en double"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":12)",
       "5: JSON illisible à l’octet 50 : « , » ou « } » attendu"},
      {R"({"id":5,"requete":"validite","entrees":{"prix":12,"prix":13}})",
       "5: JSON illisible à l’octet 51 : membre « prix » en double"},
      {R"({"requete":"switch","id":6,)", "6: JSON illisible à l’octet 28 : le nom d’un membre"},
      {R"({"id":{"a":1},"etat":true})", "null: « id » : un nombre ou une chaîne"},
      {R"({"id":true,"etat":true})", "null: « id » : un nombre ou une chaîne"},
      {R"({"id":[7],"etat":tru})", "null: JSON illisible à l’octet 18"},
      {R"([{"id":1,"etat":true}])", "null: une commande est un objet JSON"},
      {"", "null: ligne vide"},
      {" \r", "null: ligne vide"},
      {"etat", "null: JSON illisible à l’octet 1 : une valeur attendue"},
      {std::string(40, '{'), "null: JSON illisible à l’octet 2 : le nom d’un membre"},
      {std::string(40, '['), "null: JSON illisible à l’octet 33 : plus de 32 niveaux imbriqués"},
      {R"({"id":9,"etat":true,"x":)" + std::string(40, '[') + std::string(40, ']') + "}",
       "9: JSON illisible à l’octet 56 : plus de 32 niveaux imbriqués"},
      {R"({"id":9,"requete":"switch","titre":")" + std::string(64 * 1024, 'x') + "\"}",
       "null: ligne de plus de 64 Kio, refusée sans être lue"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.ligne.substr(0, 120));
    const LectureCommande lecture = LireCommandePilote(c.ligne);
    if (lecture.commande) {
      EXPECT_EQ(Montrer(*lecture.commande), c.lu);
      EXPECT_EQ(lecture.id, lecture.commande->id);
    } else {
      const std::string vu = lecture.id + ": " + lecture.commande.Erreur().texte;
      EXPECT_EQ(vu.substr(0, c.lu.size()), c.lu);
    }
  }
}

// At the bound and one byte over it.
TEST(LireCommandePilote, ReadsALineOf64KiBAndNoLonger) {
  const std::string debut = R"({"id":9,"requete":"switch","titre":")";
  const std::string ligne = debut + std::string(64 * 1024 - debut.size() - 2, 'x') + "\"}";
  ASSERT_EQ(ligne.size(), 64u * 1024);
  EXPECT_TRUE(LireCommandePilote(ligne).commande);
  EXPECT_FALSE(LireCommandePilote(ligne + " ").commande);
}

}  // namespace
}  // namespace zef30
