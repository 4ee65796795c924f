// zef30-console --pilote-socket as a program: driven by a client over its socket, ended by
// "fin" or by a signal, its exit code, its socket file gone, its journal remade into reports.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/DossierTemporaire.h"
#include "tests/support/LignesPilote.h"
#include "tests/support/Programme.h"

namespace zef30 {
namespace {

constexpr int kLimiteMs = 30'000;

TEST(PiloteExecutable, EndsOnFinOrAsACampaignOnASignal) {
  const struct {
    const char* nom;
    std::vector<std::string> commandes;
    bool pendantEcoute;    // the signal once a listening runs
    int signal;            // 0: "fin" ends it
    std::string derniere;  // the last answer
    int code;
  } cas[] = {
      {"fin",
       {R"({"id":1,"requete":"switch"})", R"({"id":2,"fin":true})"},
       false,
       0,
       R"({"id":2,"fin":true,"requetes":1,"reussies":1,"journal":")",
       0},
      // The first Ctrl-C stops the listening that only "Sortie Ecoute" ends, as "arret".
      {"Ctrl-C during a listening",
       {R"({"id":1,"requete":"maintenance"})"},
       true,
       SIGINT,
       R"({"id":1,"numero":1,"requete":"maintenance","reussie":true,)",
       130},
      {"SIGTERM",
       {R"({"id":1,"requete":"switch"})"},
       false,
       SIGTERM,
       R"({"id":1,"numero":1,"requete":"switch","reussie":true,)",
       128 + SIGTERM},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::DossierTemporaire dossier;
    const std::string socket = dossier.Fichier("console.sock");
    essai::Programme console(
        {"--pilote-socket", socket, "--simulator", "--data-dir", dossier.Chemin()}, ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    ASSERT_TRUE(console.AttendreSortie("commandes attendues sur la socket", kLimiteMs, true));
    const int fd = essai::Connecter(socket);
    ASSERT_GE(fd, 0);
    essai::ClientPilote client(fd);
    for (const auto& commande : c.commandes) client.Envoyer(commande);
    if (c.pendantEcoute) {
      ASSERT_TRUE(client.AttendreEcoute(kLimiteMs));
    } else if (c.signal != 0) {
      ASSERT_FALSE(client.Attendre(c.derniere, kLimiteMs).empty());
    }
    if (c.signal != 0) console.Signaler(c.signal);
    const std::string derniere =
        c.pendantEcoute || c.signal == 0 ? client.Attendre(c.derniere, kLimiteMs) : c.derniere;
    EXPECT_FALSE(derniere.empty()) << console.Tout(true);
    ::close(fd);
    EXPECT_EQ(console.AttendreFin(kLimiteMs), c.code);
    struct stat etat {};
    if (c.signal != SIGTERM) {
      EXPECT_NE(::lstat(socket.c_str(), &etat), 0) << "socket left";
    }
    if (c.signal != 0) continue;
    // The journal the answer names makes the reports of the piloted run.
    const std::string cle = "\"journal\":\"";
    const auto debut = derniere.find(cle) + cle.size();
    const std::string journal = derniere.substr(debut, derniere.find('"', debut) - debut);
    essai::Programme rapports({"--report-from", journal, "--junit", dossier.Fichier("j.xml")},
                              ZEF30_CONSOLE);
    EXPECT_EQ(rapports.AttendreFin(kLimiteMs), 0) << rapports.Tout(true);
    EXPECT_NE(essai::LireTout(dossier.Fichier("j.xml")).find("switch"), std::string::npos);
  }
}

}  // namespace
}  // namespace zef30
