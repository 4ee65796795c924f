#include "receipts/Tickets.h"

#include <array>
#include <initializer_list>
#include <span>

#include "base/Texte.h"
#include "protocol/DispositionsMessages.h"
#include "protocol/Recu.h"

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
constexpr Morceau Champ(ZoneRecu zone) { return {Sorte::Champ, {}, zone.position, zone.longueur}; }
constexpr Morceau Montant(ZoneRecu zone) {
  return {Sorte::Montant, {}, zone.position, zone.longueur};
}
constexpr Morceau FinDeLigne{Sorte::FinDeLigne, {}, 0, 0};

// The fields every receipt holds, and those of each form.
consteval ZoneRecu Commun(std::string_view nom) { return Recu(FormeRecu::Enregistrement, nom); }
consteval ZoneRecu DeValidite(std::string_view nom) { return Recu(FormeRecu::Validite, nom); }
consteval ZoneRecu DEnregistrement(std::string_view nom) {
  return Recu(FormeRecu::Enregistrement, nom);
}

constexpr ZoneRecu kDateHeure = Commun("date et heure");
constexpr ZoneRecu kFinValidite = Commun("fin de validité");

// clang-format off
// The transaction's date, its pairs in the answer's order, then hours, minutes and seconds.
constexpr std::array<Morceau, 13> LigneDateHeure(std::string_view avant, std::string_view entre,
                                                 std::string_view heures,
                                                 std::string_view minutes) {
  const auto paire = [](long k) { return Champ(Partie(kDateHeure, 2 * k, 2)); };
  return {Litteral(avant), paire(0), Litteral("/"), paire(1), Litteral("/"), paire(2),
          Litteral(entre), paire(3), Litteral(heures), paire(4), Litteral(minutes),
          paire(5), FinDeLigne};
}

// The card's validity date: its two pairs in the answer's order, or swapped to month/year.
constexpr std::array<Morceau, 3> DateCarte(bool moisAnnee) {
  const Morceau annee = Champ(Partie(kFinValidite, 0, 2));
  const Morceau mois = Champ(Partie(kFinValidite, 2, 2));
  return {moisAnnee ? mois : annee, Litteral("/"), moisAnnee ? annee : mois};
}

// An amount, its currency and the empty line after them. Under a label line of its own the
// amount line begins with a tab; otherwise the label begins the amount line. When the amount is
// not a number its line is left out, while the label line above it stays.
constexpr std::array<Morceau, 8> LignesMontant(std::string_view libelle, bool libelleAuDessus,
                                               ZoneRecu montant, ZoneRecu devise) {
  return {Litteral(libelle), libelleAuDessus ? FinDeLigne : Litteral(""),
          Litteral(libelleAuDessus ? "\t" : ""), Montant(montant), Litteral(" "), Champ(devise), FinDeLigne,
          FinDeLigne};
}

constexpr Morceau kEnTete[] = {
    Litteral("CARTE BANCAIRE"), FinDeLigne,
    Champ(Commun("commerçant 1")), FinDeLigne,
    Champ(Commun("commerçant 2")), FinDeLigne,
};

// From the three 20-character lines to the card number.
constexpr Morceau kCorps[] = {
    Champ(Commun("texte 1")), FinDeLigne,
    Champ(Commun("texte 2")), FinDeLigne,
    Champ(Commun("texte 3")), FinDeLigne,
    Champ(Commun("commerçant")), FinDeLigne,
    Champ(Commun("application")), FinDeLigne,
    Champ(Commun("terminal")), Litteral(" "), Champ(Commun("lot")), Litteral(" "),
    Champ(Commun("transaction")), FinDeLigne,
    Champ(Commun("carte")), FinDeLigne,
};

constexpr Morceau kSuiteDateCarte[] = {Champ(Commun("libellé")), FinDeLigne};

constexpr Morceau kCodeEtSuite[] = {
    Litteral("   "), Champ(Commun("code service")), FinDeLigne,
    Champ(Commun("libellé")), FinDeLigne,
};

constexpr Morceau kCodesTransaction[] = {
    Champ(Commun("code 2")), Litteral(" "), Champ(Commun("code 3")), Litteral(" "),
    Champ(DEnregistrement("indicateur")), Litteral(" "), Champ(DEnregistrement("mode")), FinDeLigne,
};

constexpr Morceau kAutorisation[] = {
    Litteral("AUTO: "), Champ(DEnregistrement("autorisation")), FinDeLigne};

constexpr Morceau kConserver[] = {
    Litteral("TICKET COMMERCANT"), FinDeLigne,
    Litteral("A CONSERVER"), FinDeLigne,
};
// clang-format on

constexpr auto kDateEnregistrement = LigneDateHeure("Le ", " a ", "h", "m");
constexpr auto kForfait =
    LignesMontant("MONTANT FORFAITAIRE = ", true, DEnregistrement("montant forfaitaire"),
                  DEnregistrement("devise"));

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
      Champ(Commun("code 2")), Litteral(" "), Champ(Commun("code 3")), Litteral(" "),
      Champ(DeValidite("indicateur")), Litteral(" "), Champ(DeValidite("mode")), FinDeLigne,
      Litteral("AUTO: "), Champ(DeValidite("autorisation")), FinDeLigne,
  };
  static constexpr auto kMontant = LignesMontant("MONTANT FORFAITAIRE = ", true,
                                                 DeValidite("montant"), DeValidite("devise"));
  static constexpr Morceau kLigneVide[] = {FinDeLigne};
  return Composer(reponse, DebutRecu<Message::ReponseValidite>(), format, {
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
  static constexpr Morceau kCodeDebit[] = {Champ(DEnregistrement("code 4")), FinDeLigne};
  static constexpr auto kTransaction = LignesMontant(
      "MONTANT TRANSACTION = ", true, DEnregistrement("montant"), DEnregistrement("devise"));
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
  static constexpr Morceau kCommercant[] = {
      Champ(Etendue(Commun("commerçant 1"), Commun("commerçant 2"))), FinDeLigne};
  static constexpr Morceau kCarte[] = {
      Champ(Etendue(Commun("texte 1"), Commun("texte 3"))), FinDeLigne,
      Champ(Commun("commerçant")), FinDeLigne,
      Champ(Commun("application")), FinDeLigne,
      Champ(Commun("carte")), FinDeLigne,
  };
  static constexpr Morceau kCodes[] = {
      Champ(Commun("code 1")), FinDeLigne,
      Champ(Commun("code 2")), FinDeLigne,
      Champ(Commun("code 3")), FinDeLigne,
      Champ(DEnregistrement("code 4")), FinDeLigne,
      Champ(DEnregistrement("indicateur")), FinDeLigne,
  };
  static constexpr Morceau kDernierCode[] = {Champ(DEnregistrement("mode")), FinDeLigne};
  static constexpr auto kReel = LignesMontant("MONTANT REEL = ", false, DEnregistrement("montant"),
                                              DEnregistrement("devise"));
  static constexpr auto kEstime =
      LignesMontant("MONTANT ESTIME = ", false, DEnregistrement("montant forfaitaire"),
                    DEnregistrement("devise"));
  return Composer(reponse, DebutRecu<Message::ReponseEnregistrementSimple>(), format, {
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
