#include "requests/RapportsTerminal.h"

#include <cmath>

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "protocol/Trame.h"
#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
constexpr NumerosEchec kNumeros{-600, -600};
}  // namespace

std::optional<int> LireCompte(std::string_view champ) {
  const auto nombre = LireNombre(champ);
  if (!nombre || *nombre < 0 || *nombre != std::trunc(*nombre) || *nombre > 999) {
    return std::nullopt;
  }
  return static_cast<int>(*nombre);
}

std::string Illisible(std::string_view brut) {
  // Nothing to convert beyond the answer: the field is empty as every other there.
  if (brut.empty()) return {};
  return "illisible (« " + Cp1252VersUtf8(brut) + " »)";
}

std::string_view DonneesRapport(std::string_view reponse) {
  const std::size_t n = reponse.size();
  const bool close = n >= 4 && reponse[n - 3] == DLE && reponse[n - 2] == ETX;
  return close ? reponse.substr(0, n - 3) : reponse;
}

std::string ChampRapport(std::string_view reponse, long position, long longueur) {
  return Cp1252VersUtf8(Extraire(reponse, position, longueur));
}

void AjouterLigneRapport(std::string& texte, std::string_view ligne) {
  texte += ligne;
  texte += "\r\n";
}

std::string ConstruireRapport(std::string_view trame, const SuiteBloc& suite) {
  std::string texte;
  const std::string_view reponse = DonneesRapport(trame);
  // A count that does not convert leaves the count as it stood before: none.
  const int blocs = LireCompte(Extraire(reponse, 10, 2)).value_or(0);
  long o = 0;
  for (int k = 0; k < blocs; ++k) {
    const auto champ = [&](long position, long longueur) {
      return ChampRapport(reponse, o + position, longueur);
    };
    AjouterLigneRapport(texte, champ(12, 6));
    AjouterLigneRapport(texte, champ(22, 50));
    AjouterLigneRapport(texte, champ(72, 2) + "/" + champ(74, 2) + "/" + champ(76, 2) + "  " +
                                   champ(78, 2) + "h" + champ(80, 2) + "m" + champ(82, 2));
    AjouterLigneRapport(texte, champ(84, 7));
    AjouterLigneRapport(texte, champ(91, 14));
    AjouterLigneRapport(
        texte, champ(105, 4) + " " + champ(109, 2) + " " + champ(111, 8) + " " + champ(119, 3));
    AjouterLigneRapport(texte, champ(122, 32));
    AjouterLigneRapport(texte, champ(154, 50));
    o += suite(reponse, o, texte);
  }
  return texte;
}

ResultatRequete DemanderRapport(Console& console, const DemandeRapport& demande) {
  console.etat.TexteTicket.clear();
  if (!console.liaison.AttendreTerminalPret()) return PasPret();
  const std::string reponse = TexteReponse(
      console.liaison.EchangerReponseLongue(DispositionDe(demande.message).debut, kDelaiReponse));
  const Disposition& d = DispositionDe(demande.reponse);
  const std::string code = LireChamp(d, "code", reponse);
  if (LireChamp(d, "statut", reponse) == "0" && code == "0") {
    console.etat.TexteTicket = demande.construire(reponse);
    return 0;
  }
  struct Issue {
    const char* code;
    std::int16_t resultat;
    std::string_view texte;
  };
  const Issue issues[] = {
      {"1", 11, demande.incomplet}, {"2", 2, kAppelErrone}, {"3", 3, kPasDAppel}};
  for (const Issue& issue : issues) {
    if (code != issue.code) continue;
    console.fenetre.AfficherEtat(std::string(demande.contexte), std::string(issue.texte));
    return issue.resultat;
  }
  return 1;
}

IssueRequete MontrerRapport(Console& console, ResultatRequete (*demander)(Console&),
                            std::string_view ligneOk, std::string_view prefixeErreur) {
  const SuiviIssue suivi(console);
  const ResultatRequete resultat = SousSablier(console.fenetre, [&] { return demander(console); });
  const std::int16_t code = NumeroResultat(resultat, kNumeros);
  console.fenetre.EcrireTexte(ZoneTexte::txtSelection, console.etat.TexteTicket);
  console.fichiers.JournaliserTexte(console.etat.TexteTicket);
  std::string ligne =
      code == 0 ? std::string(ligneOk) : std::string(prefixeErreur) + std::to_string(code);
  console.fenetre.AjouterLigne(ligne);
  return suivi.ConclureCode(resultat, kNumeros, std::move(ligne));
}

}  // namespace zef30
