// A plan's steps: what each line expects after "=>", read before anything is sent, then judged
// against what its request brought.
#include "headless/AttentesPlan.h"

#include <gtest/gtest.h>

#include <map>

#include "headless/FenetreTexte.h"
#include "headless/InclusionsPlan.h"
#include "headless/RapportHtml.h"
#include "headless/RapportJunit.h"
#include "headless/RequetesScriptees.h"
#include "tests/support/Executions.h"

namespace zef30 {
namespace {

// Each condition as reports say it, or the reason the line cannot be read.
std::string Lu(const std::string& texte) {
  const auto requetes = LireScript(texte);
  if (!requetes) return requetes.Erreur().texte;
  std::string lu;
  for (const Condition& c : requetes->front().attentes) lu += (lu.empty() ? "" : " | ") + c.ecrit;
  return requetes->front().famille + " : " + lu;
}

TEST(AttentesPlan, EachConditionIsReadAndWhatCannotBeIsNamed) {
  const struct {
    std::string ligne, lu;  // the line, and the start of what is read of it
  } cas[] = {
      {"switch", "switch : "},
      {"switch => réussie ; échec", "switch : réussie | échec"},
      {"switch => reussie;echec", "switch : réussie | échec"},
      {"switch => résultat = \"Demande de Switch = Carte présente\"",
       "switch : résultat = « Demande de Switch = Carte présente »"},
      {"switch=>résultat contient \"a ; b => c\"", "switch : résultat contient « a ; b => c »"},
      {"validite prix=100 => état contient \"Carte refusée\" ; ticket contient \"TOTAL\"",
       "validite : état contient « Carte refusée » | ticket contient « TOTAL »"},
      {"switch => durée < 30s ; duree > 1m30s", "switch : durée < 30s | durée > 1m30s"},
      {"switch => code = -405", "switch : code = -405"},
      {"switch => \"réussie\"", "ligne 1 : condition : « \"réussie\" » incompris (réussie, échec"},
      {"switch => réussi", "ligne 1 : condition : « réussi » incompris"},
      {"switch =>", "ligne 1 : condition vide"},
      {"switch => réussie ;", "ligne 1 : condition vide"},
      {"switch => réussie ; ; échec", "ligne 1 : condition vide"},
      {"switch => résultat", "ligne 1 : condition « résultat » incomplète"},
      {"switch => résultat contient", "ligne 1 : condition « résultat » incomplète"},
      {"switch => résultat commence \"x\"", "ligne 1 : condition : « commence » incompris"},
      {"switch => résultat contient x", "ligne 1 : condition : « x » incompris"},
      {"switch => résultat contient \"x", "ligne 1 : guillemet fermant manquant après « \"x »"},
      {"switch => résultat = \"x\" \"y\"", "ligne 1 : condition : « \"y\" » incompris"},
      {"switch => état = \"\" réussie", "ligne 1 : condition : « réussie » incompris"},
      {"switch => durée < bientôt", "ligne 1 : condition : « bientôt » incompris"},
      {"switch => durée = 3s", "ligne 1 : condition : « = » incompris"},
      {"switch => durée < \"3s\"", "ligne 1 : condition : « \"3s\" » incompris"},
      {"switch => code = 1.5", "ligne 1 : condition : « 1.5 » incompris"},
      {"switch => code contient \"1\"", "ligne 1 : condition : « contient » incompris"},
      // The request is read first: its own fault is the one named.
      {"bogus => réussie", "ligne 1 : requête inconnue « bogus »"},
      {"switch couleur=rouge => bof", "ligne 1 : entrée « couleur=rouge » incomprise"},
  };
  for (const auto& k : cas) {
    const std::string lu = Lu(k.ligne + "\n");
    EXPECT_EQ(lu.substr(0, k.lu.size()), k.lu) << k.ligne;
  }
}

TEST(AttentesPlan, AStepPassesWhenEveryConditionHoldsWhateverItsRequestGave) {
  const struct {
    std::string conditions;
    bool reussie;  // the request's own outcome
    bool passe;
    std::string raison;  // when it does not pass
  } cas[] = {
      {"", true, true, ""},
      {"", false, false, "refus"},
      {"réussie", true, true, ""},
      {"échec", false, true, ""},
      {"réussie", false, false, "attendu : réussie ; obtenu : « échec — refus »"},
      {"échec", true, false, "attendu : échec ; obtenu : « réussie »"},
      {"résultat = \"Demande = OK\"", true, true, ""},
      {"résultat = \"Demande\"", true, false,
       "attendu : résultat = « Demande » ; obtenu : « Demande = OK »"},
      {"résultat contient \"= OK\" ; état contient \"Carte refusée\"", false, true, ""},
      // The terminal's own bytes, in Windows-1252, compare as the UTF-8 they stand for.
      {"état contient \"refusée\"", false, true, ""},
      {"état = \"Carte refusée\"", false, false,
       "attendu : état = « Carte refusée » ; obtenu : « Carte refusée (Défaut) »"},
      {"ticket contient \"TOTAL 12,50\"", true, true, ""},
      {"ticket contient \"MERCI\"", true, false,
       "attendu : ticket contient « MERCI » ; obtenu : « TICKET\nTOTAL 12,50 »"},
      {"durée < 1s ; durée > 0.2s", true, true, ""},
      {"durée < 0.2s ; durée > 1s", true, false,
       "attendu : durée < 0.2s ; obtenu : « 0.250 s » — attendu : durée > 1s ; obtenu : « 0.250 "
       "s »"},
      {"code = 1", false, true, ""},
      {"code = 0", false, false, "attendu : code = 0 ; obtenu : « 1 »"},
  };
  for (const auto& k : cas) {
    ExecutionRequete e = essai::Execution("validite", 0, 250, k.reussie ? "" : "refus");
    e.genre = k.reussie ? GenreIssue::Reussie : GenreIssue::Refusee;
    e.ligneResultat = "Demande = OK";
    e.ligneEtat =
        "Carte refus\xE9"
        "e (D\xE9"
        "faut)";
    e.code = 1;
    Releve releve;
    releve.textes = {"TICKET", "TOTAL 12,50"};
    const auto attentes = k.conditions.empty()
                              ? Resultat<std::vector<Condition>>(std::vector<Condition>{})
                              : LireAttentes(k.conditions);
    ASSERT_TRUE(attentes) << TexteEchec(attentes);
    JugerEtape(e, *attentes, releve);
    EXPECT_EQ(e.reussie, k.passe) << k.conditions;
    EXPECT_EQ(e.conditions.size(), attentes->size());
    EXPECT_EQ(e.genre, k.reussie ? GenreIssue::Reussie : GenreIssue::Refusee) << k.conditions;
    EXPECT_EQ(k.passe ? "" : e.raison, k.raison) << k.conditions;
    // Its record read back says the same: its verdict, its request's outcome, each condition.
    const auto relu = LireExecutionJson(EnJson(e, nullptr));
    ASSERT_TRUE(relu);
    EXPECT_EQ(EnJson(*relu, nullptr), EnJson(e, nullptr));
  }
}

// A comment names the steps that follow it in the reports, up to the next comment.
TEST(AttentesPlan, ACommentNamesTheStepsThatFollow) {
  const struct {
    std::string plan, titres;  // each step's title, "-" for none
  } cas[] = {
      {"switch\n# Refus\nvalidite\nswitch\n", "- Refus Refus"},
      {"# Refus\n# la carte 2\nvalidite\n\n#   Switch  \nswitch\n", "Refus Switch"},
      {"# Refus\nvalidite\n#\nswitch\n", "Refus Refus"},
      {"## Refus \xE9tranger\nvalidite\n", "Refus étranger"},
      {"switch,validite", "- -"},
  };
  for (const auto& k : cas) {
    std::string titres;
    const auto lus = LireScript(k.plan);
    for (const auto& r : lus.ValeurOu({}))
      titres += (titres.empty() ? "" : " ") + (r.titre.empty() ? "-" : r.titre);
    EXPECT_EQ(titres, k.titres) << k.plan << TexteEchec(lus);
  }
  ExecutionRequete e = essai::Execution("validite", 0, 5);
  e.titre = "Refus";
  EXPECT_NE(RapportJunit({e}, "t").find("name=\"Refus — validite #" + std::to_string(e.rang)),
            std::string::npos);
  EXPECT_EQ(LireExecutionJson(EnJson(e, nullptr))->titre, "Refus");
}

// A plan brings in others by their path from it, never itself, never beyond a depth; what it or
// they say wrong names the file and the line, before anything is sent. Operator steps are kept
// with their text, and the steps under "# opérateur" are marked.
TEST(AttentesPlan, IncludedPlansAndOperatorStepsAreReadOrRefusedByName) {
  std::map<std::string, std::string> fichiers = {
      {"p/commun.txt", "switch\ninclure sous/fin.txt\n"},
      {"p/sous/fin.txt", "consultation\n"},
      {"p/soi.txt", "inclure soi.txt\n"},
      {"p/a.txt", "switch\ninclure b.txt\n"},
      {"p/b.txt", "\ninclure ./a.txt\n"},
      {"p/faux.txt", "switch\nbogus\n"},
  };
  std::string profond = "p/n0.txt";
  for (int n = 0; n < 10; ++n)
    fichiers["p/n" + std::to_string(n) + ".txt"] = "inclure n" + std::to_string(n + 1) + ".txt\n";
  const LecteurFichier lire = [&](const std::string& chemin) -> Resultat<std::string> {
    const auto f = fichiers.find(chemin);
    if (f != fichiers.end()) return f->second;
    return Systeme("fichier illisible");
  };
  const struct {
    std::string plan, lu;  // the plan at p/plan.txt; its steps, or the start of its error
  } cas[] = {
      {"inclure commun.txt\nheure\n", "switch consultation heure"},
      {"inclure  sous/../commun.txt  \n", "switch consultation"},
      {"# opérateur\nopérateur \"Insérez la carte 2\"\nvalidite\n# fin\nswitch\n",
       "opérateur(Insérez la carte 2)* validite* switch"},
      {"switch\ninclure soi.txt\n",
       "ligne 2 : p/soi.txt : ligne 1 : inclusion en boucle : p/plan.txt → p/soi.txt → p/soi.txt"},
      {"inclure a.txt\n",
       "ligne 1 : p/a.txt : ligne 2 : p/b.txt : ligne 2 : inclusion en boucle : "
       "p/plan.txt → p/a.txt → p/b.txt → p/a.txt"},
      {"inclure plan.txt\n", "ligne 1 : inclusion en boucle : p/plan.txt → p/plan.txt"},
      {"inclure " + profond.substr(2) + "\n", "ligne 1 : p/n0.txt : ligne 1 : p/n1.txt"},
      {"switch\n\ninclure absent.txt\n", "ligne 3 : p/absent.txt : fichier illisible"},
      {"inclure faux.txt\n", "ligne 1 : p/faux.txt : ligne 2 : requête inconnue « bogus »"},
      {"inclure\n", "ligne 1 : inclure : quel plan ?"},
      {"opérateur Insérez\n", "ligne 1 : opérateur : le texte à dire, entre guillemets"},
      {"opérateur \"\n", "ligne 1 : opérateur : le texte à dire"},
  };
  for (const auto& k : cas) {
    std::string lu;
    const auto requetes = LirePlan(k.plan, "p/plan.txt", lire);
    const std::string erreur = TexteEchec(requetes);
    if (requetes) {
      for (const auto& r : *requetes)
        lu += (lu.empty() ? "" : " ") + r.famille + (r.operateur ? "(" + *r.operateur + ")" : "") +
              (r.pourOperateur ? "*" : "");
    }
    EXPECT_EQ(requetes ? lu : erreur.substr(0, k.lu.size()), k.lu) << k.plan;
  }
  const auto profonde = LirePlan("inclure n0.txt\n", "p/plan.txt", lire);
  EXPECT_FALSE(profonde);
  EXPECT_NE(TexteEchec(profonde).find("inclusions trop profondes (plus de 8)"), std::string::npos)
      << TexteEchec(profonde);
  const auto sansFichier = LireScript("inclure commun.txt\n");
  EXPECT_FALSE(sansFichier);
  EXPECT_EQ(TexteEchec(sansFichier), "ligne 1 : inclure : seulement dans un plan lu d’un fichier");
}

// The reports say of each judged step what it expected; what did not hold is marked, with what
// came instead.
TEST(AttentesPlan, ReportsSayWhatWasExpectedAndWhatCame) {
  ExecutionRequete tenue = essai::Execution("switch", 0, 20);
  tenue.conditions = {{"réussie", true, "réussie"}};
  ExecutionRequete manquee = essai::Execution("switch", 0, 20, "attendu : x");
  manquee.conditions = {{"réussie", true, "réussie"},
                        {"résultat contient « Carte absente »", false, "Carte <présente>"}};
  const std::vector<ExecutionRequete> runs = {tenue, manquee, essai::Execution("switch", 0, 20)};
  const std::string html = RapportHtml(runs, ResumerCampagne(runs), {});
  const std::string junit = RapportJunit(runs, "t");
  const struct {
    const std::string& rapport;
    std::string dit;
  } cas[] = {
      {html, "<h2>Étapes du plan</h2>"},
      {html, "<td>conforme</td><td><span>réussie</span></td>"},
      {html,
       "<td>NON CONFORME</td><td><span>réussie</span><br><span class=\"manque\">résultat "
       "contient « Carte absente » — obtenu : « Carte &lt;présente&gt; »</span></td>"},
      {junit,
       "✓ réussie\n✗ résultat contient « Carte absente » — obtenu : « Carte &lt;présente&gt; "
       "»\nrésultat : "},
  };
  for (const auto& k : cas) EXPECT_NE(k.rapport.find(k.dit), std::string::npos) << k.dit;
  // The step that expected nothing is in no table of steps.
  EXPECT_EQ(html.find("switch #" + std::to_string(runs[2].rang) + "</td><td>conforme"),
            std::string::npos);
}

}  // namespace
}  // namespace zef30
