#include "console/Demarrage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "link/Liaison.h"
#include "tests/support/HorlogeVirtuelle.h"

namespace zef30 {
namespace {

// A machine whose ports `presents` are serial lines; every call is counted.
class PortsMachine final : public PortSerie {
 public:
  explicit PortsMachine(std::set<int> presents) : presents_(std::move(presents)) {}

  bool Essayer(int numero) override {
    essais.push_back(numero);
    return presents_.count(numero) != 0;
  }
  bool Ouvrir(int numero, std::string_view) override {
    ++ouvertures;
    ouverts.push_back(numero);
    ouvert_ = true;
    return true;
  }
  bool EstOuvert() const override { return ouvert_; }
  void Fermer() override {
    ouvert_ = false;
    ++fermetures;
  }
  std::string DerniereErreur() const override { return "absent"; }
  void DefinirTailleLecture(int) override {}
  void Ecrire(std::string_view) override {}
  int NombreEnAttente() override { return 0; }
  std::string Lire() override { return {}; }
  void AttendreAuMoins(int, Horloge::Instant) override {}

  std::vector<int> essais;
  std::vector<int> ouverts;
  int ouvertures = 0;
  int fermetures = 0;

 private:
  std::set<int> presents_;
  bool ouvert_ = false;
};

TEST(RecenserPortsCom, ListsThePortsThereInIncreasingOrderWithoutOpeningAny) {
  PortsMachine port({20, 1, 3, 17});
  EXPECT_EQ(RecenserPortsCom(port), (std::vector<std::string>{"1", "3", "17", "20"}));
  std::vector<int> tous;
  for (int n = 1; n <= 20; ++n) tous.push_back(n);
  EXPECT_EQ(port.essais, tous);
  EXPECT_EQ(port.ouvertures, 0);
  EXPECT_EQ(port.fermetures, 0);
  EXPECT_FALSE(port.EstOuvert());
}

TEST(RecenserPortsCom, AMachineWithoutPortsGivesAnEmptyListAndPortOne) {
  PortsMachine port({});
  HorlogeVirtuelle horloge;
  EtatConsole etat;
  etat.NumeroPortCom = 7;
  Liaison liaison(port, horloge);
  liaison.ChoisirPort(7);
  EXPECT_TRUE(DemarrerConsole(etat, liaison, port).empty());
  EXPECT_EQ(etat.NumeroPortCom, 1);
  EXPECT_EQ(port.essais.size(), 20u);
  EXPECT_EQ(port.fermetures, 0);
  EXPECT_TRUE(liaison.OuvrirPort());
  EXPECT_EQ(port.ouverts, std::vector<int>{1});
}

TEST(Combo1_Click, OnlyAPortNumberOfTheListChangesThePortUntilItIsOpened) {
  PortsMachine port({});
  HorlogeVirtuelle horloge;
  EtatConsole etat;
  Liaison liaison(port, horloge);
  Combo1_Click(etat, liaison, "3");
  EXPECT_EQ(etat.NumeroPortCom, 3);
  Combo1_Click(etat, liaison, "20");
  EXPECT_EQ(etat.NumeroPortCom, 20);
  for (const char* entree : {"", "abc", "0", "21", "-1", " 3", "99999999999", "3\n"}) {
    Combo1_Click(etat, liaison, entree);
    EXPECT_EQ(etat.NumeroPortCom, 20) << '"' << entree << '"';
  }
  EXPECT_TRUE(liaison.OuvrirPort());
  // A line lost, then another pick: the line that comes back is the one the console opened.
  port.Fermer();
  Combo1_Click(etat, liaison, "4");
  EXPECT_EQ(etat.NumeroPortCom, 4);
  EXPECT_TRUE(liaison.OuvrirPort());
  EXPECT_EQ(port.ouverts, (std::vector<int>{20, 20}));
}

}  // namespace
}  // namespace zef30
