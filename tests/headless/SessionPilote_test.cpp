// A piloted session on a scripted port, whose waits cannot sleep on a descriptor: commands sent
// all at once, as a pipe would bring them, read in the request's own waits.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "console/Poste.h"
#include "headless/FenetreTexte.h"
#include "headless/JournalCampagne.h"
#include "headless/Pilotage.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/HorlogeVirtuelle.h"
#include "tests/support/PortScripte.h"

namespace zef30 {
namespace {

TEST(SessionPilote, ReadsCommandsSentAtOnceInsideTheRequestsWaits) {
  const struct {
    const char* nom;
    std::vector<std::string> commandes;
    // Pieces of the answers, in their order (an answer may hold several).
    std::vector<std::string> reponses;
    int code;
    bool lecteurParti = false;  // nobody reads the answers
    int gestionnaires = 0;      // the window's own requests under way meanwhile
  } cas[] = {
      {"a stop and the state while a listening runs, the end refused until it is over",
       {R"({"id":1,"requete":"maintenance"})", R"({"id":2,"etat":true})",
        R"({"id":3,"arret":true})", R"({"id":4,"fin":true})"},
       {R"({"id":2,"etat":{"Prix":0,)", R"("port":1,)", R"("ecoute":true}})",
        R"({"id":3,"arret":true})", R"({"id":4,"erreur":"une requête est en cours"})",
        R"({"id":1,"numero":1,"requete":"maintenance","reussie":true,)"},
       0},
      {"the window's own request holds the console",
       {R"({"id":1,"requete":"switch"})", R"({"id":2,"fin":true})"},
       {R"({"id":1,"erreur":"la console est occupée par une autre requête"})",
        R"({"id":2,"fin":true,"requetes":0,)"},
       0,
       false,
       1},
      {"nothing listens",
       {R"({"id":1,"arret":true})", R"({"id":2,"etat":true})", R"({"id":3,"fin":true})"},
       {R"({"id":1,"erreur":"aucune écoute en cours"})", R"("ecoute":false}})",
        R"({"id":3,"fin":true,"requetes":0,"reussies":0,"journal":")"},
       0},
      {"the listening's caption told before the record, stopped by its duree",
       {R"({"id":"m","requete":"maintenance","entrees":{"duree":2},"evenements":true})"},
       {R"({"id":"m","evenement":"ecoute","texte":"EN ECOUTE"})",
        R"({"id":"m","numero":1,"requete":"maintenance","reussie":true,)"},
       0},
      // Nobody is left to send the "arret" it waits for.
      {"the input ends during a listening that only a stop ends",
       {R"({"id":1,"requete":"maintenance"})"},
       {R"({"id":1,"numero":1,"requete":"maintenance","reussie":true,)"},
       0},
      {"nobody reads the answers",
       {R"({"id":1,"requete":"maintenance","evenements":true})"},
       {},
       130,
       true},
      {"a terminal that never answers",
       {R"({"id":1,"requete":"switch","attendu":["réussie"]})"},
       {R"({"id":1,"numero":1,"requete":"switch","reussie":false,)"},
       1},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::DossierTemporaire dossier;
    essai::HorlogeVirtuelle horloge;
    essai::PortScripte port(horloge);
    FenetreTexte fenetre;
    Poste poste(port, horloge, fenetre, dossier.Chemin());
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    std::string envoi;
    for (const auto& commande : c.commandes) envoi += commande + "\n";
    ASSERT_EQ(::send(fds[1], envoi.data(), envoi.size(), 0), static_cast<ssize_t>(envoi.size()));
    ::shutdown(fds[1], c.lecteurParti ? SHUT_RDWR : SHUT_WR);
    // As main has it: a write nobody reads fails rather than ends the program.
    const auto avant = ::signal(SIGPIPE, SIG_IGN);
    CanalDescripteurs canal(fds[0], fds[0]);
    JournalCampagne journal(dossier.Fichier("campagne.jsonl"));
    PiloteSansFenetre pilote(poste.console, fenetre, canal, &journal);
    poste.etat.GestionnairesEnCours = c.gestionnaires;

    pilote.Session().Executer();
    ::signal(SIGPIPE, avant);

    EXPECT_TRUE(pilote.Session().Finie());
    EXPECT_EQ(pilote.Session().CodeSortie(false), c.code);
    ::shutdown(fds[0], SHUT_WR);
    std::string recu;
    char morceau[4096];
    for (ssize_t n; (n = ::recv(fds[1], morceau, sizeof morceau, 0)) > 0;) {
      recu.append(morceau, static_cast<std::size_t>(n));
    }
    std::size_t depuis = 0;
    for (const auto& piece : c.reponses) {
      const auto trouvee = recu.find(piece, depuis);
      ASSERT_NE(trouvee, std::string::npos) << piece << " after " << depuis << " in\n" << recu;
      depuis = trouvee + piece.size();
    }
    ::close(fds[0]);
    ::close(fds[1]);
  }
}

}  // namespace
}  // namespace zef30
