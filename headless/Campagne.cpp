#include "headless/Campagne.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "base/Texte.h"
#include "headless/AttentesPlan.h"
#include "headless/JournalCampagne.h"
#include "link/Signaux.h"
#include "link/TraceLigne.h"

namespace zef30 {

namespace {
// The terminal's end of the exchange never came: the answer may be in, but the listening only
// stopped on its limit.
constexpr const char* kEcouteSurLimite = "écoute arrêtée sur sa limite, sans la fin du terminal";
}  // namespace

std::string FormaterSecondes(double secondes, const std::locale& locale) {
  if (!std::isfinite(secondes) || secondes < 0) secondes = 0;
  char texte[48];
  if (secondes < 60) {
    std::snprintf(texte, sizeof texte, secondes < 10 ? "%.3f s" : "%.1f s", secondes);
    std::string lu = texte;
    const char virgule = std::use_facet<std::numpunct<char>>(locale).decimal_point();
    std::replace(lu.begin(), lu.end(), '.', virgule);
    return lu;
  }
  const auto entieres = static_cast<long long>(secondes);
  if (entieres < 3600) {
    std::snprintf(texte, sizeof texte, "%lld min %02lld s", entieres / 60, entieres % 60);
  } else {
    std::snprintf(texte, sizeof texte, "%lld h %02lld min", entieres / 3600, entieres % 3600 / 60);
  }
  return texte;
}

std::optional<double> LireDuree(std::string_view texte) {
  double total = 0;
  bool partie = false;
  std::size_t i = 0;
  while (i < texte.size()) {
    const std::size_t debut = i;
    while (i < texte.size() &&
           (std::isdigit(static_cast<unsigned char>(texte[i])) != 0 || texte[i] == '.'))
      ++i;
    const auto nombre = LireNombre(texte.substr(debut, i - debut));
    if (i == debut || !nombre) return std::nullopt;
    double unite = 1;
    for (const auto& [nom, secondes] :
         {std::pair<std::string_view, double>{"min", 60}, {"h", 3600}, {"m", 60}, {"s", 1}}) {
      if (texte.substr(i).starts_with(nom)) {
        unite = secondes;
        i += nom.size();
        break;
      }
    }
    total += *nombre * unite;
    partie = true;
  }
  if (!partie) return std::nullopt;
  return total;
}

std::string LigneRequete(const ExecutionRequete& e, const std::locale& locale) {
  std::string dit = e.reussie && !e.sautee ? e.ligneResultat : e.raison;
  if (e.reussie && dit.empty()) dit = e.ligneEtat;
  std::string ligne = "[" + std::to_string(e.rang) + "] " +
                      (e.titre.empty() ? "" : NommerControles(e.titre) + " — ") + e.famille +
                      " : " +
                      (e.sautee    ? "sautée"
                       : e.reussie ? "réussie"
                                   : "ÉCHEC");
  if (!dit.empty()) ligne += " — " + NommerControles(dit);
  if (e.ecouteSurLimite) ligne += " — " + std::string(kEcouteSurLimite);
  return ligne + " (" + FormaterSecondes(e.Duree(), locale) + ")";
}

ResultatCampagne ExecuterCampagne(Console& console, FenetreTexte& fenetre,
                                  const std::vector<RequeteScriptee>& requetes,
                                  const ReglagesCampagne& reglages, std::ostream& sortie,
                                  const std::function<bool()>& arret,
                                  const std::function<void(const ExecutionRequete&)>& suivi,
                                  JournalCampagne* journal) {
  ResultatCampagne resultat;
  const Horloge& horloge = console.liaison.HorlogeLiaison();
  const Horloge::Instant depart = horloge.Maintenant();
  const auto fini = [&] {
    if (arret && arret()) return resultat.interrompue = true;
    return reglages.duree && horloge.Maintenant() >= Horloge::Plus(depart, *reglages.duree);
  };
  int rang = 0;
  for (int tour = 0; reglages.repetitions == 0 || tour < reglages.repetitions; ++tour) {
    for (const RequeteScriptee& requete : requetes) {
      const BoutonConsole* famille = BoutonDeFamille(requete.famille);
      if (requete.operateur && !reglages.sansOperateur && reglages.operateur) {
        if (fini()) return resultat;
        if (!reglages.operateur(*requete.operateur)) {
          resultat.interrompue = true;
          return resultat;
        }
      }
      if (famille == nullptr) continue;  // LireScript lets none through
      if (fini()) return resultat;
      ++rang;
      if (!reglages.json && reglages.raconter) {
        sortie << "[" << rang << "] " << famille->famille << std::endl;
      }
      // Said once, on the first turn: the turns after it run the same script.
      const auto avertir = [&](const std::string& avertissement) {
        if (tour != 0) return;
        if (!reglages.json) {
          sortie << avertissement << std::endl;
        } else if (reglages.avertissements != nullptr) {
          *reglages.avertissements << "zef30-console : " << avertissement << std::endl;
        }
      };
      // Marked for the operator, who is not there: a record that says so, nothing sent.
      RequeteFaite faite;
      if (reglages.sansOperateur && requete.pourOperateur) {
        faite.execution.famille = famille->famille;
        faite.execution.debut = faite.execution.fin = horloge.Maintenant();
        faite.execution.reussie = faite.execution.sautee = true;
        faite.execution.genre = GenreIssue::PasPrete;
        faite.execution.raison = "sans opérateur (--sans-operateur)";
      } else {
        faite = ExecuterRequete(console, fenetre, requete, *famille, avertir);
      }
      ExecutionRequete& e = faite.execution;
      e.rang = rang;
      e.ligne = reglages.ligne;
      e.titre = requete.titre;
      if (!e.sautee) JugerEtape(e, requete.attentes, faite.releve);
      // Before it is told: a signal that comes once its line is out names it.
      NoterRequeteFinie(rang);
      if (reglages.json) {
        sortie << EnJson(e, &faite.releve) << std::endl;
      } else if (reglages.raconter) {
        sortie << "[" << rang << "] " << e.famille << " : "
               << (e.reussie ? "réussie" : "ÉCHEC — " + e.raison)
               << (e.ecouteSurLimite ? " — " + std::string(kEcouteSurLimite) : "") << std::endl;
      } else {
        sortie << LigneRequete(e, reglages.locale) << std::endl;
      }
      if (suivi) suivi(e);
      if (journal != nullptr) {
        journal->Ajouter(e);
      } else {
        resultat.executions.push_back(std::move(e));
      }
    }
    // A duration alone runs turn after turn; a script that asks nothing would never end.
    if (requetes.empty()) break;
    // Result lines are told as they come and read by nobody after: over hours of turns the
    // window's list keeps the last turn's, not all of them.
    if (reglages.repetitions != 1) fenetre.lignes.clear();
  }
  return resultat;
}

std::string RefusOperateur(const std::vector<RequeteScriptee>& requetes, bool sansOperateur,
                           bool terminal, bool plusieursLignes) {
  const auto etape = std::find_if(requetes.begin(), requetes.end(),
                                  [](const RequeteScriptee& r) { return r.operateur.has_value(); });
  if (etape == requetes.end() || sansOperateur) return {};
  const std::string dite = "une étape de l’opérateur (« " + *etape->operateur + " »)";
  if (plusieursLignes) return dite + " ne va pas avec --lines (--sans-operateur la saute)";
  if (terminal) return {};
  return dite +
         " attend quelqu’un, et l’entrée standard n’est pas un terminal "
         "(--sans-operateur la saute)";
}

int CodeSortie(const std::vector<ExecutionRequete>& executions, std::ostream& erreurs) {
  const auto echec = std::find_if(executions.begin(), executions.end(),
                                  [](const ExecutionRequete& e) { return !e.reussie; });
  return CodeSortie(echec == executions.end() ? nullptr : &*echec, erreurs);
}

int CodeSortie(const ExecutionRequete* echec, std::ostream& erreurs) {
  if (echec == nullptr) return 0;
  erreurs << (echec->ligne != 0 ? "ligne " + std::to_string(echec->ligne) + ", " : "") << "requête "
          << echec->rang << " en échec (" << echec->famille << " : " << echec->raison << ")"
          << std::endl;
  return 10 + std::min(echec->rang, 240);
}

}  // namespace zef30
