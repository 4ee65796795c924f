// The console on a line served by a real ser2net, over RFC 2217 and as raw TCP: every request as
// on the pseudo-terminal itself, 0xFF both ways, a server gone and back, a connection refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "console/Demarrage.h"
#include "headless/RequetesScriptees.h"
#include "link/PortAiguillage.h"
#include "link/PortTrace.h"
#include "link/Trame.h"
#include "requests/Switch.h"
#include "simulator/LectureScenario.h"
#include "simulator/TerminalSimule.h"
#include "tests/simulator/ConsoleTracee.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/HorlogeMuraleFixe.h"
#include "tests/support/Ser2net.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;
enum class Ligne { PseudoTerminal, Rfc2217, Tcp };

// The simulated terminal on a pseudo-terminal, reached directly or through ser2net as port 1.
struct Poste {
  explicit Poste(Ligne ligne, const std::string& cle = "") : table(Preparer(ligne, cle)) {}
  TablePorts Preparer(Ligne ligne, const std::string& cle) {
    terminal.ModifierScenario([&](simulateur::Scenario& s) {
      s.paiement.pauseCarte = s.paiement.pauseCode = s.paiement.pauseReponse = s.soins.pause = 0;
      s.rafale = true;
      const auto egal = cle.find('=');
      std::string raison;
      if (!cle.empty())
        simulateur::AppliquerCle(s, cle.substr(0, egal), cle.substr(egal + 1), raison);
    });
    std::string erreur;
    const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
    terminal.Demarrer();
    if (ligne != Ligne::PseudoTerminal) serveur.emplace(chemin);
    TablePorts t;
    t.Associer(1, serveur ? serveur->Url(ligne == Ligne::Rfc2217) : chemin);
    return t;
  }
  simulateur::TerminalSimule terminal;
  std::optional<essai::Ser2net> serveur;
  TablePorts table;
  HorlogeSysteme horloge;
  PortAiguillage ligne{table};
  PortTrace port{ligne, horloge, "2026-12-08 06:27:15"};
  EtatConsole etat;
  Liaison liaison{port, horloge, etat.NumeroPortCom};
};

// What a run showed and left in its folder; the time the terminal prints on its receipts, from its
// own clock, left out.
std::string Executer(Ligne ligne, const std::string& script) {
  Poste poste(ligne);
  essai::DossierTemporaire dossier;
  std::ostringstream sortie;
  FenetreTexte fenetre(&sortie);
  const HorlogeMuraleFixe murale(2026, 12, 8, 6, 27, 15);
  FichiersConsole fichiers(dossier.Chemin(), fenetre, murale, std::locale::classic());
  Console console{poste.etat, poste.liaison, fenetre, fichiers};
  SignalerErreursPort(poste.liaison, fenetre);
  std::string erreur;
  const int code =
      ExecuterScript(console, fenetre, *LireScript(script, erreur), false, sortie, sortie);
  sortie << "code " << code << '\n';
  for (const auto& f : std::filesystem::recursive_directory_iterator(dossier.Chemin())) {
    if (f.is_regular_file())
      sortie << f.path().filename() << ":\n" << essai::LireTout(f.path().string()) << '\n';
  }
  return std::regex_replace(sortie.str(), std::regex("\\d\\dh\\d\\dm\\d\\d"), "HHhMMmSS");
}

TEST(LigneReseau, EveryRequestGoesAsOnThePseudoTerminalItself) {
  for (const FamilleScriptee& famille : FamillesScriptees()) {
    const std::string script =
        std::string(famille.nom) + (famille.dureeEcoute > 0 ? " duree=0.3\n" : " prix=1250\n");
    const std::string directe = Executer(Ligne::PseudoTerminal, script);
    EXPECT_EQ(Executer(Ligne::Rfc2217, script), directe) << script;
    EXPECT_EQ(Executer(Ligne::Tcp, script), directe) << script;
  }
}

TEST(LigneReseau, ACheckCharacterAndAnAnswerOf0xFFPassBothWaysUnchanged) {
  std::string message = "AJ0010?";
  for (int c = 0; EncadrerMessage(message).back() != '\xFF' && c < 256; ++c)
    message[6] = static_cast<char>(c);
  const std::string reponse = EncadrerMessage("Aj002\xFF\xFF");
  for (const Ligne ligne : {Ligne::Rfc2217, Ligne::Tcp}) {
    Poste poste(ligne, "reponse.AJ0010=Aj002\\xFF\\xFF");
    std::vector<EnregistrementTrace> releves;
    poste.port.Observer([&](const EnregistrementTrace& e, bool remplace) {
      if (remplace) releves.pop_back();
      releves.push_back(e);
    });
    ASSERT_TRUE(poste.liaison.AttendreTerminalPret()) << poste.ligne.DerniereErreur();
    EXPECT_EQ(poste.liaison.Echanger(message, 11, 10), reponse);
    ASSERT_TRUE(poste.terminal.AttendreRequetesServies(1, 5s));
    const std::string envoi = "\x05" + EncadrerMessage(message) + "\x04\x06\x06";
    EXPECT_EQ(poste.terminal.Recu(), envoi);
    std::map<Sens, std::string> trace;
    for (const auto& e : releves) trace[e.sens] += e.octets;
    EXPECT_EQ(trace[Sens::VersTerminal], envoi);
    EXPECT_EQ(trace[Sens::VersConsole], "\x06\x06\x05" + reponse + "\x04");
  }
}

TEST(LigneReseau, AServerGoneIsALostLineAndTheNextRequestConnectsAgain) {
  Poste poste(Ligne::Rfc2217, "eot=silence");
  essai::FenetreMemoire fenetre;
  FichiersConsole fichiers("/nonexistent-zef30-data", fenetre);
  Console console{poste.etat, poste.liaison, fenetre, fichiers};
  SignalerErreursPort(poste.liaison, fenetre);
  // Stopped while the console waits for the answer to its EOT (ENQ, frame, EOT received).
  std::thread arret([&] {
    if (poste.terminal.AttendreRecu(11, 5s)) poste.serveur->Arreter();
  });
  const auto debut = std::chrono::steady_clock::now();
  cmdDemSwi_Click(console);
  arret.join();
  EXPECT_LT(std::chrono::steady_clock::now() - debut, 2s);  // the wait was for 10 s
  EXPECT_NE(fenetre.etat.find("ligne perdue : connexion "), std::string::npos) << fenetre.etat;

  poste.terminal.ModifierScenario([](simulateur::Scenario& s) { s.reponseEot = {}; });
  ASSERT_TRUE(poste.serveur->Demarrer());
  cmdDemSwi_Click(console);
  EXPECT_EQ(fenetre.lignes.back(), "Demande de Switch = Carte présente");
}

TEST(LigneReseau, AConnectionThatCannotBeMadeSaysWhyAtOnce) {
  // A listener whose queue is full lets a connection wait for ever; one closed refuses it.
  const int pleine = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t taille = sizeof a;
  ::bind(pleine, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(pleine, 0);
  ::getsockname(pleine, reinterpret_cast<sockaddr*>(&a), &taille);
  const std::string url = "tcp://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  PortReseau occupant(essai::ConsoleTracee::Table(url));
  ASSERT_TRUE(occupant.Ouvrir(1, "9600,N,8,1"));
  const int fermee = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  a.sin_port = 0;
  ::bind(fermee, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fermee, reinterpret_cast<sockaddr*>(&a), &taille);
  const struct {
    std::string url;
    std::string raison;
    std::chrono::milliseconds limite;
  } cas[] = {
      {"rfc2217://127.0.0.1:" + std::to_string(ntohs(a.sin_port)), "connexion refusée", 100ms},
      {"tcp://nowhere.invalid:5000", "hôte « nowhere.invalid » introuvable", 2000ms},
      {url, "délai dépassé", 600ms},
  };
  for (const auto& k : cas) {
    PortReseau port(essai::ConsoleTracee::Table(k.url), 300ms);
    const auto debut = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.Ouvrir(1, "9600,N,8,1"));
    EXPECT_LT(std::chrono::steady_clock::now() - debut, k.limite) << k.url;
    EXPECT_EQ(port.DerniereErreur(), "port 1 (" + k.url + ") : " + k.raison);
  }
  // The start-up scan lists a network line without connecting to it: this one would refuse.
  PortAiguillage recense(essai::ConsoleTracee::Table(cas[0].url));
  EXPECT_EQ(RecenserPortsCom(recense).at(0), "1");
  ::close(pleine);
  ::close(fermee);
}

}  // namespace
}  // namespace zef30
