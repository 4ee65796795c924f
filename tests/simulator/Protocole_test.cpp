#include "simulator/Protocole.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "protocol/Trame.h"

namespace zef30::simulateur {
namespace {

const std::string kEnq(1, ENQ), kAck(1, ACK), kNak(1, NAK), kEot(1, EOT);

// The replies to `octets`, joined as the console would read them.
std::string Repondre(Protocole& protocole, std::string_view octets, const Scenario& scenario) {
  std::string joint;
  for (const Sortie& sortie : protocole.Recevoir(octets, scenario)) joint += sortie.octets;
  return joint;
}

// Probe, frame and EOT of `message`: the terminal holds the line and has sent its ENQ.
void Ouvrir(Protocole& protocole, std::string_view message, const Scenario& scenario) {
  ASSERT_EQ(Repondre(protocole, kEnq, scenario), kAck);
  ASSERT_EQ(Repondre(protocole, EncadrerMessage(message), scenario), kAck);
  ASSERT_EQ(Repondre(protocole, kEot, scenario), kEnq);
}

std::string MessageDeLongueur(int longueur) {
  std::string donnees;
  for (int i = 0; i < longueur; ++i) donnees += static_cast<char>('A' + i % 26);
  return MessageReponse("AX", donnees);
}

TEST(Protocole, PlaysTheWholeCardSwitch) {
  Protocole protocole(FamillesConnues());
  const Scenario scenario;
  Ouvrir(protocole, "AA000", scenario);
  EXPECT_EQ(Repondre(protocole, kAck, scenario), EncadrerMessage("Aa0040100"));
  EXPECT_EQ(protocole.RequetesServies(), 0);
  EXPECT_EQ(Repondre(protocole, kAck, scenario), kEot);
  EXPECT_EQ(protocole.RequetesServies(), 1);
  EXPECT_TRUE(protocole.AuRepos());
  // Nothing is owed once the exchange is over.
  EXPECT_EQ(Repondre(protocole, kAck + kEot, scenario), "");
}

TEST(Protocole, ProbeAnswers) {
  Scenario scenario;
  Protocole protocole(FamillesConnues());
  scenario.sonde = ReponseSonde::Silence;
  EXPECT_EQ(Repondre(protocole, kEnq, scenario), "");
  scenario.sonde = ReponseSonde::AckPuisAutre;
  scenario.autre = "Z";
  const auto sorties = protocole.Recevoir(kEnq, scenario);
  ASSERT_EQ(sorties.size(), 1u);
  EXPECT_EQ(sorties[0].octets, kAck + "Z");
  EXPECT_TRUE(sorties[0].ensemble) << "both must be read together, whatever the pacing";
}

TEST(Protocole, RefusesWithTheChosenNumberOfNaks) {
  Scenario scenario;
  scenario.naks = 2;
  Protocole protocole(FamillesConnues());
  const std::string trame = EncadrerMessage("AA000");
  EXPECT_EQ(Repondre(protocole, kEnq, scenario), kAck);
  EXPECT_EQ(Repondre(protocole, trame, scenario), kNak);
  EXPECT_EQ(Repondre(protocole, trame, scenario), kNak);
  EXPECT_EQ(Repondre(protocole, trame, scenario), kAck);
  EXPECT_EQ(Repondre(protocole, kEot, scenario), kEnq);

  // The count starts again with each request.
  EXPECT_EQ(Repondre(protocole, kAck + kAck + kEnq, scenario),
            EncadrerMessage("Aa0040100") + kEot + kAck);
  EXPECT_EQ(Repondre(protocole, trame, scenario), kNak);
}

TEST(Protocole, ThreeNaksOrMoreRefuseForGoodAndTheConsolesEotIsAnswered) {
  Scenario scenario;
  scenario.naks = 5;
  Protocole protocole(FamillesConnues());
  const std::string trame = EncadrerMessage("AA000");
  EXPECT_EQ(Repondre(protocole, kEnq + trame + trame + trame, scenario), kAck + kNak + kNak + kNak);
  EXPECT_EQ(Repondre(protocole, kEot, scenario), kEot);
  EXPECT_EQ(protocole.RequetesServies(), 1);
  EXPECT_TRUE(protocole.AuRepos());
}

TEST(Protocole, AFrameWithAWrongCheckCharacterIsRefused) {
  Protocole protocole(FamillesConnues());
  const Scenario scenario;
  std::string trame = EncadrerMessage("AA000");
  trame.back() = static_cast<char>(trame.back() ^ 1);
  EXPECT_EQ(Repondre(protocole, trame, scenario), kNak);
  EXPECT_EQ(Repondre(protocole, EncadrerMessage("AA000"), scenario), kAck);
}

TEST(Protocole, RepliesToEotOtherThanEnqEndTheExchange) {
  for (const auto reponse : {ReponseEot::Autre, ReponseEot::Silence}) {
    Scenario scenario;
    scenario.reponseEot = reponse;
    scenario.autre = "\x06";
    scenario.delaiEnq = 2.5;
    Protocole protocole(FamillesConnues());
    Repondre(protocole, kEnq + EncadrerMessage("AA000"), scenario);
    const auto sorties = protocole.Recevoir(kEot, scenario);
    ASSERT_EQ(sorties.size(), 1u);
    EXPECT_EQ(sorties[0].octets, reponse == ReponseEot::Autre ? "\x06" : "");
    EXPECT_DOUBLE_EQ(sorties[0].apres, 2.5);
    EXPECT_EQ(protocole.RequetesServies(), 1);
    EXPECT_EQ(Repondre(protocole, kAck, scenario), "") << "no answer after all";
  }
}

TEST(Protocole, LongAnswersComeInTwoBlocksOnSuccessiveAcks) {
  // 322 characters (L = 313): block 1 of 252 ending DLE ETB, block 2 of L - 239 = 74.
  Scenario scenario;
  const std::string message = MessageDeLongueur(313);
  scenario.reponses["AJ00203"] = {message};
  Protocole protocole(FamillesConnues());
  Ouvrir(protocole, "AJ00203", scenario);
  const std::string bloc1 = Repondre(protocole, kAck, scenario);
  ASSERT_EQ(bloc1.size(), 252u);
  EXPECT_EQ(bloc1.substr(0, 249), "\x02" + message.substr(0, 248));
  EXPECT_EQ(bloc1.substr(249, 2), "\x10\x17");
  EXPECT_EQ(bloc1.substr(251), CalculerLrc(bloc1.substr(0, 251)));
  const std::string bloc2 = Repondre(protocole, kAck, scenario);
  ASSERT_EQ(bloc2.size(), 74u);
  EXPECT_EQ(bloc2, EncadrerMessage(message.substr(248)));
  EXPECT_EQ(Repondre(protocole, kAck, scenario), kEot);

  // Up to 252 characters (L = 243), one block.
  EXPECT_EQ(BlocsReponse(MessageDeLongueur(243)).size(), 1u);
  EXPECT_EQ(BlocsReponse(MessageDeLongueur(244)).size(), 2u);
  EXPECT_EQ(BlocsReponse(MessageDeLongueur(244))[1].octets.size(), 244u - 239u);
}

TEST(Protocole, ConsultationAnswerHasItsFixedLayout) {
  Scenario scenario;
  scenario.applications[2] = {"XY", "1.0", "ABCDEF", "1", "2"};
  const Deroulement d = RepondreConsultation("AJ00202", scenario);
  ASSERT_EQ(d.size(), 1u);
  const std::string& trame = d[0].octets;
  ASSERT_EQ(trame.size(), 102u);
  EXPECT_EQ(trame.substr(1, 8), "Aj093020");
  EXPECT_EQ(trame.substr(9, 12), "ZEF30SIM0001");
  EXPECT_EQ(trame.substr(21, 2), "04");
  EXPECT_EQ(trame.substr(23, 19), "PAIEM101.00.03F2A00");
  // Fields too short are padded, too long are cut: the next record keeps its place.
  EXPECT_EQ(trame.substr(61, 19), "XY    1.0    ABCD12");
  EXPECT_EQ(trame.substr(80, 19), "TELEPA01.03.2D4C000");
  EXPECT_EQ(trame.substr(99, 2), "\x10\x03");
}

TEST(Protocole, ChosenAnswersWinOverFamiliesAndUnknownRequestsGetAnEmptyAnswer) {
  Scenario scenario;
  scenario.reponses["AA"] = {"Aa0041111"};
  scenario.reponses["AA000"] = {"Aa0040000"};
  scenario.reponses["AG"] = {"", false, true};
  scenario.reponses["AU"] = {"bruit\x02\x03", true};
  const TableFamilles familles = FamillesConnues();
  const auto reponse = [&](std::string_view requete) {
    const Deroulement d = PreparerDeroulement(requete, scenario, familles);
    EXPECT_EQ(d.front().octets, kEnq);
    EXPECT_EQ(d.back().octets, kEot);
    return d.size() == 3 ? d[1].octets : std::string("?");
  };
  EXPECT_EQ(reponse("AA000"), EncadrerMessage("Aa0040000"));
  EXPECT_EQ(reponse("AA001X"), EncadrerMessage("Aa0041111"));
  EXPECT_EQ(reponse("AG000"), "");
  EXPECT_EQ(reponse("AU000"), "bruit\x02\x03");
  EXPECT_EQ(reponse("ZZ00412345"), EncadrerMessage("Zz000"));
  EXPECT_EQ(reponse(""), EncadrerMessage("  000"));

  scenario.silenceAuLieuDeReponse = true;
  EXPECT_EQ(reponse("AA000"), "");
}

TEST(Protocole, SilenceInsteadOfTheAnswerStillClosesOnTheNextAck) {
  Scenario scenario;
  scenario.silenceAuLieuDeReponse = true;
  Protocole protocole(FamillesConnues());
  Ouvrir(protocole, "AA000", scenario);
  EXPECT_EQ(Repondre(protocole, kAck, scenario), "");
  EXPECT_EQ(Repondre(protocole, kAck, scenario), kEot);
  EXPECT_EQ(protocole.RequetesServies(), 1);
}

TEST(Protocole, NoiseReplacesEveryReply) {
  Scenario scenario;
  scenario.bruit = "\x15\x02?";
  Protocole protocole(FamillesConnues());
  EXPECT_EQ(Repondre(protocole, kEnq, scenario), scenario.bruit);
  EXPECT_EQ(Repondre(protocole, "nothing to say", scenario), "");
}

TEST(Protocole, GarbageIsIgnoredAndNeverStopsTheNextRequest) {
  Protocole protocole(FamillesConnues());
  const Scenario scenario;
  std::mt19937 hasard(30);
  std::uniform_int_distribution<int> octet(0, 255);
  for (int tour = 0; tour < 200; ++tour) {
    std::string bruit;
    for (int i = 0; i < 300; ++i) bruit += static_cast<char>(octet(hasard));
    protocole.Recevoir(bruit, scenario);
    // Noise that ends with DLE ETX takes the next byte as its check character; after that, a
    // probe (which also ends any frame left open) and a request are served.
    protocole.Recevoir(kEnq, scenario);
    ASSERT_EQ(Repondre(protocole, kEnq, scenario), kAck) << tour;
    ASSERT_EQ(Repondre(protocole, EncadrerMessage("AA000") + kEot, scenario), kAck + kEnq) << tour;
  }

  // A frame that never ends is dropped once longer than any request.
  ASSERT_EQ(Repondre(protocole, kAck + kAck, scenario), EncadrerMessage("Aa0040100") + kEot);
  protocole.Recevoir("\x02" + std::string(5000, 'A'), scenario);
  EXPECT_TRUE(protocole.AuRepos());
  // A frame cut short by a probe: the probe counts.
  EXPECT_EQ(Repondre(protocole,
                     "\x02"
                     "AA0" +
                         kEnq,
                     scenario),
            kAck);
}

TEST(Protocole, SpontaneousTrafficWaitsForTheLineToBeIdle) {
  Protocole protocole(FamillesConnues());
  const Scenario scenario;
  const Deroulement affichage = {{kEnq, 0, false}, {TrameAffichage("INSEREZ", "VOTRE CARTE")}};
  EXPECT_EQ(TrameAffichage("INSEREZ", "VOTRE CARTE").substr(0, 34),
            "\x02"
            "DINSEREZ         VOTRE CARTE     ");

  Ouvrir(protocole, "AA000", scenario);
  EXPECT_TRUE(protocole.Spontane(affichage, scenario).empty()) << "the line is busy";
  EXPECT_EQ(Repondre(protocole, kAck, scenario), EncadrerMessage("Aa0040100"));
  // The closing character, then at once the ENQ of the waiting traffic.
  EXPECT_EQ(Repondre(protocole, kAck, scenario), kEot + kEnq);
  EXPECT_EQ(Repondre(protocole, kAck, scenario), TrameAffichage("INSEREZ", "VOTRE CARTE"));
  EXPECT_EQ(protocole.RequetesServies(), 1) << "traffic of its own is no request";
  EXPECT_TRUE(protocole.AuRepos());
}

}  // namespace
}  // namespace zef30::simulateur
