#include "protocol/Montant.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace zef30 {
namespace {

TEST(FormaterMontant, CentsPrintWithTwoDecimalsAndNoThousandsSeparator) {
  const FormatMontant point;
  const struct {
    std::string champ;
    std::string texte;
  } cas[] = {
      {"00000000", "0.00"},  {"00001250", "12.50"},   {"99999999", "999999.99"},
      {"00000005", "0.05"},  {"00000100", "1.00"},    {"12345678", "123456.78"},
      {"    1250", "12.50"}, {"1250    ", "12.50"},   {"+0001250", "12.50"},
      {"-0000050", "-0.50"}, {"-0012345", "-123.45"}, {"5", "0.05"},
      {"00012.00", "0.12"},  {"0001.5  ", "0.02"},    {"0012.50", "0.13"},
      {"-001.5", "-0.02"},   {"0001.25", "0.01"},
  };
  for (const auto& [champ, texte] : cas) {
    EXPECT_EQ(FormaterMontant(champ, point), texte) << champ;
  }
}

TEST(FormaterMontant, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(FormaterMontant("00001250", FormatMontant{','}), "12,50");
  EXPECT_EQ(FormaterMontant("99999999", FormatMontant{','}), "999999,99");
}

TEST(FormaterMontant, WhatIsNotANumberGivesNothing) {
  for (const std::string champ : {"", "        ", "0000125A", "ABCDEFGH", "12.5.0", "12 50",
                                  "--000001", "1e5", "99999999999999999999"}) {
    EXPECT_EQ(FormaterMontant(champ, FormatMontant{}), std::nullopt) << champ;
  }
}

TEST(LireFormatMontantUtilisateur, FallsBackToThePointWhenTheLocaleCannotBeMade) {
  const char* avant = std::getenv("LC_ALL");
  const std::string sauve = avant ? avant : "";
  setenv("LC_ALL", "zz_ZZ.inexistante", 1);
  EXPECT_EQ(LireFormatMontantUtilisateur().SeparateurDecimal, '.');
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(LireFormatMontantUtilisateur().SeparateurDecimal, '.');
  if (avant) {
    setenv("LC_ALL", sauve.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
}

}  // namespace
}  // namespace zef30
