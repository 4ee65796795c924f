#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "link/Liaison.h"
#include "protocol/Trame.h"
#include "tests/support/Banc.h"

namespace zef30 {
namespace {

using namespace std::chrono_literals;

using essai::Banc;

const std::string kEnq(1, ENQ), kAck(1, ACK), kEot(1, EOT);

std::string Message(int longueur, char code = 'b') {
  char entete[6];
  std::snprintf(entete, sizeof entete, "A%c%03d", code, longueur);
  std::string m(entete);
  for (int i = 0; i < longueur; ++i) m += static_cast<char>('0' + i % 10);
  return m;
}

// The two blocks a terminal sends for a frame longer than one block.
struct DeuxBlocs {
  std::string bloc1, bloc2, entiere;
};
DeuxBlocs Decouper(const std::string& message) {
  DeuxBlocs d;
  d.entiere = EncadrerMessage(message);
  std::string debut = "\x02" + message.substr(0, 248) + "\x10\x17";
  d.bloc1 = debut + CalculerLrc(debut);
  d.bloc2 = "\x02" + message.substr(248) + "\x10\x03" + d.entiere.back();
  return d;
}

TEST(EnvoyerTrameLongueurLue, ReadsTheRestThatTheLengthFieldAnnounces) {
  Banc banc;
  const std::string trame = EncadrerMessage(Message(12));
  ASSERT_EQ(trame.size(), 21u);
  banc.port.RepondreEnMorceaux(
      {{0.1, trame.substr(0, 6)}, {0.5, trame.substr(6, 10)}, {2, trame.substr(16)}, {3, "extra"}});
  const auto lecture =
      banc.liaison.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Entiere, kAck, 25, 10s);
  EXPECT_EQ(lecture.lu, trame);
  EXPECT_EQ(lecture.attendu, 15);
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 2.0) << "the wait ends with the frame's last character";
}

TEST(EnvoyerTrameLongueurLue, UnreadableLengthWaitsFor25More) {
  Banc banc;
  banc.port.Repondre(
      "\x02"
      "AbXYZ" +
      std::string(30, 'x'));
  const auto lecture =
      banc.liaison.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Entiere, kAck, 5, 10s);
  EXPECT_EQ(lecture.lu.size(), 36u);
  EXPECT_EQ(lecture.attendu, 25);
}

TEST(EnvoyerTrameBloc, StopsAtTheEndOfTheFirstBlock) {
  const DeuxBlocs blocs = Decouper(Message(313));
  // Whatever the first read happened to get, the read ends with character 252.
  for (const std::size_t premier : {6u, 74u, 100u, 251u}) {
    Banc banc;
    banc.port.RepondreEnMorceaux(
        {{0.01, blocs.bloc1.substr(0, premier)}, {1, blocs.bloc1.substr(premier)}});
    const auto lecture =
        banc.liaison.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Bloc, kAck, 252, 10s);
    EXPECT_EQ(lecture.lu, blocs.bloc1) << premier;
    EXPECT_EQ(lecture.attendu, 252 - static_cast<int>(premier));
    EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 1.0) << premier << ": no 10 s wait";
  }
}

TEST(EnvoyerTrameBloc, OneBlockFrameIsReadWhole) {
  Banc banc;
  const std::string trame = EncadrerMessage(Message(100));
  banc.port.RepondreEnMorceaux({{0.01, trame.substr(0, 6)}, {0.2, trame.substr(6)}});
  const auto lecture =
      banc.liaison.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Bloc, kAck, 252, 10s);
  EXPECT_EQ(lecture.lu, trame);
  EXPECT_EQ(lecture.attendu, 103);
}

TEST(EnvoyerTrameBlocCourt, ANineAsFirstDataCharacterReadsTheShortAnswerOf29) {
  const std::string trame =
      "\x02"
      "Al0209" +
      std::string(40, 'z');
  // 23 more after a first part of six; a first part that holds more needs fewer, rather than
  // waiting out the time-out for one character too many.
  for (const std::size_t premier : {6u, 7u, 12u}) {
    Banc banc;
    banc.port.RepondreEnMorceaux({{0.01, trame.substr(0, premier)},
                                  {1, trame.substr(premier, 29 - premier)},
                                  {5, trame.substr(29)}});
    const auto lecture = banc.liaison.EnvoyerTrameParLongueur(
        Liaison::LectureParLongueur::BlocCourt, kAck, 252, 10s);
    EXPECT_EQ(lecture.lu, trame.substr(0, 29)) << premier;
    EXPECT_EQ(lecture.attendu, 29 - static_cast<int>(premier));
    EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 1.0) << premier;
  }
}

TEST(EnvoyerTrameBloc, ShortFirstPartUsesTheCallersCountWithinTheSameDelay) {
  Banc banc;
  banc.port.RepondreEnMorceaux({{0.5,
                                 "\x02"
                                 "Ab"},
                                {12, "too late"}});
  const auto lecture =
      banc.liaison.EnvoyerTrameParLongueur(Liaison::LectureParLongueur::Bloc, kAck, 52, 10s);
  EXPECT_EQ(lecture.lu,
            "\x02"
            "Ab");
  EXPECT_EQ(lecture.attendu, 52);
  EXPECT_DOUBLE_EQ(banc.horloge.Ecoule(), 10.0) << "one start time bounds both waits";
}

TEST(EchangerReponseLongue, JoinsTwoBlocksIntoOneFrame) {
  Banc banc;
  const DeuxBlocs blocs = Decouper(Message(313));
  ASSERT_EQ(blocs.bloc2.size(), 74u);
  banc.port.Repondre(kAck)
      .Repondre(kEnq)
      .Repondre(blocs.bloc1)
      .Repondre(blocs.bloc2)
      .Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.EchangerReponseLongue("AJ00203", 10s)), blocs.entiere);
  EXPECT_EQ(banc.port.Ecritures().size(), 5u);
}

TEST(EchangerReponseLongue, OneBlockAnswerNeedsNoSecondAck) {
  Banc banc;
  const std::string trame = EncadrerMessage(Message(100));
  ASSERT_EQ(trame.size(), 109u);
  banc.port.Repondre(kAck).Repondre(kEnq).Repondre(trame).Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.EchangerReponseLongue("AJ00205", 10s)), trame);
  const auto& e = banc.port.Ecritures();
  ASSERT_EQ(e.size(), 4u) << "frame, EOT, ACK for the answer, final ACK";
  EXPECT_LT(banc.horloge.Ecoule(), 1.0);
}

TEST(EchangerValiditeForfait, KeepsTheFirstBlockAndStillReadsTheSecondBeforeTheEnd) {
  Banc banc;
  const DeuxBlocs blocs = Decouper(Message(313, 'k'));
  banc.port.Repondre(kAck)
      .Repondre(kEnq)
      .Repondre(blocs.bloc1)
      .Repondre(blocs.bloc2)
      .Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.EchangerValiditeForfait("AK0160", 180s)), blocs.bloc1);
  const auto& e = banc.port.Ecritures();
  ASSERT_EQ(e.size(), 5u) << "frame, EOT, ACK for each block, final ACK";
  EXPECT_EQ(e.back().octets, kAck);
  EXPECT_LT(banc.horloge.Ecoule(), 1.0) << "the closing character came, no time-out";
}

TEST(EchangerValiditeForfait, VeryLongAnswerIsAppendedWhole) {
  Banc banc;
  const DeuxBlocs blocs = Decouper(Message(500, 'k'));
  banc.port.Repondre(kAck)
      .Repondre(kEnq)
      .Repondre(blocs.bloc1)
      .Repondre(blocs.bloc2)
      .Repondre(kEot);
  EXPECT_EQ(TexteReponse(banc.liaison.EchangerValiditeForfait("AK0160", 180s)),
            blocs.bloc1 + blocs.bloc2);
}

TEST(EchangerValiditeForfait, LengthThatIsNotANumberFails) {
  for (const std::string& reponse : {std::string("\x02"
                                                 "Ak3x3" +
                                                 std::string(50, '0')),
                                     std::string()}) {
    Banc banc;
    banc.port.Repondre(kAck).Repondre(kEnq).Repondre(reponse).Repondre(kEot);
    EXPECT_EQ(TexteReponse(banc.liaison.EchangerValiditeForfait("AK0160", 180s)), ERR_MESSAGE);
  }
}

TEST(EchangerListeDossiers, ReadsByLengthAndWritesTheCountBack) {
  Banc banc;
  const std::string trame = EncadrerMessage(Message(40));
  banc.port.Repondre(kAck).Repondre(kEnq).RepondreEnMorceaux(
      {{0.01, trame.substr(0, 10)}, {0.3, trame.substr(10)}});
  banc.port.Repondre(kEot);
  const auto lecture = banc.liaison.EchangerListeDossiers("AJ00207", 25, 10s);
  EXPECT_EQ(TexteReponse(lecture), trame);
  EXPECT_EQ(lecture->attendu, 39);
}

TEST(Variantes, RefusedFrameOrNoEnqFailAsEchangerDoes) {
  Banc refuse;
  refuse.port.Repondre("\x15").Repondre("\x15").Repondre("\x15");
  EXPECT_EQ(TexteReponse(refuse.liaison.EchangerReponseLongue("AJ00203", 10s)), ERR_MESSAGE);
  EXPECT_EQ(refuse.port.Ecritures().back().octets, kEot);

  Banc muet;
  muet.port.Repondre(kAck);
  const auto lecture = muet.liaison.EchangerListeDossiers("AJ00207", 25, 10s);
  EXPECT_EQ(TexteReponse(lecture), ERR_MESSAGE);
}

}  // namespace
}  // namespace zef30
