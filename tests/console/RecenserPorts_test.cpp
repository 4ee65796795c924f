// The port list of the window: each port with the line behind it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <map>
#include <string>

#include "console/Demarrage.h"
#include "link/PortAiguillage.h"
#include "link/TablePorts.h"

namespace zef30 {
namespace {

TEST(RecenserPortsCom, EachPortIsListedWithItsLine) {
  const int maitre = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(maitre, 0);
  ASSERT_EQ(::grantpt(maitre), 0);
  ASSERT_EQ(::unlockpt(maitre), 0);
  const std::string pseudo = ::ptsname(maitre);

  TablePorts table;
  table.Associer(1, pseudo);
  table.Decrire(1, "terminal simulé");
  table.Associer(2, "rfc2217://bench-7:4001");
  table.Associer(3, "tcp://127.0.0.1:9");
  table.Associer(4, "/nonexistent-zef30");  // not there: left out
  PortAiguillage port(table);
  std::map<int, std::string> liste;
  for (const std::string& entree : RecenserPortsCom(port)) {
    if (const auto numero = NumeroEntree(entree); numero && *numero <= 4) liste[*numero] = entree;
  }
  const std::map<int, std::string> attendu = {
      {1, "1 — " + pseudo + " (terminal simulé)"},
      {2, "2 — rfc2217://bench-7:4001"},
      {3, "3 — tcp://127.0.0.1:9"},
  };
  EXPECT_EQ(liste, attendu);
  ::close(maitre);
}

TEST(NumeroEntree, TheNumberBeforeTheLine) {
  const struct {
    std::string entree;
    std::optional<int> numero;
  } cas[] = {
      {"1 — /dev/pts/2 (terminal simulé)", 1},
      {"20", 20},
      {"2 — rfc2217://bench-7:4001", 2},
      {"", std::nullopt},
      {"abc — 3", std::nullopt},
      {" 3", std::nullopt},
  };
  for (const auto& c : cas) EXPECT_EQ(NumeroEntree(c.entree), c.numero) << c.entree;
}

}  // namespace
}  // namespace zef30
