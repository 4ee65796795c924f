#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/Liaison.h"
#include "protocol/Trame.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;

using essai::Banc;

const std::string kEnq(1, ENQ), kAck(1, ACK), kNak(1, NAK), kEot(1, EOT);

std::string Reponse(std::string_view message) { return EncadrerMessage(message); }

// A data part of `longueur` characters that cycles through the digits.
std::string Donnees(int longueur) {
  std::string d;
  for (int i = 0; i < longueur; ++i) d += static_cast<char>('0' + i % 10);
  return d;
}

std::string MessageDeLongueur(int longueur) {
  char entete[6];
  std::snprintf(entete, sizeof entete, "Ab%03d", longueur);
  return std::string(entete) + Donnees(longueur);
}

TEST(Echanger, FullHandshakeOfTheCardSwitch) {
  Banc banc;
  const std::string reponse = Reponse("Aa0040100");
  banc.port.Repondre(kAck).Repondre(kEnq).Repondre(reponse).Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), reponse);
  const auto& e = banc.port.Ecritures();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].octets, std::string("\x02\x41\x41\x30\x30\x30\x10\x03\x23"));
  EXPECT_EQ(e[1].octets, kEot);
  EXPECT_EQ(e[2].octets, kAck);
  EXPECT_EQ(e[3].octets, kAck);
  EXPECT_EQ(banc.port.NombreOuvertures(), 1);
}

TEST(Echanger, ReadsTheWholeAnswerWhateverReadSizeAListenerLeft) {
  Banc banc;
  const std::string reponse = Reponse("Aa0040100");
  banc.port.Repondre(kAck).Repondre(kEnq).Repondre(reponse).Repondre(kEot);
  ASSERT_TRUE(banc.liaison.OuvrirPort());
  banc.port.DefinirTailleLecture(1);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), reponse);
}

TEST(Echanger, RefusedTwiceThenAcceptedReadsTheAnswer) {
  Banc banc;
  const std::string reponse = Reponse("Aa0040000");
  banc.port.Repondre(kNak).Repondre(kNak).Repondre(kAck).Repondre(kEnq).Repondre(reponse).Repondre(
      kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), reponse);
  const auto& e = banc.port.Ecritures();
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[0].octets, e[1].octets);
  EXPECT_EQ(e[1].octets, e[2].octets);
  EXPECT_EQ(e[3].octets, kEot);
}

TEST(Echanger, RefusedThreeTimesSendsEotAndFails) {
  Banc banc;
  banc.port.Repondre(kNak).Repondre(kNak).Repondre(kNak);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), ERR_MESSAGE);
  const auto& e = banc.port.Ecritures();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[2].octets, EncadrerMessage("AA000"));
  EXPECT_EQ(e[3].octets, kEot);
  // The reply to that EOT is awaited for 10 s.
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 10.0);
}

TEST(Echanger, SilentTerminalStillGetsEotAfterTenSeconds) {
  Banc banc;
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), ERR_MESSAGE);
  const auto& e = banc.port.Ecritures();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].octets, kEot);
  EXPECT_DOUBLE_EQ(e[1].moment, 10.0);
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 20.0);
}

TEST(Echanger, WaitForEnqUsesTheCallersTimeOut) {
  Banc banc;
  banc.port.Repondre(kAck).Repondre(kEnq, 899.5).Repondre(Reponse("Ab000")).Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AB000", 9, 900s)), Reponse("Ab000"));

  Banc tard;
  tard.port.Repondre(kAck).Repondre(kEnq, 900.5);
  EXPECT_EQ(TexteReponse(tard.liaison.Echanger("AB000", 9, 900s)), ERR_MESSAGE);
  EXPECT_DOUBLE_EQ(tard.horloge.Ecoule(), 900.0);
}

TEST(Echanger, AnythingButEnqAfterEotEndsTheExchange) {
  for (const std::string& autre : {kAck, kEnq + kEnq, std::string("x")}) {
    Banc banc;
    banc.port.Repondre(kAck).Repondre(autre);
    EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), ERR_MESSAGE);
    EXPECT_EQ(banc.port.Ecritures().size(), 2u) << "nothing more is sent";
  }
}

TEST(Echanger, AnyReplyButNakCountsAsAccepted) {
  Banc banc;
  banc.port.Repondre("garbage").Repondre(kEnq).Repondre(Reponse("Aa0040100")).Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), Reponse("Aa0040100"));
}

TEST(Echanger, ShortAnswerIsReturnedUnchangedAfterTheWait) {
  Banc banc;
  banc.port.Repondre(kAck)
      .Repondre(kEnq)
      .Repondre(
          "\x02"
          "Aa00")
      .Repondre(kEot);
  const double avant = 0;
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)),
            "\x02"
            "Aa00");
  EXPECT_GE(banc.horloge.Ecoule() - avant, 10.0);
}

TEST(Echanger, AnswerArrivingInPiecesIsJoined) {
  Banc banc;
  const std::string reponse = Reponse("Aa0040100");
  banc.port.Repondre(kAck).Repondre(kEnq).RepondreEnMorceaux(
      {{0.001, reponse.substr(0, 3)}, {0.5, reponse.substr(3, 5)}, {9.9, reponse.substr(8)}});
  banc.port.Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), reponse);
}

TEST(Echanger, TwoBlockAnswerIsJoinedIntoOneFrame) {
  Banc banc;
  const std::string message = MessageDeLongueur(313);
  const std::string entiere = Reponse(message);
  ASSERT_EQ(entiere.size(), 322u);
  // Block 1: STX, 248 characters of the message, three closing characters.
  const std::string bloc1 = "\x02" + message.substr(0, 248) + "\x17\x03" + "C";
  // Block 2: STX, the rest of the message, DLE ETX and check: L - 239 characters.
  const std::string bloc2 = "\x02" + message.substr(248) + "\x10\x03" + entiere.substr(321);
  ASSERT_EQ(bloc2.size(), 313u - 239u);
  banc.port.Repondre(kAck).Repondre(kEnq).Repondre(bloc1).Repondre(bloc2).Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AK029", 322, 180s)), entiere);
  EXPECT_EQ(banc.port.Ecritures().size(), 5u);
}

TEST(Echanger, ShortAnswerWhereTwoBlocksWereExpected) {
  Banc banc;
  const std::string reponse = Reponse(MessageDeLongueur(100));
  banc.port.Repondre(kAck).Repondre(kEnq).Repondre(reponse).Repondre("").Repondre(kEot);
  const std::string obtenu = TexteReponse(banc.liaison.Echanger("AK029", 322, 180s));
  EXPECT_EQ(obtenu, reponse.substr(0, reponse.size() - 3));
}

TEST(Echanger, UnreadableLengthInTheFirstBlockFails) {
  Banc banc;
  banc.port.Repondre(kAck)
      .Repondre(kEnq)
      .Repondre(
          "\x02"
          "AkX9")
      .Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AK029", 322, 180s)), ERR_MESSAGE);
  EXPECT_EQ(banc.port.Ecritures().back().octets, kAck) << "the line is still closed";
}

TEST(AttendreTerminalPret, OnlyAckAloneMeansReadyAndAnythingElseIsSaid) {
  struct Cas {
    std::optional<std::string> reponse;  // none: silence
    bool nommer;                         // the line's device is known
    bool pret;
    std::string dit;  // what the operator is told; empty: nothing
  };
  const Cas cas[] = {
      {kAck, true, true, ""},
      {kAck + "x", true, false, "pas prêt : reçu <ACK>x au lieu de ACK"},
      {kEot, true, false, "pas prêt : reçu EOT au lieu de ACK"},
      {std::string("A"), true, false, "pas prêt : reçu A au lieu de ACK"},
      {std::string(5000, 'x'), true, false,
       "pas prêt : reçu " + std::string(32, 'x') + "… (5000 caractères) au lieu de ACK"},
      {std::nullopt, true, false, "pas de réponse en 10 s sur /dev/ttyS0"},
      {std::nullopt, false, false, "pas de réponse en 10 s sur le port 1"},
  };
  for (const Cas& k : cas) {
    Banc banc;
    std::string dit;
    banc.liaison.SurErreurPort([&dit](const std::string& texte) { dit = texte; });
    if (k.nommer)
      banc.liaison.NommerLigne([](int n) { return "/dev/ttyS" + std::to_string(n - 1); });
    if (k.reponse) banc.port.Repondre(*k.reponse);
    EXPECT_EQ(banc.liaison.AttendreTerminalPret(), k.pret) << k.dit;
    EXPECT_EQ(banc.port.Ligne(), kEnq);
    EXPECT_EQ(dit, k.dit);
    EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), k.reponse ? 0.0 : 10.0) << k.dit;
  }
}

TEST(OuvrirPort, ThePortChosenBeforeTheFirstRequestStaysOpen) {
  Banc banc;
  banc.liaison.ChoisirPort(3);
  banc.port.Repondre(kAck);
  EXPECT_TRUE(banc.liaison.AttendreTerminalPret());
  banc.liaison.ChoisirPort(4);
  banc.port.Repondre(kAck);
  EXPECT_TRUE(banc.liaison.AttendreTerminalPret());
  EXPECT_EQ(banc.port.DernierNumeroOuvert(), 3);
  EXPECT_EQ(banc.port.NombreOuvertures(), 1);
}

TEST(OuvrirPort, RefusedPortIsReportedAndNothingIsSent) {
  Banc banc;
  std::string raison;
  banc.liaison.SurErreurPort([&](const std::string& r) { raison = r; });
  banc.port.RefuserOuverture("port 1 (/dev/ttyS0) : ouverture impossible : No such file");
  EXPECT_FALSE(banc.liaison.AttendreTerminalPret());
  EXPECT_EQ(raison, "port 1 (/dev/ttyS0) : ouverture impossible : No such file");
  EXPECT_TRUE(banc.port.Ecritures().empty());
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), ERR_MESSAGE);
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 0.0) << "no wait on a port that is not there";
}

TEST(OuvrirPort, ALostLineIsToldOnceEndsTheRequestAndTheNextOneOpensItAgain) {
  Banc banc;
  std::vector<std::string> raisons;
  banc.liaison.SurErreurPort([&](const std::string& r) { raisons.push_back(r); });
  banc.port.Repondre(kAck);
  ASSERT_TRUE(banc.liaison.AttendreTerminalPret());
  const std::string perte = "port 1 (/dev/ttyUSB0) : ligne perdue : Input/output error";
  banc.port.PerdreLigne(perte, 2);
  EXPECT_EQ(TexteReponse(banc.liaison.Echanger("AA000", 13, 10s)), ERR_MESSAGE);
  EXPECT_EQ(banc.port.Ecritures().size(), 2u) << "nothing sent after the loss";
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 2.0) << "no wait outlasts the loss";
  EXPECT_EQ(raisons, std::vector<std::string>{perte});
  banc.port.Repondre(kAck);
  EXPECT_TRUE(banc.liaison.AttendreTerminalPret());
  EXPECT_EQ(banc.port.NombreOuvertures(), 2);
}

TEST(EnvoyerTrame, DiscardsWhatWasWaitingAndSendsTheMessageAsItIs) {
  Banc banc;
  EXPECT_TRUE(banc.liaison.OuvrirPort());
  banc.port.Arriver("stale");
  banc.port.Repondre("fresh");
  const std::string message(
      "\x02"
      "AB");
  EXPECT_EQ(banc.liaison.EnvoyerTrame(message + CalculerLrc(message), 5, 10s), "fresh");
  EXPECT_EQ(banc.port.Ecritures().back().octets, std::string("\x02"
                                                             "AB\x03",
                                                             4));
  EXPECT_EQ(banc.liaison.EnvoyerTrame("", 5, 10s), "");
}

}  // namespace
}  // namespace zef30
