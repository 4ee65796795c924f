#include "requests/ModeMaintenance.h"

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "listening/EcouteMaintenance.h"
#include "requests/LigneResultat.h"

namespace zef30 {

IssueRequete cmdLitPuceSync_Click(Console& console) {
  const SuiviIssue suivi(console);
  Fenetre& fenetre = console.fenetre;
  fenetre.EcrireTexte(ZoneTexte::txtSelection, "");
  console.etat.ArretEcoute = false;
  fenetre.DefinirLegende(Panneau::Label6, "EN ECOUTE");
  fenetre.DefinirCouleurFond(Panneau::Label6, Couleur{0, 255, 0});
  // The terminal's bytes, shown and logged as every other text of the console.
  const std::string trace = Cp1252VersUtf8(EcouterModeMaintenance(console));
  fenetre.EcrireTexte(ZoneTexte::txtSelection, trace);
  if (!trace.empty()) console.fichiers.JournaliserTexte(trace);
  // It shows no result line: it went well when it ended without its error box.
  const auto& fin = console.etat.DerniereEcoute;
  return suivi.Conclure(fin && !fin->erreur, false, "");
}

IssueRequete Command1_Click(Console& console) {
  console.fenetre.DefinirLegende(Panneau::Label6, "");
  console.fenetre.DefinirCouleurFond(Panneau::Label6, std::nullopt);
  console.etat.ArretEcoute = true;
  return {};
}

}  // namespace zef30
