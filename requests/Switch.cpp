#include "requests/Switch.h"

#include <string>

#include "base/Texte.h"
#include "link/Trame.h"
#include "requests/LigneResultat.h"

namespace zef30 {

namespace {
constexpr const char* kContexte = "DemSwi";
constexpr std::int16_t kPasPret = -400;
constexpr std::int32_t kSeuilNonDisponible = 1000;
}  // namespace

std::int16_t DemanderSwitch(Console& console) {
  if (!console.liaison.AttendreTerminalPret()) return kPasPret;
  const std::string reponse = console.liaison.Echanger("AA000", 13, kDelaiReponse);
  if (reponse == ERR_MESSAGE) return kPasPret;

  Fenetre& fenetre = console.fenetre;
  const std::string disponibilite = Caractere(reponse, 7);
  const std::string carte = Caractere(reponse, 8);
  const std::string travaux = Caractere(reponse, 9);
  const std::string securite = Caractere(reponse, 10);

  if (securite == "1" || securite == "2" || securite == "3") {
    const char* texte = securite == "1"   ? "Pin-pad hors service, sécurité activée"
                        : securite == "2" ? "Lecteur hors service, sécurité activée"
                                          : "Pin-pad et lecteur hors service, sécurité activée";
    fenetre.AfficherEtat(kContexte, texte);
    return -403;
  }
  if (travaux == "1" || travaux == "2") {
    fenetre.AfficherEtat(kContexte,
                         travaux == "1" ? "télécollecte en cours" : "téléparamétrage en cours");
    return -404;
  }
  if (disponibilite == "2") {
    fenetre.AfficherEtat(kContexte, "ZEF30S non disponible et switch maintenance positionné");
    return -405;
  }
  if (disponibilite == "1") {
    // Only every thousandth such answer is worth the operator's attention.
    if (++console.etat.CompteurNonDisponible >= kSeuilNonDisponible) {
      console.etat.CompteurNonDisponible = 0;
      fenetre.AfficherEtat(kContexte, "NON OK (ZEF30S non disponible)");
    }
    return -405;
  }
  if (carte == "1") return 0;
  if (carte == "0") return 1;
  return kPasPret;
}

void cmdDemSwi_Click(Console& console) {
  std::int16_t code = 0;
  {
    Sablier sablier(console.fenetre);
    code = DemanderSwitch(console);
  }
  console.fenetre.AjouterLigne(
      LigneResultat("Demande de Switch", code, "Carte présente", "Carte non-présente"));
}

}  // namespace zef30
