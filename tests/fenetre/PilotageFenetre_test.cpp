#include "window/PilotageFenetre.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/PilotageEnFenetre.h"
#include "base/Horloge.h"
#include "console/Poste.h"
#include "link/PortPosix.h"
#include "link/TablePorts.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/LigneSimulee.h"
#include "tests/support/LignesPilote.h"
#include "window/FenPresentation.h"
#include "window/PortFenetre.h"

namespace zef30 {
namespace {

using essai::OuvrirLigne;
using essai::PortUnVers;

using namespace std::chrono_literals;

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

// A test script's end of the socket at `chemin`, on a thread of its own as a script's process
// would be.
struct Client {
  explicit Client(const std::string& chemin) : fd(essai::Connecter(chemin)), lignes(fd) {}
  ~Client() {
    if (fd >= 0) ::close(fd);
  }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  void Envoyer(const std::string& ligne) { lignes.Envoyer(ligne); }
  // The next answer line that is not an event; empty past 15 s.
  std::string LireReponse() {
    std::string ligne;
    do {
      ligne = lignes.Lire(15'000);
    } while (ligne.find("\"evenement\"") != std::string::npos);
    return ligne;
  }

  int fd;
  essai::ClientPilote lignes;
};

// `script` run on its own thread against the window's socket, while this thread runs the
// window's event loop, until the script has ended.
void JouerScript(FenetrePilotee& fenetre, const std::function<void(Client&)>& script) {
  Client client(fenetre.socket);
  ASSERT_GE(client.fd, 0) << std::strerror(errno);
  std::atomic<bool> fini = false;
  std::thread fil([&] {
    script(client);
    fini = true;
  });
  const auto echeance = std::chrono::steady_clock::now() + 60s;
  while (!fini && std::chrono::steady_clock::now() < echeance) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  fil.join();
}

// Each command answered on the socket by the window, in order, on one console: the request is
// shown in the window as its click would show it, the state answered, the end heard.
TEST(PilotageFenetre, EachCommandOnTheSocketIsAnsweredByTheWindow) {
  struct Cas {
    const char* commande;
    std::vector<const char*> reponse;  // what the answer line holds
  };
  const std::vector<Cas> cas = {
      {R"({"id":1,"requete":"switch","attendu":["réussie"]})",
       {R"({"id":1,)", R"("resultat":"Demande de Switch = Carte présente")", R"("reussie":true)"}},
      {R"({"id":"deux","etat":true})", {R"({"id":"deux","etat":{)", R"("ecoute":false)"}},
      {R"({"id":3,"requete":"bogus"})", {R"({"id":3,"erreur":)", "bogus"}},
      {R"({"id":4,"fin":true})", {R"({"id":4,"fin":true)", R"("requetes":1)"}},
  };
  FenetrePilotee fenetre;
  ASSERT_TRUE(fenetre.pilotage);
  std::vector<std::string> reponses;
  JouerScript(fenetre, [&](Client& client) {
    for (const Cas& k : cas) {
      client.Envoyer(k.commande);
      reponses.push_back(client.LireReponse());
    }
  });
  ASSERT_EQ(reponses.size(), cas.size());
  for (std::size_t i = 0; i < cas.size(); ++i) {
    SCOPED_TRACE(cas[i].commande);
    for (const char* attendu : cas[i].reponse) {
      EXPECT_NE(reponses[i].find(attendu), std::string::npos) << reponses[i];
    }
  }
  EXPECT_EQ(fenetre.Lignes(), std::vector<std::string>{"Demande de Switch = Carte présente"});
  EXPECT_EQ(fenetre.code, 0);
}

// A listening the window runs for the script (without "duree": until it is stopped) ends on the
// script's "arret", read inside the listener's own waits and answered, or on the person's click
// on "Sortie Ecoute", which reaches it as during their own listening; its record follows. A
// question sent in the same write as the request (the socket then has nothing more to read) is
// answered while the listening runs.
TEST(PilotageFenetre, AListeningTheWindowRunsForTheScriptEndsOnItsStop) {
  struct Cas {
    const char* nom;
    bool parLeScript;  // "arret" on the socket; otherwise a click on "Sortie Ecoute"
    bool etatAvec;     // {"etat":true} in the request's write
  };
  for (const Cas& k : {Cas{"arret", true, false}, Cas{"clic", false, false},
                       Cas{"etat dans la même écriture", true, true}}) {
    SCOPED_TRACE(k.nom);
    FenetrePilotee fenetre;
    ASSERT_TRUE(fenetre.pilotage);
    // The person clicks once the script has seen the listening begin (in the row that says so):
    // the window's thread runs the listening meanwhile, and hears this timer in its waits.
    std::atomic<bool> ecoute = false;
    QTimer personne;
    QObject::connect(&personne, &QTimer::timeout, [&] {
      if (!ecoute) return;
      personne.stop();
      QTest::mouseClick(fenetre.fenetre.findChild<QPushButton*>(QStringLiteral("Command1")),
                        Qt::LeftButton);
    });
    std::string evenement, etat, arret, fiche;
    personne.start(5);
    JouerScript(fenetre, [&](Client& client) {
      std::string envoi = R"({"id":1,"requete":"maintenance","evenements":true})";
      if (k.etatAvec)
        envoi +=
            "\n"
            R"({"id":"e","etat":true})";
      client.Envoyer(envoi);
      evenement = client.lignes.Attendre(R"("evenement":"ecoute")", 15'000);
      if (k.etatAvec) etat = client.lignes.Attendre(R"({"id":"e","etat":{)", 15'000);
      if (k.parLeScript) {
        client.Envoyer(R"({"id":2,"arret":true})");
        arret = client.LireReponse();
      } else {
        ecoute = true;
      }
      fiche = client.LireReponse();
    });
    EXPECT_NE(evenement.find(R"({"id":1,"evenement":"ecoute","texte":"EN ECOUTE)"),
              std::string::npos)
        << evenement;
    if (k.etatAvec) {
      EXPECT_NE(etat.find(R"("ecoute":true)"), std::string::npos) << etat;
    }
    if (k.parLeScript) {
      EXPECT_EQ(arret, R"({"id":2,"arret":true})");
    }
    for (const char* attendu : {R"({"id":1,)", R"("requete":"maintenance")", R"("reussie":true)"}) {
      EXPECT_NE(fiche.find(attendu), std::string::npos) << fiche;
    }
  }
}

}  // namespace
}  // namespace zef30
