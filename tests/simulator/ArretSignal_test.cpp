// zef30-console without a window, ended by a signal: one line says which, and after which
// request, and the exit code is 128 + the signal.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "tests/support/DossierTemporaire.h"
#include "tests/support/Programme.h"

namespace zef30 {
namespace {

TEST(ArretSignal, TheRunSaysWhichSignalEndedItAndAfterWhichRequest) {
  const struct {
    int signal;
    std::string requetes;
    std::string attendu;  // on stdout, before the signal is sent
    std::string dit;      // on stderr
  } cas[] = {
      {SIGTERM, "switch,switch,switch,maintenance", "[3] switch : réussie",
       "zef30-console : arrêtée par SIGTERM après la requête 3\n"},
      {SIGHUP, "maintenance,switch", "[1] maintenance\n",
       "zef30-console : arrêtée par SIGHUP avant la fin de la première requête\n"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.dit);
    essai::DossierTemporaire dossier;
    essai::Programme console({"--headless", "--verbose", "--simulator", "--data-dir",
                              dossier.Chemin(), "--run", c.requetes},
                             ZEF30_CONSOLE);
    ASSERT_TRUE(console.Lance());
    ASSERT_TRUE(console.AttendreSortie(c.attendu, 20'000));
    console.Signaler(c.signal);
    EXPECT_EQ(console.AttendreFin(10'000), 128 + c.signal);
    EXPECT_NE(console.Tout(true).find(c.dit), std::string::npos);
  }
}

}  // namespace
}  // namespace zef30
