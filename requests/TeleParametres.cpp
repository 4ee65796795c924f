#include "requests/TeleParametres.h"

#include "base/Texte.h"
#include "requests/RapportsTerminal.h"

namespace zef30 {

namespace {
constexpr long kTailleBloc = 204;
constexpr long kTailleTable = 6;

// Lines 9 to 13 and the tables of one block; the next block follows the last table.
long SuiteBlocTeleParam(std::string_view reponse, long o, std::string& texte) {
  const auto champ = [&](long position, long longueur) {
    return ChampRapport(reponse, o + position, longueur);
  };
  AjouterLigneRapport(texte, Caractere(reponse, o + 204) == "0" ? "Application non initialisée"
                                                                : "Application initialisée");
  AjouterLigneRapport(
      texte, Caractere(reponse, o + 205) == "0" ? "Application non active" : "Application active");
  AjouterLigneRapport(texte, champ(206, 4));
  AjouterLigneRapport(texte, champ(210, 2));
  AjouterLigneRapport(texte, champ(212, 2));
  // A count that does not convert counts no table, and the next block follows at once.
  const int tables = LireCompte(Extraire(reponse, o + 214, 2)).value_or(0);
  for (int j = 0; j < tables; ++j) {
    const long debut = o + 216 + kTailleTable * j;
    AjouterLigneRapport(texte, "No table :" + ChampRapport(reponse, debut, 2));
    AjouterLigneRapport(texte, "No version: " + ChampRapport(reponse, debut + 2, 4));
    AjouterLigneRapport(texte, "");
  }
  return kTailleBloc + kTailleTable * tables;
}
}  // namespace

std::string ConstruireRapportTeleParam(std::string_view reponse) {
  return ConstruireRapport(reponse, &SuiteBlocTeleParam);
}

ResultatRequete DemanderEtatTeleParam(Console& console) {
  return DemanderRapport(console,
                         {Message::DemandeTeleParam, Message::ReponseTeleParam, "DemEtatTeleParam",
                          "téléparam incomplète", &ConstruireRapportTeleParam});
}

IssueRequete Command4_Click(Console& console) {
  return MontrerRapport(console, &DemanderEtatTeleParam, "Demande ticket teleParam = OK",
                        "Demande ticket teleParam = Erreur n°");
}

}  // namespace zef30
