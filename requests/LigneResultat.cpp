#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
constexpr const char* kSurLimite = "pas de réponse du terminal : l’écoute a pris fin sur sa limite";
constexpr const char* kSansReponse = "pas de réponse du terminal";

bool SansReponseSurLimite(const EtatConsole& etat) {
  return etat.DerniereEcoute && etat.DerniereEcoute->surLimite && etat.DerniereEcoute->sansResultat;
}
}  // namespace

std::string LigneResultat(std::string_view nom, std::int16_t resultat, std::string_view ok,
                          std::string_view pasOk) {
  std::string ligne = std::string(nom) + " = ";
  if (resultat == 0) return ligne + std::string(ok);
  if (resultat == 1) return ligne + std::string(pasOk);
  return ligne + "Erreur n°" + std::to_string(resultat);
}

std::int16_t NumeroResultat(const ResultatRequete& resultat, NumerosEchec numeros) {
  if (resultat) return *resultat;
  return resultat.Erreur().genre == GenreEchec::PasPret ? numeros.pasPret : numeros.autre;
}

IssueRequete SuiviIssue::ConclureCode(const ResultatRequete& resultat, NumerosEchec numeros,
                                      std::string ligne) const {
  const std::int16_t code = NumeroResultat(resultat, numeros);
  IssueRequete issue = Conclure(code == 0, !resultat && code == numeros.pasPret, std::move(ligne));
  issue.code = code;
  return issue;
}

IssueRequete SuiviIssue::ConclureLigne(const ResultatRequete& resultat, NumerosEchec numeros,
                                       std::string_view nom, std::string_view ok,
                                       std::string_view pasOk) const {
  std::string ligne = LigneResultat(nom, NumeroResultat(resultat, numeros), ok, pasOk);
  console_.fenetre.AjouterLigne(ligne);
  return ConclureCode(resultat, numeros, std::move(ligne));
}

SuiviIssue::SuiviIssue(Console& console) : console_(console) {
  console_.etat.DerniereEcoute.reset();
}

IssueRequete SuiviIssue::Conclure(bool reussie, bool pasEnvoye, std::string ligne) const {
  IssueRequete issue;
  issue.ligne = std::move(ligne);
  const auto& fin = console_.etat.DerniereEcoute;
  issue.ecouteSurLimite = fin && fin->surLimite;
  if (reussie) return issue;
  if (console_.liaison.LignePerdue()) {
    issue.genre = GenreIssue::LignePerdue;
    issue.raison = console_.liaison.DerniereErreur();
    if (issue.raison.empty()) issue.raison = "ligne perdue";
  } else if (SansReponseSurLimite(console_.etat)) {
    issue.genre = GenreIssue::DelaiDepasse;
    issue.raison = kSurLimite;
  } else {
    issue.genre = pasEnvoye ? GenreIssue::PasPrete : GenreIssue::Refusee;
  }
  return issue;
}

void ExpliquerSansReponse(Console& console, const char* contexte) {
  // A lost line has already said so on the status line, in the link's words.
  if (console.liaison.LignePerdue()) return;
  console.fenetre.AfficherEtat(contexte,
                               SansReponseSurLimite(console.etat) ? kSurLimite : kSansReponse);
}

}  // namespace zef30
