// A run without a window against the simulated terminal: each request's outcome told, the exit
// code naming the first failure, and JSON lines that parse.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "app/OptionsLigne.h"
#include "base/Horloge.h"
#include "base/Texte.h"
#include "console/Poste.h"
#include "headless/ExecutionCampagne.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "simulator/Deroulement.h"
#include "simulator/LectureScenario.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/DossierTemporaire.h"

namespace zef30 {
namespace {

// Whether `texte` is one JSON value and nothing more (a small reader, enough for our output).
bool EstJson(std::string_view texte) {
  std::size_t i = 0;
  const auto blancs = [&] {
    while (i < texte.size() && std::string_view(" \t\r\n").find(texte[i]) != std::string_view::npos)
      ++i;
  };
  std::function<bool()> valeur = [&]() -> bool {
    blancs();
    if (i >= texte.size()) return false;
    const char c = texte[i];
    if (c == '"') {
      for (++i; i < texte.size() && texte[i] != '"'; ++i) {
        if (static_cast<unsigned char>(texte[i]) < 0x20) return false;
        if (texte[i] == '\\') ++i;
      }
      return i++ < texte.size();
    }
    if (c == '{' || c == '[') {
      const char fin = c == '{' ? '}' : ']';
      ++i;
      blancs();
      if (i < texte.size() && texte[i] == fin) return ++i, true;
      for (;;) {
        if (c == '{' && !(valeur() && (blancs(), i < texte.size() && texte[i++] == ':')))
          return false;
        if (!valeur()) return false;
        blancs();
        if (i >= texte.size()) return false;
        if (texte[i] == fin) return ++i, true;
        if (texte[i++] != ',') return false;
      }
    }
    for (const std::string_view mot : {"true", "false", "null"}) {
      if (texte.substr(i).starts_with(mot)) return i += mot.size(), true;
    }
    const std::size_t debut = i;
    while (i < texte.size() &&
           std::string_view("+-.eE0123456789").find(texte[i]) != std::string_view::npos)
      ++i;
    return i > debut;
  };
  const bool lu = valeur();
  blancs();
  return lu && i == texte.size();
}

TEST(ExecutionScriptee, TellsEachOutcomeAndNamesTheFirstFailureInItsExitCode) {
  struct Cas {
    std::string cle;  // scenario key=value, or nothing
    std::string script;
    int code;
    std::string sortie;   // a piece of the text output
    std::string erreurs;  // what the error stream says
    // A piece of the failing request's JSON record, and a text no account may show.
    std::string json = {};
    std::string jamais = {};
  };
  const Cas cas[] = {
      // Every family but maintenance listening, which the next rows end by duree. The ISO 2
      // track last: the terminal's closing character after it may come late, into the next
      // request on a loaded machine.
      {"",
       "switch,consultation,heure,etat-telecollecte,etat-teleparam,telecollecte,redemarrage,prix,"
       "vitesse,iso2",
       0,
       "    Demande de Switch = Carte présente\n[1] switch : réussie\n[2] consultation\n    No "
       "Serie: ZEF30SIM0001",
       ""},
      {"switch=0000", "consultation,switch", 12,
       "[2] switch : ÉCHEC — Demande de Switch = Carte non-présente",
       "requête 2 en échec (switch : Demande de Switch = Carte non-présente)\n"},
      {"eot=autre", "consultation", 11, "[1] consultation : ÉCHEC",
       "requête 1 en échec (consultation"},
      // The payments, their dossiers and the listeners; display frames told as they come.
      {"",
       "validite prix=1250 ecran=oui mode=video\nliste-dossiers\ninfo-dossier\nenregistrement\n"
       "validite\nannulation\nvalidite mode=vente\n"
       "maintenance duree=0.3\n",
       0, "    afficheur :\n      INSEREZ CARTE   \n      12.50 EUR", ""},
      // Its record holds its own result line, not the step before's.
      {"paiement.validite=9", "prix,validite,switch", 12,
       "[2] validite : ÉCHEC — Carte refusée DemVal Cause: ",
       "requête 2 en échec (validite : Carte refusée DemVal Cause: ",
       "\"resultat\":\"Demande de Validité = Erreur n°2\""},
      // The line hung up while the validity listened: a lost line, never a refused card.
      // (A price first: a validity at 0.00 EUR is said on the error stream before it goes.)
      {"faute.etape=4;faute.raccrocher=oui", "prix,validite", 12, "[2] validite : ÉCHEC — port 1 (",
       "requête 2 en échec (validite : port 1 (", "\"issue\":\"ligne-perdue\"", "Carte refusée"},
      // The status line it emptied is no reason: its line is.
      {"bruit=\\x15", "prix,validite", 12,
       "[2] validite : ÉCHEC — Demande de Validité = Erreur n°-700",
       "requête 2 en échec (validite : Demande de Validité = Erreur n°-700)\n"},
      // A refusal reads "1" like a single dossier, with no number.
      {"reponse.AJ00207=Aj0011", "liste-dossiers", 11, "[1] liste-dossiers : ÉCHEC",
       "requête 1 en échec (liste-dossiers"},
  };
  for (const Cas& k : cas) {
    for (const bool json : {false, true}) {
      simulateur::Scenario scenario;
      scenario.paiement.pauseCarte = scenario.paiement.pauseCode = 0;
      scenario.paiement.pauseReponse = 0;
      scenario.rafale = true;
      scenario.soins.pause = 0;
      // A listened ISO 2 answer is acknowledged twice: with one more frame after it, the
      // exchange's own ACK always meets a character instead of its 10 s wait.
      scenario.apresReponse["AG000"] = {simulateur::TrameAffichage("", "")};
      for (const std::string_view cle : Decouper(k.cle, ";")) {
        if (cle.empty()) continue;
        const auto egal = cle.find('=');
        ASSERT_TRUE(simulateur::AppliquerCle(scenario, std::string(cle.substr(0, egal)),
                                             std::string(cle.substr(egal + 1))));
      }
      simulateur::TerminalSimule terminal(scenario);
      TablePorts table;
      const std::string chemin = terminal.OuvrirPseudoTerminal().ValeurOu({});
      table.Associer(1, chemin);
      terminal.Demarrer();
      std::ostringstream sortie, erreurs;
      essai::DossierTemporaire dossier;
      HorlogeSysteme horloge;
      PortPosix port(table);
      FenetreTexte fenetre(json ? nullptr : &sortie);
      Poste poste(port, horloge, fenetre, dossier.Chemin());
      Console& console = poste.console;
      const auto requetes = LireScript(k.script);
      ASSERT_TRUE(requetes) << TexteEchec(requetes);

      // The road main takes: the records go through the campaign's journal.
      const std::vector<std::string> arguments = {
          "--headless", "--port", "1=" + chemin, "--run", k.script, json ? "--json" : "--verbose"};
      const auto lecture = LireOptions(arguments);
      const auto& options = lecture.options;
      ASSERT_TRUE(options) << lecture.erreur;
      EXPECT_EQ(ExecuterSansFenetre(*options, console, fenetre, *requetes, dossier.Chemin(), "",
                                    MaintenantMural(), sortie, erreurs),
                k.code)
          << k.script;
      EXPECT_EQ(erreurs.str().substr(0, k.erreurs.size()), k.erreurs);
      if (!k.jamais.empty()) {
        EXPECT_EQ(sortie.str().find(k.jamais), std::string::npos) << sortie.str();
        EXPECT_EQ(erreurs.str().find(k.jamais), std::string::npos) << erreurs.str();
      }
      if (!json) {
        EXPECT_NE(sortie.str().find(k.sortie), std::string::npos) << sortie.str();
        continue;
      }
      std::istringstream lignes(sortie.str());
      std::size_t n = 0;
      for (std::string ligne; std::getline(lignes, ligne); ++n) {
        EXPECT_TRUE(EstJson(ligne)) << ligne;
        // The summary closes the run.
        if (n == requetes->size()) continue;
        const bool echec = k.code == 10 + static_cast<int>(n) + 1;
        EXPECT_NE(ligne.find(echec ? "\"reussie\":false" : "\"reussie\":true"), std::string::npos)
            << ligne;
        if (echec && !k.json.empty()) {
          EXPECT_NE(ligne.find(k.json), std::string::npos) << ligne;
        }
      }
      EXPECT_EQ(n, requetes->size() + 1);
    }
  }
}

}  // namespace
}  // namespace zef30
