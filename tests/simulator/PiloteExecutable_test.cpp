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
#include "tests/support/Programme.h"

namespace zef30 {
namespace {

constexpr int kLimiteMs = 30'000;

// A client of the console's socket, as a test framework's would be.
class Client {
 public:
  explicit Client(const std::string& chemin) {
    sockaddr_un adresse{};
    adresse.sun_family = AF_UNIX;
    chemin.copy(adresse.sun_path, sizeof adresse.sun_path - 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~Client() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Connecte() const { return fd_ >= 0; }
  void Envoyer(const std::string& ligne) {
    const std::string texte = ligne + "\n";
    EXPECT_EQ(::send(fd_, texte.data(), texte.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(texte.size()));
  }
  // The next answer holding `piece`, the others passed over; empty when none came in time.
  std::string Attendre(const std::string& piece) {
    for (;;) {
      while (recu_.find('\n') != std::string::npos) {
        const auto saut = recu_.find('\n');
        std::string ligne = recu_.substr(0, saut);
        recu_.erase(0, saut + 1);
        if (ligne.find(piece) != std::string::npos) return ligne;
      }
      pollfd attente{fd_, POLLIN, 0};
      if (::poll(&attente, 1, kLimiteMs) != 1) return {};
      char morceau[4096];
      const ssize_t n = ::recv(fd_, morceau, sizeof morceau, 0);
      if (n <= 0) return {};
      recu_.append(morceau, static_cast<std::size_t>(n));
    }
  }

 private:
  int fd_ = -1;
  std::string recu_;
};

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
    Client client(socket);
    ASSERT_TRUE(client.Connecte());
    for (const auto& commande : c.commandes) client.Envoyer(commande);
    if (c.pendantEcoute) {
      std::string etat;
      for (int essai = 0; essai < 1000 && etat.find(R"("ecoute":true)") == std::string::npos;
           ++essai) {
        client.Envoyer(R"({"id":"e","etat":true})");
        etat = client.Attendre(R"({"id":"e")");
        ASSERT_FALSE(etat.empty());
      }
    } else if (c.signal != 0) {
      ASSERT_FALSE(client.Attendre(c.derniere).empty());
    }
    if (c.signal != 0) console.Signaler(c.signal);
    const std::string derniere =
        c.pendantEcoute || c.signal == 0 ? client.Attendre(c.derniere) : c.derniere;
    EXPECT_FALSE(derniere.empty()) << console.Tout(true);
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
