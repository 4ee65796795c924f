#include "requests/BoutonsConsole.h"

#include <algorithm>
#include <array>

#include "requests/Consultation.h"
#include "requests/Dossiers.h"
#include "requests/Enregistrement.h"
#include "requests/ModeMaintenance.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Switch.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "requests/Validite.h"

namespace zef30 {

namespace {

constexpr std::array<BoutonConsole, 17> kBoutons = {{
    {"cmdDemSwi", "Demande de switch", &cmdDemSwi_Click, "switch"},
    {"cmdDemConsult", "Dem consultation", &cmdDemConsult_Click, "consultation"},
    {"cmdSetPrix", "Définir le prix", &cmdSetPrix_Click, "prix"},
    {"cmdDemVal", "Demander validité", &cmdDemVal_Click, "validite"},
    {"cmdDemConf", "Demander liste dossier", &cmdDemConf_Click, "liste-dossiers"},
    {"cmdDemAbdn", "Demander Info Dossier", &cmdDemAbdn_Click, "info-dossier"},
    {"cmdDemEnr", "Demander enregistrement", &cmdDemEnr_Click, "enregistrement"},
    {"Command3", "Demander Annul Dossier", &Command3_Click, "annulation"},
    {"cmdDemTC", "Demander télécollecte", &cmdDemTC_Click, "telecollecte"},
    {"cmdDemTic", "Etat derniere TeleCollecte", &cmdDemTic_Click, "etat-telecollecte"},
    {"Command4", "Etat dernier TeleParam", &Command4_Click, "etat-teleparam"},
    {"Command5", "Demande ISO 2", &Command5_Click, "iso2"},
    {"Command2", "Mise à l'heure", &Command2_Click, "heure"},
    {"Command6", "Dem Redemarrage", &Command6_Click, "redemarrage"},
    {"cmdLitPuceSync", "Ecouter Mode Maintenance", &cmdLitPuceSync_Click, "maintenance"},
    {"Command1", "Sortie Ecoute", &Command1_Click, "", true},
    {"cmdDemVitesse", "Changer Vitesse -> 19200", &cmdDemVitesse_Click, "vitesse"},
}};

const BoutonConsole* Trouver(std::string_view valeur, const char* BoutonConsole::*champ) {
  const auto trouve = std::find_if(kBoutons.begin(), kBoutons.end(),
                                   [&](const BoutonConsole& b) { return valeur == b.*champ; });
  return trouve == kBoutons.end() ? nullptr : &*trouve;
}

}  // namespace

std::span<const BoutonConsole> BoutonsConsole() { return kBoutons; }

const BoutonConsole* TrouverBouton(std::string_view nom) {
  return Trouver(nom, &BoutonConsole::nom);
}

const BoutonConsole* BoutonDeFamille(std::string_view famille) {
  return famille.empty() ? nullptr : Trouver(famille, &BoutonConsole::famille);
}

}  // namespace zef30
