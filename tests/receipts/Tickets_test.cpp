#include "receipts/Tickets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zef30 {
namespace {

const FormatMontant kPoint{'.'};

// An answer where every position holds a character that its neighbours do not, so that a field
// cut one place off shows in the receipt.
std::string Motif(std::size_t longueur) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string texte;
  for (std::size_t i = 0; i < longueur; ++i) texte += kAlphabet[i % kAlphabet.size()];
  return texte;
}

// Writes `valeur` at `position` (counted from 1), growing the answer with blanks if needed.
void Ecrire(std::string& reponse, std::size_t position, const std::string& valeur) {
  if (reponse.size() < position - 1 + valeur.size()) {
    reponse.resize(position - 1 + valeur.size(), ' ');
  }
  reponse.replace(position - 1, valeur.size(), valeur);
}

std::vector<std::string> Lignes(const std::string& ticket) {
  std::vector<std::string> lignes;
  std::size_t debut = 0;
  for (std::size_t fin; (fin = ticket.find("\r\n", debut)) != std::string::npos; debut = fin + 2) {
    lignes.push_back(ticket.substr(debut, fin - debut));
  }
  lignes.push_back(ticket.substr(debut));
  return lignes;
}

// The patterned answer with its amount fields made of digits.
struct Reponse {
  std::string texte = Motif(320);
  std::string F(std::size_t position, std::size_t longueur) const {
    return texte.substr(position - 1, longueur);
  }
};

void ExpectFin(const std::string& ticket) {
  ASSERT_GE(ticket.size(), 32u);
  EXPECT_EQ(ticket.substr(ticket.size() - 32), "\r\nTICKET COMMERCANT\r\nA CONSERVER");
}

// Every receipt closes on the merchant's copy lines, the last one without CR LF.
void VerifierTicket(const std::string& ticket, std::vector<std::string> attendu) {
  attendu.push_back("TICKET COMMERCANT");
  attendu.push_back("A CONSERVER");
  EXPECT_EQ(Lignes(ticket), attendu);
  ExpectFin(ticket);
}

TEST(ConstruireTicketValidite, PrintsEveryFieldAtItsPlace) {
  Reponse r;
  Ecrire(r.texte, 259, "00001250");
  const std::vector<std::string> attendu = {
      "CARTE BANCAIRE",
      r.F(34, 25),
      r.F(59, 25),
      r.F(84, 2) + "/" + r.F(86, 2) + "/" + r.F(88, 2) + " à " + r.F(90, 2) + "h" + r.F(92, 2) +
          "m" + r.F(94, 2),
      r.F(96, 20),
      r.F(116, 20),
      r.F(136, 20),
      r.F(158, 7),
      r.F(165, 14),
      r.F(179, 4) + " " + r.F(183, 2) + " " + r.F(185, 8),
      r.F(193, 16),
      r.F(218, 2) + "/" + r.F(216, 2) + r.F(223, 16),
      r.F(242, 3) + " " + r.F(245, 6) + " " + r.F(251, 1) + " " + r.F(258, 1),
      "AUTO: " + r.F(252, 6),
      "MONTANT FORFAITAIRE = ",
      "\t12.50 " + r.F(267, 3),
      "",
      "",
  };
  VerifierTicket(ConstruireTicketValidite(r.texte, kPoint), attendu);
}

// The same lines for any start position: the caller gives 29.
std::vector<std::string> TeteEnregistrement(const Reponse& r, std::size_t s) {
  return {
      "CARTE BANCAIRE",
      r.F(s, 25),
      r.F(s + 25, 25),
      "Le " + r.F(s + 50, 2) + "/" + r.F(s + 52, 2) + "/" + r.F(s + 54, 2) + " a " +
          r.F(s + 56, 2) + "h" + r.F(s + 58, 2) + "m" + r.F(s + 60, 2),
      r.F(s + 62, 20),
      r.F(s + 82, 20),
      r.F(s + 102, 20),
      r.F(s + 124, 7),
      r.F(s + 131, 14),
      r.F(s + 145, 4) + " " + r.F(s + 149, 2) + " " + r.F(s + 151, 8),
      r.F(s + 159, 16),
  };
}

TEST(ConstruireTicketEnregistrement, PrintsEveryFieldAtItsPlaceFromTheStartPosition) {
  for (const std::size_t s : {29u, 40u}) {
    Reponse r;
    Ecrire(r.texte, s + 231, "00001250");
    Ecrire(r.texte, s + 255, "99999999");
    std::vector<std::string> attendu = TeteEnregistrement(r, s);
    const std::vector<std::string> suite = {
        r.F(s + 182, 2) + "/" + r.F(s + 184, 2) + r.F(s + 189, 16),
        r.F(s + 208, 3) + " " + r.F(s + 211, 6) + " " + r.F(s + 223, 1) + " " + r.F(s + 230, 1),
        r.F(s + 217, 6),
        "AUTO: " + r.F(s + 224, 6),
        "MONTANT TRANSACTION = ",
        "\t12.50 " + r.F(s + 239, 3),
        "",
        "MONTANT FORFAITAIRE = ",
        "\t999999.99 " + r.F(s + 239, 3),
        "",
        "DEBIT",
    };
    attendu.insert(attendu.end(), suite.begin(), suite.end());
    SCOPED_TRACE(s);
    VerifierTicket(ConstruireTicketEnregistrement(r.texte, static_cast<std::int16_t>(s), kPoint),
                   attendu);
  }
}

TEST(ConstruireTicketDossier, FollowsTheRegistrationReceiptThenItsOwnEnd) {
  const std::size_t s = 32;
  Reponse r;
  Ecrire(r.texte, s + 255, "00000000");
  std::vector<std::string> attendu = TeteEnregistrement(r, s);
  const std::vector<std::string> suite = {
      r.F(s + 182, 2) + "/" + r.F(s + 184, 2) + "   " + r.F(s + 186, 3),
      r.F(s + 189, 16),
      r.F(s + 208, 3) + " " + r.F(s + 211, 6) + " " + r.F(s + 223, 1) + " " + r.F(s + 230, 1),
      "AUTO: " + r.F(s + 224, 6),
      "MONTANT FORFAITAIRE = ",
      "\t0.00 " + r.F(s + 239, 3),
      "",
  };
  attendu.insert(attendu.end(), suite.begin(), suite.end());
  VerifierTicket(ConstruireTicketDossier(r.texte, s, kPoint), attendu);
}

TEST(ConstruireTicketEnregistrementSimple, PrintsEveryFieldAtItsPlace) {
  Reponse r;
  Ecrire(r.texte, 248, "00001250");
  Ecrire(r.texte, 272, "00002000");
  const std::vector<std::string> attendu = {
      r.F(17, 50),
      r.F(67, 2) + "/" + r.F(69, 2) + "/" + r.F(71, 2) + "  " + r.F(73, 2) + ":" + r.F(75, 2) +
          ":" + r.F(77, 2),
      r.F(79, 60),
      r.F(141, 7),
      r.F(148, 14),
      r.F(176, 16),
      r.F(201, 2) + "/" + r.F(199, 2) + "   " + r.F(203, 3),
      r.F(206, 16),
      r.F(222, 3),
      r.F(225, 3),
      r.F(228, 6),
      r.F(234, 6),
      r.F(240, 1),
      "AUTO: " + r.F(241, 6),
      r.F(247, 1),
      "MONTANT REEL = 12.50 " + r.F(256, 3),
      "",
      "MONTANT ESTIME = 20.00 " + r.F(256, 3),
      "",
  };
  VerifierTicket(ConstruireTicketEnregistrementSimple(r.texte, kPoint), attendu);
}

TEST(Tickets, CardValidityDateIsSwappedOnlyWhereTheLayoutSaysSo) {
  std::string validite(300, ' ');
  Ecrire(validite, 216, "2907");
  Ecrire(validite, 223, "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(Lignes(ConstruireTicketValidite(validite, kPoint))[11], "07/29ABCDEFGHIJKLMNOP");

  std::string enregistrement(300, ' ');
  Ecrire(enregistrement, 211, "2907");
  EXPECT_EQ(Lignes(ConstruireTicketEnregistrement(enregistrement, 29, kPoint))[11].substr(0, 5),
            "29/07");

  std::string simple(300, ' ');
  Ecrire(simple, 199, "2907");
  EXPECT_EQ(Lignes(ConstruireTicketEnregistrementSimple(simple, kPoint))[6].substr(0, 5), "07/29");
}

TEST(Tickets, AnAmountThatIsNotANumberLeavesItsLineOut) {
  std::string validite = Motif(300);
  const auto lignesValidite = Lignes(ConstruireTicketValidite(validite, kPoint));
  ASSERT_EQ(lignesValidite.size(), 19u);
  EXPECT_EQ(lignesValidite[14], "MONTANT FORFAITAIRE = ");
  EXPECT_EQ(lignesValidite[15], "");

  // Registration: the transaction amount is readable, the flat amount is not.
  std::string enregistrement = Motif(300);
  Ecrire(enregistrement, 29 + 231, "00000100");
  const auto lignesEnregistrement =
      Lignes(ConstruireTicketEnregistrement(enregistrement, 29, kPoint));
  ASSERT_EQ(lignesEnregistrement.size(), 23u);
  EXPECT_EQ(lignesEnregistrement[16].substr(0, 6), "\t1.00 ");
  EXPECT_EQ(lignesEnregistrement[18], "MONTANT FORFAITAIRE = ");
  EXPECT_EQ(lignesEnregistrement[19], "");
  EXPECT_EQ(lignesEnregistrement[20], "DEBIT");

  // Without dossier the label shares the amount's line, so both go; the empty line stays.
  std::string simple = Motif(300);
  Ecrire(simple, 272, "00000100");
  const auto lignesSimple = Lignes(ConstruireTicketEnregistrementSimple(simple, kPoint));
  ASSERT_EQ(lignesSimple.size(), 20u);
  EXPECT_EQ(lignesSimple[15], "");
  EXPECT_EQ(lignesSimple[16].substr(0, 22), "MONTANT ESTIME = 1.00 ");
}

TEST(Tickets, AHundredCharacterValidityAnswerGivesEmptyFieldsAndNoAmountLine) {
  const std::string reponse = Motif(100);
  const std::vector<std::string> attendu = {
      "CARTE BANCAIRE",
      reponse.substr(33, 25),
      reponse.substr(58, 25),
      reponse.substr(83, 2) + "/" + reponse.substr(85, 2) + "/" + reponse.substr(87, 2) + " à " +
          reponse.substr(89, 2) + "h" + reponse.substr(91, 2) + "m" + reponse.substr(93, 2),
      reponse.substr(95, 5),
      "",
      "",
      "",
      "",
      "  ",
      "",
      "/",
      "   ",
      "AUTO: ",
      "MONTANT FORFAITAIRE = ",
      "",
      "",
  };
  VerifierTicket(ConstruireTicketValidite(reponse, kPoint), attendu);
}

TEST(Tickets, AnyAnswerGivesAWholeReceiptWithoutItsAmountLines) {
  for (const std::string& reponse : {std::string(), std::string(5, '\0'), Motif(17)}) {
    EXPECT_EQ(Lignes(ConstruireTicketValidite(reponse, kPoint)).size(), 19u);
    EXPECT_EQ(Lignes(ConstruireTicketEnregistrement(reponse, 29, kPoint)).size(), 22u);
    EXPECT_EQ(Lignes(ConstruireTicketDossier(reponse, 32, kPoint)).size(), 19u);
    EXPECT_EQ(Lignes(ConstruireTicketEnregistrementSimple(reponse, kPoint)).size(), 19u);
    ExpectFin(ConstruireTicketValidite(reponse, kPoint));
  }
  // Start positions that put every field before or far beyond the answer.
  const std::string reponse = Motif(320);
  for (const std::int16_t s : {std::int16_t{-32768}, std::int16_t{-300}, std::int16_t{32767}}) {
    const auto lignes = Lignes(ConstruireTicketDossier(reponse, s, kPoint));
    ASSERT_EQ(lignes.size(), 19u) << s;
    EXPECT_EQ(lignes[1], "") << s;
  }
}

TEST(Tickets, TerminalBytesAreConvertedAndTheSeparatorFollowsTheFormat) {
  std::string reponse(300, ' ');
  Ecrire(reponse, 34, "CAF\xC9 DE LA GARE \x80");
  Ecrire(reponse, 259, "99999999");
  Ecrire(reponse, 267, "EUR");
  const auto lignes = Lignes(ConstruireTicketValidite(reponse, FormatMontant{','}));
  EXPECT_EQ(lignes[1], "CAFÉ DE LA GARE €        ");
  EXPECT_EQ(lignes[15], "\t999999,99 EUR");
}

}  // namespace
}  // namespace zef30
