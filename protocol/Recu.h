#pragma once

#include <array>
#include <string_view>

namespace zef30 {

// The merchant receipt that an accepted payment answer carries, as fixed fields. Positions count
// from the receipt's first field (0), so one layout serves answers that carry their receipt at
// different places (the layouts say where). The console prints the receipt from these fields and
// the simulated terminal writes them: both read the positions here. The validity answer's receipt
// ends earlier than the one of a registration or a dossier.
enum class FormeRecu { Validite, Enregistrement };

// A field of the receipt: where it begins (from 0) and how many characters it has.
struct ZoneRecu {
  long position = 0;
  long longueur = 0;
};

namespace recu {

struct ChampRecu {
  std::string_view nom;
  ZoneRecu zone;
};

// The fields every receipt holds, whatever its form. The names of those the console only copies
// say what the simulated terminal writes there.
inline constexpr std::array kCommuns = {
    ChampRecu{"commerçant 1", {0, 25}},
    ChampRecu{"commerçant 2", {25, 25}},
    // Three pairs of the date in the answer's order, then hours, minutes and seconds.
    ChampRecu{"date et heure", {50, 12}},
    ChampRecu{"texte 1", {62, 20}},
    ChampRecu{"texte 2", {82, 20}},
    ChampRecu{"texte 3", {102, 20}},
    ChampRecu{"commerçant", {124, 7}},
    ChampRecu{"application", {131, 14}},
    ChampRecu{"terminal", {145, 4}},
    ChampRecu{"lot", {149, 2}},
    ChampRecu{"transaction", {151, 8}},
    ChampRecu{"carte", {159, 16}},
    // Two pairs, in the answer's order.
    ChampRecu{"fin de validité", {182, 4}},
    ChampRecu{"code service", {186, 3}},
    ChampRecu{"libellé", {189, 16}},
    ChampRecu{"code 1", {205, 3}},
    ChampRecu{"code 2", {208, 3}},
    ChampRecu{"code 3", {211, 6}},
};

inline constexpr std::array kValidite = {
    ChampRecu{"indicateur", {217, 1}}, ChampRecu{"autorisation", {218, 6}},
    ChampRecu{"mode", {224, 1}},       ChampRecu{"montant", {225, 8}},
    ChampRecu{"devise", {233, 3}},
};

inline constexpr std::array kEnregistrement = {
    ChampRecu{"code 4", {217, 6}},
    ChampRecu{"indicateur", {223, 1}},
    ChampRecu{"autorisation", {224, 6}},
    ChampRecu{"mode", {230, 1}},
    ChampRecu{"montant", {231, 8}},
    ChampRecu{"devise", {239, 3}},
    ChampRecu{"montant forfaitaire", {255, 8}},
};

// Reached only for a name the receipt does not hold: not a constant, so the build stops there.
void ChampRecuInconnu(std::string_view nom);

}  // namespace recu

// The field `nom` of the receipt of form `forme`; a name it does not hold does not build.
consteval ZoneRecu Recu(FormeRecu forme, std::string_view nom) {
  for (const recu::ChampRecu& champ : recu::kCommuns) {
    if (champ.nom == nom) return champ.zone;
  }
  if (forme == FormeRecu::Validite) {
    for (const recu::ChampRecu& champ : recu::kValidite) {
      if (champ.nom == nom) return champ.zone;
    }
  } else {
    for (const recu::ChampRecu& champ : recu::kEnregistrement) {
      if (champ.nom == nom) return champ.zone;
    }
  }
  recu::ChampRecuInconnu(nom);
  return {};
}

// The `longueur` characters of `zone` from its character `debut` (from 0).
constexpr ZoneRecu Partie(ZoneRecu zone, long debut, long longueur) {
  return {zone.position + debut, longueur};
}

// From the first character of `premiere` to the last of `derniere`.
constexpr ZoneRecu Etendue(ZoneRecu premiere, ZoneRecu derniere) {
  return {premiere.position, derniere.position + derniere.longueur - premiere.position};
}

}  // namespace zef30
