// The line trace of a console talking to the simulated terminal: every byte of both directions
// in order, as the terminal itself saw them, and each frame marked by its check character.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "link/TraceLigne.h"
#include "requests/Consultation.h"
#include "requests/Switch.h"
#include "requests/Validite.h"
#include "simulator/LectureScenario.h"
#include "simulator/TerminalSimule.h"
#include "tests/simulator/ConsoleTracee.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;

TEST(TraceSurPseudoTerminal, HoldsEveryByteBothWaysAndMarksEachFrame) {
  struct Cas {
    std::string nom;
    std::string cle;  // a scenario key=value for this request, or nothing
    std::function<void(Console&)> requete;
    std::vector<std::string> trames;  // code and verdict of each frame, in order
  };
  const std::string longue = "Aj300" + std::string(300, 'x');
  const Cas cas[] = {
      {"switch", "", cmdDemSwi_Click, {"AA juste", "Aa juste"}},
      {"consultation", "", cmdDemConsult_Click, {"AJ juste", "Aj juste"}},
      {"deux blocs",
       "reponse.AJ00202=" + longue,
       [](Console& c) {
         c.liaison.AttendreTerminalPret();
         EXPECT_EQ(TexteReponse(c.liaison.Echanger("AJ00202", 309, 10s)).size(), 309u);
       },
       {"AJ juste", "Aj juste", "xx juste"}},
      // What the validity listener reads and acknowledges goes through the same tap.
      {"validité écoutée",
       "",
       [](Console& c) { cmdDemVal_Click(c); },
       {"AK juste", "D  juste", "D  juste", "D  juste", "Ak juste", "11 juste", "D  juste"}},
      {"LRC faux",
       "brut.AA000=\\x02Aa0040100\\x10\\x03\\x07",
       cmdDemSwi_Click,
       {"AA juste", "Aa FAUSSE"}},
  };
  simulateur::TerminalSimule terminal;
  const auto ouvert = terminal.OuvrirPseudoTerminal();
  const std::string chemin = ouvert.ValeurOu({});
  ASSERT_FALSE(chemin.empty()) << TexteEchec(ouvert);
  terminal.Demarrer();
  essai::DossierTemporaire dossier;
  const std::string fichier = dossier.Fichier("ligne.trace");
  essai::ConsoleTracee c(chemin, fichier);
  std::vector<std::string> trames;
  c.trace.Observer([&](const EnregistrementTrace& e, bool) {
    for (const auto& t : e.trames)
      trames.push_back(t.substr(6, 2) + (t.ends_with("juste") ? " juste" : " FAUSSE"));
  });

  int servies = 0;
  for (const Cas& k : cas) {
    terminal.ModifierScenario([&](simulateur::Scenario& s) {
      s = {};
      s.paiement.pauseCarte = s.paiement.pauseCode = s.paiement.pauseReponse = 0;
      if (!k.cle.empty()) {
        const auto egal = k.cle.find('=');
        const auto lu = simulateur::AppliquerCle(s, k.cle.substr(0, egal), k.cle.substr(egal + 1));
        ASSERT_TRUE(lu) << TexteEchec(lu);
      }
    });
    trames.clear();
    k.requete(c.console);
    ASSERT_TRUE(terminal.AttendreRequetesServies(++servies, 5s)) << k.nom;
    EXPECT_EQ(trames, k.trames) << k.nom;
  }

  const auto lue = LireTrace(essai::LireTout(fichier));
  ASSERT_TRUE(lue) << TexteEchec(lue);
  std::string versTerminal, versConsole;
  for (const auto& e : *lue)
    (e.sens == Sens::VersTerminal ? versTerminal : versConsole) += e.octets;
  EXPECT_EQ(versTerminal, terminal.Recu());
  EXPECT_EQ(versConsole, terminal.Emis());
}

}  // namespace
}  // namespace zef30
