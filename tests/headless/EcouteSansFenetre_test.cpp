// A validity listened to without a window: what the operator at a terminal is told while the
// listening goes on, and what the record keeps of how it ended.
#include <gtest/gtest.h>

#include <sstream>

#include "console/Poste.h"
#include "headless/FenetreTexte.h"
#include "headless/RequetesScriptees.h"
#include "protocol/Trame.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/HorlogeVirtuelle.h"
#include "tests/support/PortScripte.h"

namespace zef30 {
namespace {

TEST(EcouteSansFenetre, AnAnswerWhoseDisplayNeverBlanksGivesOneHintAndEndsOnTheLimit) {
  const std::string kAk = EncadrerMessage("Ak0120123456789AB");
  const struct {
    const char* nom;
    std::vector<std::string> apresReponse;  // the terminal's replies once the answer is in
    bool surLimite;                         // the listening ended on its 300 s
  } cas[] = {
      {"the terminal keeps its display", {""}, true},
      {"the display blanked", {EncadrerMessage("D" + std::string(32, ' ')), ""}, false},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::DossierTemporaire dossier;
    essai::HorlogeVirtuelle horloge;
    essai::PortScripte port(horloge);
    FenetreTexte fenetre;
    Poste poste(port, horloge, fenetre, dossier.Chemin());
    Console& console = poste.console;
    std::ostringstream erreurs;
    fenetre.SuivreEcoutes(erreurs, horloge, false);
    // Probe, frame, EOT answered; then the listener's ACK brings the answer.
    port.Repondre("\x06").Repondre("\x06").Repondre("\x05").Repondre(kAk);
    for (const auto& r : c.apresReponse) port.Repondre(r);

    RequeteScriptee requete;
    requete.famille = "validite";
    requete.ecranHote = true;
    const auto faite =
        ExecuterRequete(console, fenetre, requete, *BoutonDeFamille(requete.famille));

    const ExecutionRequete& e = faite.execution;
    EXPECT_TRUE(e.reussie);
    EXPECT_EQ(e.ecouteSurLimite, c.surLimite);
    EXPECT_EQ(e.ligneResultat, "Demande de Validité = OK");
    EXPECT_EQ(e.Duree() >= 300, c.surLimite) << e.Duree();
    const std::string dit = erreurs.str();
    const auto indice = dit.find("« Ecran Hote » est coché");
    EXPECT_EQ(indice != std::string::npos, c.surLimite) << dit;
    if (indice != std::string::npos) {
      EXPECT_EQ(dit.find("« Ecran Hote » est coché", indice + 1), std::string::npos) << dit;
    }
  }
}

}  // namespace
}  // namespace zef30
