// The console on a line served by a real ser2net, over RFC 2217 and as raw TCP: every request as
// on the pseudo-terminal itself, 0xFF both ways, a server gone and back, connections refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "console/Demarrage.h"
#include "console/Poste.h"
#include "headless/Campagne.h"
#include "headless/RequetesScriptees.h"
#include "link/PortAiguillage.h"
#include "link/PortTrace.h"
#include "protocol/Trame.h"
#include "requests/Switch.h"
#include "simulator/LectureScenario.h"
#include "simulator/TerminalSimule.h"
#include "tests/simulator/ConsoleTracee.h"
#include "tests/support/HorlogeMuraleFixe.h"
#include "tests/support/Ser2net.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;
enum class Ligne { PseudoTerminal, Rfc2217, Tcp };

// A headless console whose port 1 is the simulated terminal (answering at once, with one more
// scenario key when given), reached directly or through ser2net.
struct Poste {
  explicit Poste(Ligne ligne, const std::string& cle = "", const std::string& valeur = "")
      : table(Preparer(ligne, cle, valeur)) {
    SignalerErreursPort(liaison, fenetre);
  }
  TablePorts Preparer(Ligne ligne, const std::string& cle, const std::string& valeur) {
    terminal.ModifierScenario([&](simulateur::Scenario& s) {
      s.paiement.pauseCarte = s.paiement.pauseCode = s.paiement.pauseReponse = s.soins.pause = 0;
      s.rafale = true;
      if (!cle.empty()) (void)simulateur::AppliquerCle(s, cle, valeur);
    });
    const std::string chemin = terminal.OuvrirPseudoTerminal().ValeurOu({});
    terminal.Demarrer();
    if (ligne != Ligne::PseudoTerminal) serveur.emplace(chemin);
    return essai::ConsoleTracee::Table(serveur ? serveur->Url(ligne == Ligne::Rfc2217) : chemin);
  }
  simulateur::TerminalSimule terminal;
  std::optional<essai::Ser2net> serveur;
  TablePorts table;
  HorlogeSysteme horloge;
  PortAiguillage ligne{table};
  PortTrace port{ligne, horloge, "2026-12-08 06:27:15"};
  std::ostringstream sortie;
  FenetreTexte fenetre{&sortie};
  essai::DossierTemporaire dossier;
  const HorlogeMuraleFixe murale{2026, 12, 8, 6, 27, 15};
  zef30::Poste poste{port, horloge, fenetre, dossier.Chemin(), murale, std::locale::classic()};
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

// Every "12h34m56" of `texte` as "HHhMMmSS".
std::string MasquerHeures(std::string texte) {
  const auto chiffre = [&](std::size_t i) { return texte[i] >= '0' && texte[i] <= '9'; };
  for (std::size_t i = 0; i + 8 <= texte.size(); ++i) {
    if (chiffre(i) && chiffre(i + 1) && texte[i + 2] == 'h' && chiffre(i + 3) && chiffre(i + 4) &&
        texte[i + 5] == 'm' && chiffre(i + 6) && chiffre(i + 7)) {
      texte.replace(i, 8, "HHhMMmSS");
    }
  }
  return texte;
}

TEST(LigneReseau, EveryRequestGoesAsOnThePseudoTerminalItself) {
  // What a run showed and left in its folder, but the time the terminal prints on its receipts.
  const auto executer = [](Ligne ligne, const std::string& script) {
    Poste p(ligne);
    ReglagesCampagne reglages;
    reglages.raconter = true;
    const auto campagne =
        ExecuterCampagne(p.console, p.fenetre, *LireScript(script), reglages, p.sortie);
    p.sortie << CodeSortie(campagne.executions, p.sortie);
    for (const auto& f : std::filesystem::recursive_directory_iterator(p.dossier.Chemin())) {
      if (f.is_regular_file())
        p.sortie << f.path().filename() << essai::LireTout(f.path().string());
    }
    return MasquerHeures(p.sortie.str());
  };
  for (const BoutonConsole* famille : FamillesRequetes()) {
    const std::string script =
        std::string(famille->famille) +
        (famille->dureeEcoute > Horloge::Secondes::zero() ? " duree=0.3\n" : " prix=1250\n");
    const std::string directe = executer(Ligne::PseudoTerminal, script);
    EXPECT_EQ(executer(Ligne::Rfc2217, script), directe) << script;
    EXPECT_EQ(executer(Ligne::Tcp, script), directe) << script;
  }
}

TEST(LigneReseau, ACheckCharacterAndAnAnswerOf0xFFPassBothWaysUnchanged) {
  std::string message = "AJ0010?";
  for (int c = 0; EncadrerMessage(message).back() != '\xFF' && c < 256; ++c)
    message[6] = static_cast<char>(c);
  for (const Ligne ligne : {Ligne::Rfc2217, Ligne::Tcp}) {
    Poste p(ligne, "reponse.AJ0010", "Aj002\\xFF\\xFF");
    std::vector<EnregistrementTrace> releves;
    p.port.Observer([&](const EnregistrementTrace& e, bool remplace) {
      if (remplace) releves.pop_back();
      releves.push_back(e);
    });
    ASSERT_TRUE(p.liaison.AttendreTerminalPret()) << p.ligne.DerniereErreur();
    EXPECT_EQ(TexteReponse(p.liaison.Echanger(message, 11, 10s)), EncadrerMessage("Aj002\xFF\xFF"));
    ASSERT_TRUE(p.terminal.AttendreRequetesServies(1, 5s));
    std::map<Sens, std::string> trace;
    for (const auto& e : releves) trace[e.sens] += e.octets;
    EXPECT_EQ(trace[Sens::VersTerminal], p.terminal.Recu());
    EXPECT_EQ(trace[Sens::VersTerminal], "\x05" + EncadrerMessage(message) + "\x04\x06\x06");
    EXPECT_EQ(trace[Sens::VersConsole], "\x06\x06\x05" + EncadrerMessage("Aj002\xFF\xFF") + "\x04");
  }
}

TEST(LigneReseau, AServerGoneIsALostLineAndTheNextRequestConnectsAgain) {
  Poste p(Ligne::Rfc2217, "eot", "silence");
  // Stopped while the console waits for the answer to its EOT (ENQ, frame, EOT received).
  std::thread arret([&] {
    if (p.terminal.AttendreRecu(11, 5s)) p.serveur->Arreter();
  });
  const auto debut = std::chrono::steady_clock::now();
  cmdDemSwi_Click(p.console);
  arret.join();
  EXPECT_LT(std::chrono::steady_clock::now() - debut, 2s);  // the wait was for 10 s
  EXPECT_NE(p.sortie.str().find("ligne perdue : connexion "), std::string::npos) << p.sortie.str();

  p.terminal.ModifierScenario([](simulateur::Scenario& s) { s.reponseEot = {}; });
  ASSERT_TRUE(p.serveur->Demarrer());
  p.sortie.str("");
  cmdDemSwi_Click(p.console);
  EXPECT_EQ(p.sortie.str(), "    Demande de Switch = Carte présente\n");
}

TEST(LigneReseau, APortWithNothingListeningIsRefusedAtOnceWithItsReason) {
  std::uint16_t libre = 0;
  const int prise = essai::Ser2net::Lier(libre);  // bound, not listening
  const std::string url = "rfc2217://127.0.0.1:" + std::to_string(libre);
  PortAiguillage port(essai::ConsoleTracee::Table(url));
  // The start-up scan lists it without connecting to it.
  EXPECT_EQ(RecenserPortsCom(port).at(0), "1 — " + url);
  const auto debut = std::chrono::steady_clock::now();
  EXPECT_FALSE(port.Ouvrir(1, "9600,N,8,1"));
  EXPECT_LT(std::chrono::steady_clock::now() - debut, 100ms);
  EXPECT_EQ(port.DerniereErreur(), "port 1 (" + url + ") : connexion refusée");
  ::close(prise);
}

}  // namespace
}  // namespace zef30
