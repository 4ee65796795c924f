#include "window/PilotageFenetre.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QListWidget>
#include <chrono>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/PilotageEnFenetre.h"
#include "base/Horloge.h"
#include "console/Poste.h"
#include "link/PortPosix.h"
#include "link/TablePorts.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/DossierTemporaire.h"
#include "window/FenPresentation.h"
#include "window/PortFenetre.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;

std::string OuvrirLigne(simulateur::TerminalSimule& terminal) {
  const auto ouvert = terminal.OuvrirPseudoTerminal();
  std::string chemin = ouvert.ValeurOu({});
  EXPECT_FALSE(chemin.empty()) << TexteEchec(ouvert);
  terminal.Demarrer();
  return chemin;
}

TablePorts PortUnVers(const std::string& chemin) {
  TablePorts table;
  table.Associer(1, chemin);
  return table;
}

// The window program's console on the simulated terminal, piloted on a socket in its folder, as
// main assembles it; the piloting's end is heard by `code`.
struct FenetrePilotee {
  FenetrePilotee() {
    SignalerErreursPort(liaison, fenetre);
    fenetre.AttacherConsole(poste.console);
    fenetre.AttacherLigne(ligneFenetre);
    fenetre.Form_Load(port);
    auto servi = OuvrirPilotageEnFenetre(socket, dossier.Chemin(), MaintenantMural(),
                                         &erreurs)(poste.console);
    EXPECT_TRUE(servi) << TexteEchec(servi);
    if (servi) pilotage.emplace(fenetre, std::move(*servi), [this](int c) { code = c; });
  }

  std::vector<std::string> Lignes() {
    std::vector<std::string> lignes;
    auto* liste = fenetre.findChild<QListWidget*>(QStringLiteral("List1"));
    for (int i = 0; liste != nullptr && i < liste->count(); ++i)
      lignes.push_back(liste->item(i)->text().toStdString());
    return lignes;
  }

  essai::DossierTemporaire dossier;
  std::string socket = dossier.Fichier("pilote.sock");
  simulateur::TerminalSimule terminal;
  std::string ligne = OuvrirLigne(terminal);
  HorlogeSysteme horloge;
  PortPosix port{PortUnVers(ligne)};
  FenPresentation fenetre;
  PortFenetre ligneFenetre{port, fenetre};
  Poste poste{ligneFenetre, horloge, fenetre, dossier.Chemin()};
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  std::ostringstream erreurs;
  std::optional<PilotageFenetre> pilotage;
  std::optional<int> code;
};

// A test script's end of the socket: it writes commands and reads answers while the window's
// event loop runs, as the window program's would.
class Client {
 public:
  explicit Client(const std::string& chemin) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    std::strncpy(adresse.sun_path, chemin.c_str(), sizeof(adresse.sun_path) - 1);
    connecte_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&adresse), sizeof(adresse)) == 0;
  }
  ~Client() { ::close(fd_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connecte() const { return connecte_; }
  void Envoyer(const std::string& ligne) {
    const std::string texte = ligne + "\n";
    ASSERT_EQ(::send(fd_, texte.data(), texte.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(texte.size()));
  }
  // The next answer line, the window's events handled meanwhile; empty past the bound.
  std::string LireLigne(std::chrono::milliseconds delai = 15s) {
    const auto echeance = std::chrono::steady_clock::now() + delai;
    while (std::chrono::steady_clock::now() < echeance) {
      if (const auto fin = recu_.find('\n'); fin != std::string::npos) {
        std::string ligne = recu_.substr(0, fin);
        recu_.erase(0, fin + 1);
        return ligne;
      }
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      char octets[4096];
      const ssize_t lus = ::recv(fd_, octets, sizeof octets, MSG_DONTWAIT);
      if (lus > 0) recu_.append(octets, static_cast<std::size_t>(lus));
    }
    return {};
  }
  // The first answer line that is not an event.
  std::string LireReponse() {
    for (;;) {
      std::string ligne = LireLigne();
      if (ligne.find("\"evenement\"") == std::string::npos) return ligne;
    }
  }

 private:
  int fd_;
  bool connecte_ = false;
  std::string recu_;
};

// Each command answered on the socket by the window, in order, on one console: the request is
// shown in the window as its click would show it, the state answered, the end heard.
TEST(PilotageFenetre, EachCommandOnTheSocketIsAnsweredByTheWindow) {
  struct Cas {
    const char* commande;
    std::vector<const char*> reponse;  // what the answer line holds
  };
  const Cas cas[] = {
      {R"({"id":1,"requete":"switch","attendu":["réussie"]})",
       {R"({"id":1,)", R"("resultat":"Demande de Switch = Carte présente")", R"("reussie":true)"}},
      {R"({"id":"deux","etat":true})", {R"({"id":"deux","etat":{)", R"("ecoute":false)"}},
      {R"({"id":3,"requete":"bogus"})", {R"({"id":3,"erreur":)", "bogus"}},
      {R"({"id":4,"fin":true})", {R"({"id":4,"fin":true)", R"("requetes":1)"}},
  };
  FenetrePilotee fenetre;
  ASSERT_TRUE(fenetre.pilotage);
  Client client(fenetre.socket);
  ASSERT_TRUE(client.Connecte()) << std::strerror(errno);
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.commande);
    client.Envoyer(k.commande);
    const std::string reponse = client.LireReponse();
    for (const char* attendu : k.reponse)
      EXPECT_NE(reponse.find(attendu), std::string::npos) << reponse;
  }
  EXPECT_EQ(fenetre.Lignes(), std::vector<std::string>{"Demande de Switch = Carte présente"});
  EXPECT_EQ(fenetre.code, 0);
}

// "Sortie Ecoute" reaches a listening the window runs for the script: the stop is read inside the
// listener's own waits, answered, and the listening's record follows.
TEST(PilotageFenetre, AStopOnTheSocketEndsTheListeningTheWindowRuns) {
  FenetrePilotee fenetre;
  ASSERT_TRUE(fenetre.pilotage);
  Client client(fenetre.socket);
  ASSERT_TRUE(client.Connecte()) << std::strerror(errno);
  client.Envoyer(R"({"id":1,"requete":"maintenance","evenements":true})");
  std::string ligne;
  while ((ligne = client.LireLigne()).find(R"("evenement":"ecoute")") == std::string::npos) {
    ASSERT_FALSE(ligne.empty()) << "no listening event";
  }
  client.Envoyer(R"({"id":2,"arret":true})");
  EXPECT_EQ(client.LireReponse(), R"({"id":2,"arret":true})");
  const std::string fiche = client.LireReponse();
  EXPECT_NE(fiche.find(R"({"id":1,)"), std::string::npos) << fiche;
  EXPECT_NE(fiche.find(R"("requete":"maintenance")"), std::string::npos) << fiche;
  EXPECT_NE(fiche.find(R"("reussie":true)"), std::string::npos) << fiche;
}

}  // namespace
}  // namespace zef30
