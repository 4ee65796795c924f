#include "headless/ConclusionCampagne.h"

#include "console/FichiersConsole.h"
#include "console/SauvegardeTexte.h"
#include "headless/RapportJunit.h"
#include "headless/ResumeCampagne.h"

namespace zef30 {

bool ConclureCampagne(const ParcoursExecutions& executions, const SortiesCampagne& sorties,
                      FenetreTexte& fenetre, std::ostream& sortie, std::ostream& erreurs) {
  ResumeCampagne resume = ResumerCampagne(executions);
  resume.fin = sorties.fin;
  bool ecrits = true;
  std::vector<std::string> rapports;
  const auto ecrire = [&](const std::optional<std::string>& chemin, const std::string& texte,
                          const char* quoi) {
    if (!chemin) return;
    if (EnregistrerTexteSous(fenetre, *chemin, texte)) {
      rapports.push_back(std::string(quoi) + " : " + *chemin);
      return;
    }
    ecrits = false;
    if (!fenetre.Lignes().empty()) erreurs << fenetre.Lignes().back() << std::endl;
  };
  ecrire(sorties.junit, RapportJunit(executions, sorties.horodatage, sorties.fin), "JUnit");
  ecrire(sorties.rapport, RapportHtml(executions, resume, sorties.description), "rapport HTML");
  if (sorties.json) {
    sortie << JsonResume(resume) << std::endl;
    return ecrits;
  }
  sortie << TexteResume(resume, sorties.locale, sorties.tableau);
  if (sorties.dossiers.size() == 1) {
    const std::string d = AjouterSeparateur(sorties.dossiers.front());
    sortie << "journal : " << d << kNomJournal << "\ntickets : " << d << kMotifTickets
           << "\nrapports de télécollecte : " << d << kNomDossierRapports << "/" << std::endl;
  } else if (!sorties.dossiers.empty()) {
    sortie << "journal " << kNomJournal << ", tickets " << kMotifTickets
           << " et rapports de télécollecte " << kNomDossierRapports
           << "/ de chaque ligne dans :" << std::endl;
    for (const auto& dossier : sorties.dossiers) sortie << "  " << dossier << std::endl;
  }
  if (!sorties.enregistrements.empty())
    sortie << "requêtes : " << sorties.enregistrements << std::endl;
  for (const auto& trace : sorties.traces) sortie << "trace : " << trace << std::endl;
  for (const auto& rapport : rapports) sortie << rapport << std::endl;
  return ecrits;
}

}  // namespace zef30
