#include "base/Texte.h"

#include <gtest/gtest.h>

#include "protocol/Trame.h"

namespace zef30 {
namespace {

TEST(Extraire, PositionsBeyondTheTextReadAsEmptyOrShortened) {
  EXPECT_EQ(Extraire("ABCDEF", 2, 3), "BCD");
  EXPECT_EQ(Extraire("ABCDEF", 5, 10), "EF");
  EXPECT_EQ(Extraire("ABCDEF", 7, 1), "");
  EXPECT_EQ(Extraire("ABCDEF", 0, 2), "");
  EXPECT_EQ(Extraire("ABCDEF", -5, 2), "");
  EXPECT_EQ(Extraire("ABCDEF", 1, 0), "");
  EXPECT_EQ(Extraire("", 1, 1), "");
  EXPECT_EQ(Caractere("AB", 2), "B");
  EXPECT_EQ(Caractere("AB", 3), "");
}

TEST(Cp1252VersUtf8, TerminalBytesBecomeTheirCharacters) {
  EXPECT_EQ(Cp1252VersUtf8("abc\x02\x10"), "abc\x02\x10");
  EXPECT_EQ(Cp1252VersUtf8("\xE9t\xE9"), "été");
  EXPECT_EQ(Cp1252VersUtf8("\x80"), "€");
  EXPECT_EQ(Cp1252VersUtf8("\x92"), "’");
  EXPECT_EQ(Cp1252VersUtf8("\x81"), "\xC2\x81");
  EXPECT_EQ(Cp1252VersUtf8("\xFF"), "ÿ");
}

TEST(VersUtf8Valide, KeepsUtf8AndTakesEveryOtherByteAsWindows1252) {
  const struct {
    std::string octets, texte;
  } cas[] = {
      {"été € 𝄞 \x02", "été € 𝄞 \x02"},
      {"\xE9t\xE9 \x80", "été €"},
      {"\xC3(", "Ã("},                      // a character cut short
      {"\xC0\xAF", "À¯"},                   // an overlong '/'
      {"\xED\xA0\x80", "í\xC2\xA0€"},       // a surrogate
      {"\xF4\x90\x80\x80", "ô\xC2\x90€€"},  // beyond U+10FFFF
  };
  for (const auto& c : cas) EXPECT_EQ(VersUtf8Valide(c.octets), c.texte) << c.octets;
}

TEST(Citer, QuotesFortyCharactersAtMost) {
  const struct {
    std::string mot, citation;
  } cas[] = {
      {"bogus", "bogus"},
      {std::string(40, 'x'), std::string(40, 'x')},
      {std::string(41, 'x'), std::string(40, 'x') + "…"},
      {std::string(39, 'x') + "ééé", std::string(39, 'x') + "é…"},
      {std::string(39, 'x') + "\xE9\xE9", std::string(39, 'x') + "é…"},
  };
  for (const auto& c : cas) EXPECT_EQ(Citer(c.mot), c.citation) << c.mot.size();
}

TEST(LireNombre, AcceptsBlanksSignAndFractionOnly) {
  EXPECT_EQ(LireNombre(" 12 "), 12.0);
  EXPECT_EQ(LireNombre("-3"), -3.0);
  EXPECT_EQ(LireNombre("+05"), 5.0);
  EXPECT_EQ(LireNombre("12.5"), 12.5);
  EXPECT_FALSE(LireNombre(""));
  EXPECT_FALSE(LireNombre("  "));
  EXPECT_FALSE(LireNombre("1a"));
  EXPECT_FALSE(LireNombre("--1"));
  EXPECT_FALSE(LireNombre("."));
  EXPECT_FALSE(LireNombre("1 2"));
}

TEST(SansBlancs, CutsTheChosenBlanksAtBothEndsOnly) {
  struct Cas {
    std::string_view texte;
    std::string_view blancs;
    std::string_view attendu;
  };
  const Cas cas[] = {
      {" \tab c\t ", " \t", "ab c"}, {"  ", " \t", ""},        {"", " \t", ""},
      {"ab\r", " \t", "ab\r"},       {"\r ab\r", " \r", "ab"},
  };
  for (const Cas& c : cas) EXPECT_EQ(SansBlancs(c.texte, c.blancs), c.attendu) << c.texte;
}

TEST(LireEntierStrict, DigitsOnlyWithin32Bits) {
  EXPECT_EQ(LireEntierStrict("012"), 12);
  EXPECT_FALSE(LireEntierStrict(" 12"));
  EXPECT_FALSE(LireEntierStrict("-1"));
  EXPECT_FALSE(LireEntierStrict(""));
  EXPECT_FALSE(LireEntierStrict("99999999999"));
}

TEST(Trame, FrameOfTheCardSwitchRequest) {
  EXPECT_EQ(EncadrerMessage("AA000"), std::string("\x02"
                                                  "AA000\x10\x03\x23"));
  EXPECT_EQ(CalculerLrc(std::string("\x02"
                                    "AA000\x10\x03")),
            "\x23");
  // The check character may itself be a control character, or zero.
  EXPECT_EQ(CalculerLrc(std::string("\x02"
                                    "AA\x10\x03",
                                    5)),
            std::string(1, '\x13'));
  EXPECT_EQ(CalculerLrc(std::string("\x02"
                                    "AA",
                                    3)),
            std::string(1, '\0'));
  EXPECT_EQ(LireLongueurTrame("\x02"
                              "AJ093"),
            93);
  EXPECT_FALSE(
      LireLongueurTrame("\x02"
                        "AJ0 3"));
  EXPECT_FALSE(
      LireLongueurTrame("\x02"
                        "AJ"));
}

}  // namespace
}  // namespace zef30
