#include "headless/PlanEnFenetre.h"

#include <algorithm>
#include <ostream>

#include "base/Texte.h"
#include "headless/Campagne.h"
#include "headless/ResumeCampagne.h"

namespace zef30 {

FenetreDouble::FenetreDouble(FenetreTexte& releve, Fenetre& ecran)
    : FenetreRelais(ecran), releve_(releve) {
  // The inputs the record holds start from what the window shows.
  releve_.CocherEcranHote(ecran.EcranHoteCoche());
  releve_.ChoisirModeVente(ecran.ModeVenteChoisi());
  for (const ZoneTexte zone : {ZoneTexte::TextPrix, ZoneTexte::Text2}) {
    releve_.EcrireTexte(zone, ecran.LireTexte(zone));
  }
}

void FenetreDouble::AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) {
  releve_.CederAuxEvenements();
  if (const auto clic = releve_.ClicProgramme()) echeance = std::min(echeance, *clic);
  FenetreRelais::AttendreLigneOuEvenement(port, echeance);
  releve_.CederAuxEvenements();
}

void ExecuterPlanEnFenetre(Console& console, const std::vector<RequeteScriptee>& requetes,
                           const std::function<void(const std::string&)>& dire,
                           const std::function<bool(const std::string&)>& demander) {
  FenetreTexte releve;
  FenetreDouble double_(releve, console.fenetre);
  Console enPlan{console.etat, console.liaison, double_, console.fichiers};
  ReglagesCampagne reglages;
  reglages.operateur = demander;
  // The verdicts are told by `suivi`, once judged; the campaign's own lines go nowhere.
  std::ostream rien(nullptr);
  const auto fait =
      ExecuterCampagne(enPlan, releve, requetes, reglages, rien, {},
                       [&](const ExecutionRequete& e) { dire(LigneRequete(e, reglages.locale)); });
  ResumeCampagne resume = ResumerCampagne(fait.executions);
  resume.fin.interrompue = fait.interrompue;
  resume.fin.arret = "Abandon";
  // Kept whole while its lines are told: they are views into it.
  const std::string texte = TexteResume(resume, reglages.locale, false);
  for (const auto ligne : DecouperLignes(texte)) {
    if (!ligne.empty()) dire(std::string(ligne));
  }
}

}  // namespace zef30
