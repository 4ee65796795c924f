#include "receipts/Tickets.h"

#include <array>
#include <initializer_list>
#include <span>

#include "base/Texte.h"

namespace zef30 {

namespace {

// A receipt is described as a run of pieces: literal texts, answer fields and amounts, each line
// closed by a line end. Field positions count from the answer's first receipt field (0 is that
// field), so one description serves answers that carry their receipt at different places.
enum class Sorte { Litteral, Champ, Montant, FinDeLigne };

struct Morceau {
  Sorte sorte;
  std::string_view texte;
  long position;
  long longueur;
};

constexpr Morceau Litteral(std::string_view texte) { return {Sorte::Litteral, texte, 0, 0}; }
constexpr Morceau Champ(long position, long longueur) {
  return {Sorte::Champ, {}, position, longueur};
}
constexpr Morceau Montant(long position) { return {Sorte::Montant, {}, position, 8}; }
constexpr Morceau FinDeLigne{Sorte::FinDeLigne, {}, 0, 0};

// clang-format off
// The transaction's date, its pairs in the answer's order, then hours, minutes and seconds.
constexpr std::array<Morceau, 13> LigneDateHeure(std::string_view avant, std::string_view entre,
                                                 std::string_view heures,
                                                 std::string_view minutes) {
  return {Litteral(avant), Champ(50, 2), Litteral("/"), Champ(52, 2), Litteral("/"), Champ(54, 2),
          Litteral(entre), Champ(56, 2), Litteral(heures), Champ(58, 2), Litteral(minutes),
          Champ(60, 2), FinDeLigne};
}

// The card's validity date: its two pairs in the answer's order, or swapped to month/year.
constexpr std::array<Morceau, 3> DateCarte(bool moisAnnee) {
  return {Champ(moisAnnee ? 184 : 182, 2), Litteral("/"), Champ(moisAnnee ? 182 : 184, 2)};
}

// An amount, its currency and the empty line after them. Under a label line of its own the
// amount line begins with a tab; otherwise the label begins the amount line. When the amount is
// not a number its line is left out, while the label line above it stays.
constexpr std::array<Morceau, 8> LignesMontant(std::string_view libelle, bool libelleAuDessus,
                                               long montant, long devise) {
  return {Litteral(libelle), libelleAuDessus ? FinDeLigne : Litteral(""),
          Litteral(libelleAuDessus ? "\t" : ""), Montant(montant), Litteral(" "), Champ(devise, 3), FinDeLigne,
          FinDeLigne};
}

constexpr Morceau kEnTete[] = {
    Litteral("CARTE BANCAIRE"), FinDeLigne,
    Champ(0, 25), FinDeLigne,
    Champ(25, 25), FinDeLigne,
};

// From the three 20-character lines to the card number.
constexpr Morceau kCorps[] = {
    Champ(62, 20), FinDeLigne,
    Champ(82, 20), FinDeLigne,
    Champ(102, 20), FinDeLigne,
    Champ(124, 7), FinDeLigne,
    Champ(131, 14), FinDeLigne,
    Champ(145, 4), Litteral(" "), Champ(149, 2), Litteral(" "), Champ(151, 8), FinDeLigne,
    Champ(159, 16), FinDeLigne,
};

constexpr Morceau kSuiteDateCarte[] = {Champ(189, 16), FinDeLigne};

constexpr Morceau kCodeEtSuite[] = {
    Litteral("   "), Champ(186, 3), FinDeLigne,
    Champ(189, 16), FinDeLigne,
};

constexpr Morceau kCodesTransaction[] = {
    Champ(208, 3), Litteral(" "), Champ(211, 6), Litteral(" "), Champ(223, 1), Litteral(" "),
    Champ(230, 1), FinDeLigne,
};

constexpr Morceau kAutorisation[] = {Litteral("AUTO: "), Champ(224, 6), FinDeLigne};

constexpr Morceau kConserver[] = {
    Litteral("TICKET COMMERCANT"), FinDeLigne,
    Litteral("A CONSERVER"), FinDeLigne,
};
// clang-format on

constexpr auto kDateEnregistrement = LigneDateHeure("Le ", " a ", "h", "m");
constexpr auto kForfait = LignesMontant("MONTANT FORFAITAIRE = ", true, 255, 239);

std::string Composer(std::string_view reponse, long debut, const FormatMontant& format,
                     std::initializer_list<std::span<const Morceau>> parties) {
  std::string ticket;
  std::string ligne;
  bool premiere = true;
  bool montantLu = true;
  for (const std::span<const Morceau> partie : parties) {
    for (const Morceau& morceau : partie) {
      const auto champ = [&] {
        return Extraire(reponse, debut + morceau.position, morceau.longueur);
      };
      switch (morceau.sorte) {
        case Sorte::Litteral:
          ligne += morceau.texte;
          break;
        case Sorte::Champ:
          ligne += Cp1252VersUtf8(champ());
          break;
        case Sorte::Montant:
          if (const auto montant = FormaterMontant(champ(), format)) {
            ligne += *montant;
          } else {
            montantLu = false;
          }
          break;
        case Sorte::FinDeLigne:
          if (montantLu) {
            if (!premiere) ticket += "\r\n";
            ticket += ligne;
            premiere = false;
          }
          ligne.clear();
          montantLu = true;
          break;
      }
    }
  }
  return ticket;
}

}  // namespace

// clang-format off
std::string ConstruireTicketValidite(std::string_view reponse, const FormatMontant& format) {
  static constexpr auto kDate = LigneDateHeure("", " à ", "h", "m");
  static constexpr Morceau kCodesEtAutorisation[] = {
      Champ(208, 3), Litteral(" "), Champ(211, 6), Litteral(" "), Champ(217, 1), Litteral(" "),
      Champ(224, 1), FinDeLigne,
      Litteral("AUTO: "), Champ(218, 6), FinDeLigne,
  };
  static constexpr auto kMontant = LignesMontant("MONTANT FORFAITAIRE = ", true, 225, 233);
  static constexpr Morceau kLigneVide[] = {FinDeLigne};
  // The validity answer carries its receipt from position 34.
  return Composer(reponse, 34, format, {
      kEnTete,                          // lines 1 to 3
      kDate,                            // 4
      kCorps,                           // 5 to 11
      DateCarte(true), kSuiteDateCarte, // 12
      kCodesEtAutorisation,             // 13 and 14
      kMontant,                         // 15 to 17
      kLigneVide,                       // 18
      kConserver});                     // 19 and 20
}

std::string ConstruireTicketEnregistrement(std::string_view reponse, std::int16_t debut,
                                           const FormatMontant& format) {
  static constexpr Morceau kCodeDebit[] = {Champ(217, 6), FinDeLigne};
  static constexpr auto kTransaction = LignesMontant("MONTANT TRANSACTION = ", true, 231, 239);
  static constexpr Morceau kDebit[] = {Litteral("DEBIT"), FinDeLigne};
  return Composer(reponse, debut, format, {
      kEnTete,                           // lines 1 to 3
      kDateEnregistrement,               // 4
      kCorps,                            // 5 to 11
      DateCarte(false), kSuiteDateCarte, // 12
      kCodesTransaction,                 // 13
      kCodeDebit,                        // 14
      kAutorisation,                     // 15
      kTransaction,                      // 16 to 18
      kForfait,                          // 19 to 21
      kDebit,                            // 22
      kConserver});                      // 23 and 24
}

std::string ConstruireTicketDossier(std::string_view reponse, std::int16_t debut,
                                    const FormatMontant& format) {
  return Composer(reponse, debut, format, {
      kEnTete,                        // lines 1 to 3
      kDateEnregistrement,            // 4
      kCorps,                         // 5 to 11
      DateCarte(false), kCodeEtSuite, // 12 and 13
      kCodesTransaction,              // 14
      kAutorisation,                  // 15
      kForfait,                       // 16 to 18
      kConserver});                   // 19 and 20
}

std::string ConstruireTicketEnregistrementSimple(std::string_view reponse,
                                                 const FormatMontant& format) {
  // The fields of the registration with dossier, 12 positions earlier and on fewer lines.
  static constexpr auto kDate = LigneDateHeure("", "  ", ":", ":");
  static constexpr Morceau kCommercant[] = {Champ(0, 50), FinDeLigne};
  static constexpr Morceau kCarte[] = {
      Champ(62, 60), FinDeLigne,
      Champ(124, 7), FinDeLigne,
      Champ(131, 14), FinDeLigne,
      Champ(159, 16), FinDeLigne,
  };
  static constexpr Morceau kCodes[] = {
      Champ(205, 3), FinDeLigne,
      Champ(208, 3), FinDeLigne,
      Champ(211, 6), FinDeLigne,
      Champ(217, 6), FinDeLigne,
      Champ(223, 1), FinDeLigne,
  };
  static constexpr Morceau kDernierCode[] = {Champ(230, 1), FinDeLigne};
  static constexpr auto kReel = LignesMontant("MONTANT REEL = ", false, 231, 239);
  static constexpr auto kEstime = LignesMontant("MONTANT ESTIME = ", false, 255, 239);
  // This answer carries its receipt from position 17.
  return Composer(reponse, 17, format, {
      kCommercant,                    // line 1
      kDate,                          // 2
      kCarte,                         // 3 to 6
      DateCarte(true), kCodeEtSuite,  // 7 and 8
      kCodes,                         // 9 to 13
      kAutorisation,                  // 14
      kDernierCode,                   // 15
      kReel,                          // 16 and 17
      kEstime,                        // 18 and 19
      kConserver});                   // 20 and 21
}
// clang-format on

}  // namespace zef30
