// The channels of a piloted console: lines cut out of what comes, whatever its pieces, and a
// socket nobody else can take over, serving one client at a time.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "headless/Pilotage.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/LignesPilote.h"

namespace zef30 {
namespace {

constexpr int kLimiteMs = 10'000;
const std::string kTropLongue = "<trop longue>";

// Every line the channel gives until its input ends (or nothing comes within the bound).
std::vector<std::string> LignesRecues(CanalPilote& canal, int fd, bool reentrant) {
  std::vector<std::string> lues;
  bool dedans = false;
  CanalPilote::Lecteur lire = [&](std::string_view ligne, bool tropLongue) {
    lues.push_back(tropLongue ? kTropLongue : std::string(ligne));
    // As a request run from a line reads the channel in its own waits.
    if (reentrant && !dedans) {
      dedans = true;
      canal.Recevoir(lire);
      dedans = false;
    }
  };
  for (;;) {
    pollfd attente{fd, POLLIN, 0};
    if (::poll(&attente, 1, kLimiteMs) != 1) break;
    if (!canal.Recevoir(lire)) break;
  }
  return lues;
}

TEST(CanalDescripteurs, GivesEachLineOnceWhateverThePiecesItCameIn) {
  const struct {
    const char* nom;
    std::vector<std::string> morceaux;
    bool reentrant;
    std::vector<std::string> lignes;
  } cas[] = {
      {"whole lines, a carriage return dropped", {"a\n", "b\r\n"}, false, {"a", "b"}},
      {"a line in two pieces, the last one without its end", {"ab", "c\nd"}, false, {"abc", "d"}},
      {"several lines in one piece", {"a\nb\nc\n"}, false, {"a", "b", "c"}},
      {"read again from within a line", {"a\nb\nc\n"}, true, {"a", "b", "c"}},
      {"a line past the bound, then one within",
       {std::string(70'000, 'x') + "\n", "e\n"},
       false,
       {kTropLongue, "e"}},
      {"a line past the bound with no end at all",
       {std::string(70'000, 'x')},
       false,
       {kTropLongue}},
      {"nothing", {}, false, {}},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    int tube[2];
    ASSERT_EQ(::pipe(tube), 0);
    // The writer on its own: a piece may be more than the pipe holds.
    std::thread ecrivain([&] {
      for (const auto& morceau : c.morceaux) {
        EXPECT_EQ(::write(tube[1], morceau.data(), morceau.size()),
                  static_cast<ssize_t>(morceau.size()));
      }
      ::close(tube[1]);
    });
    CanalDescripteurs canal(tube[0], -1);
    EXPECT_EQ(LignesRecues(canal, tube[0], c.reentrant), c.lignes);
    ecrivain.join();
    ::close(tube[0]);
  }
}

TEST(CanalDescripteurs, AReaderGoneAwayIsAFailedWrite) {
  int tube[2];
  ASSERT_EQ(::pipe(tube), 0);
  ::close(tube[0]);
  std::ostringstream erreurs;
  CanalDescripteurs canal(-1, tube[1], &erreurs);
  // SIGPIPE ignored as main does: the write fails and is said.
  const auto avant = ::signal(SIGPIPE, SIG_IGN);
  EXPECT_FALSE(canal.Ecrire(R"({"id":1,"etat":{}})"));
  EXPECT_FALSE(canal.Ecrire("{}"));
  ::signal(SIGPIPE, avant);
  EXPECT_NE(erreurs.str().find("les réponses ne peuvent plus être écrites"), std::string::npos)
      << erreurs.str();
  ::close(tube[1]);
}

// What the other end wrote, up to its end or within the bound.
std::string LireJusquaFin(int fd) {
  std::string lu;
  for (;;) {
    pollfd attente{fd, POLLIN, 0};
    if (::poll(&attente, 1, kLimiteMs) != 1) return lu;
    char morceau[512];
    const ssize_t n = ::recv(fd, morceau, sizeof morceau, 0);
    if (n <= 0) return lu;
    lu.append(morceau, static_cast<std::size_t>(n));
  }
}

TEST(CanalSocket, RefusesAPlaceOthersCouldTakeOver) {
  const struct {
    const char* nom;
    mode_t modeDossier;
    // What lies at the path before: "" nothing, "fichier", "morte" (a socket nobody listens
    // on), "vivante" (one a console listens on).
    std::string avant;
    std::string refus;  // empty: opened
  } cas[] = {
      {"a folder of its own", 0700, "", ""},
      {"a folder others may read", 0755, "", ""},
      {"a dead socket left there", 0700, "morte", ""},
      {"a folder anybody may write", 0777, "", "peut être écrit par d’autres"},
      {"a folder its group may write", 0770, "", "peut être écrit par d’autres"},
      {"a file in its place", 0700, "fichier", "existe et n’est pas une socket"},
      {"another console on it", 0700, "vivante", "une autre console l’écoute déjà"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::DossierTemporaire dossier;
    ASSERT_EQ(::chmod(dossier.Chemin().c_str(), c.modeDossier), 0);
    const std::string chemin = dossier.Fichier("console.sock");
    std::unique_ptr<CanalSocket> autre;
    if (c.avant == "fichier") essai::EcrireTout(chemin, "x");
    if (c.avant == "vivante" || c.avant == "morte") {
      ::chmod(dossier.Chemin().c_str(), 0700);
      auto tenue = CanalSocket::Ouvrir(chemin);
      ASSERT_TRUE(tenue);
      autre = std::move(*tenue);
      ::chmod(dossier.Chemin().c_str(), c.modeDossier);
    }
    if (c.avant == "morte") {
      // Ended without removing its socket, as a console that a SIGKILL ended.
      const std::string garde = chemin + ".garde";
      ASSERT_EQ(::link(chemin.c_str(), garde.c_str()), 0);
      autre.reset();
      ASSERT_EQ(::rename(garde.c_str(), chemin.c_str()), 0);
    }
    auto ouvert = CanalSocket::Ouvrir(chemin);
    if (!c.refus.empty()) {
      ASSERT_FALSE(ouvert);
      EXPECT_NE(ouvert.Erreur().texte.find(c.refus), std::string::npos) << ouvert.Erreur().texte;
      EXPECT_EQ(ouvert.Erreur().texte.rfind("--pilote-socket " + chemin + " : ", 0), 0u);
      continue;
    }
    ASSERT_TRUE(ouvert) << ouvert.Erreur().texte;
    struct stat etat {};
    ASSERT_EQ(::lstat(chemin.c_str(), &etat), 0);
    EXPECT_TRUE(S_ISSOCK(etat.st_mode));
    EXPECT_EQ(etat.st_mode & 0777, 0600u);
    // Gone with the channel.
    ouvert->reset();
    EXPECT_NE(::lstat(chemin.c_str(), &etat), 0);
  }
}

TEST(CanalSocket, ServesOneClientAtATimeAndWaitsForTheNext) {
  essai::DossierTemporaire dossier;
  const std::string chemin = dossier.Fichier("console.sock");
  std::ostringstream erreurs;
  auto ouvert = CanalSocket::Ouvrir(chemin, &erreurs);
  ASSERT_TRUE(ouvert) << ouvert.Erreur().texte;
  CanalSocket& canal = **ouvert;
  std::vector<std::string> lues;
  const CanalPilote::Lecteur lire = [&](std::string_view ligne, bool) { lues.emplace_back(ligne); };
  // What has come, taken in until `fait` says so, within the bound.
  const auto recevoir = [&](const std::function<bool()>& fait) {
    for (int tour = 0; tour < 1000 && !fait(); ++tour) {
      std::vector<pollfd> attentes;
      for (const int fd : canal.Descripteurs()) attentes.push_back(pollfd{fd, POLLIN, 0});
      ::poll(attentes.data(), attentes.size(), 10);
      canal.Recevoir(lire);
    }
    return fait();
  };

  const int premier = essai::Connecter(chemin);
  ASSERT_GE(premier, 0);
  ASSERT_TRUE(recevoir([&] { return canal.ClientPresent(); }));
  const int second = essai::Connecter(chemin);
  ASSERT_GE(second, 0);
  recevoir([&] { return false; });
  EXPECT_EQ(LireJusquaFin(second),
            "{\"id\":null,\"erreur\":\"un client pilote déjà la console\"}\n");
  ::close(second);

  ASSERT_EQ(::send(premier, "{\"id\":1}\n", 9, 0), 9);
  ASSERT_TRUE(recevoir([&] { return lues.size() == 1; }));
  EXPECT_EQ(lues.back(), "{\"id\":1}");
  EXPECT_TRUE(canal.Ecrire("{\"id\":1,\"fin\":true}"));
  ::shutdown(premier, SHUT_WR);
  EXPECT_EQ(LireJusquaFin(premier).substr(0, 20), "{\"id\":1,\"fin\":true}\n");
  ::close(premier);
  ASSERT_TRUE(recevoir([&] { return !canal.ClientPresent(); }));
  // The answer to a client gone is lost, the run goes on.
  EXPECT_TRUE(canal.Ecrire("{}"));

  const int troisieme = essai::Connecter(chemin);
  ASSERT_GE(troisieme, 0);
  ASSERT_EQ(::send(troisieme, "{\"id\":3}", 8, 0), 8);
  ::close(troisieme);
  // Its last line counts without its line end.
  ASSERT_TRUE(recevoir([&] { return lues.size() == 2; }));
  EXPECT_EQ(lues.back(), "{\"id\":3}");
}

}  // namespace
}  // namespace zef30
