#include "requests/BoutonsConsole.h"

#include <algorithm>
#include <array>
#include <string_view>

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
    {"cmdDemSwi", "Demande de switch", 8, 424, &cmdDemSwi_Click, "switch"},
    {"cmdSetPrix", "Définir le prix", 320, 424, &cmdSetPrix_Click, "prix"},
    {"cmdDemVal", "Demander validité", 8, 456, &cmdDemVal_Click, "validite"},
    {"cmdLitPuceSync", "Ecouter Mode Maintenance", 320, 456, &cmdLitPuceSync_Click, "maintenance",
     false, std::chrono::seconds(5)},
    {"cmdDemEnr", "Demander enregistrement", 8, 488, &cmdDemEnr_Click, "enregistrement"},
    {"Command1", "Sortie Ecoute", 320, 496, &Command1_Click, "", true},
    {"Command3", "Demander Annul Dossier", 8, 520, &Command3_Click, "annulation"},
    {"Command2", "Mise à l'heure", 320, 536, &Command2_Click, "heure"},
    {"cmdDemAbdn", "Demander Info Dossier", 8, 552, &cmdDemAbdn_Click, "info-dossier"},
    {"cmdDemConsult", "Dem consultation", 320, 568, &cmdDemConsult_Click, "consultation"},
    {"cmdDemConf", "Demander liste dossier", 8, 584, &cmdDemConf_Click, "liste-dossiers"},
    {"Command6", "Dem Redemarrage", 320, 600, &Command6_Click, "redemarrage"},
    {"Command5", "Demande ISO 2", 8, 616, &Command5_Click, "iso2"},
    {"cmdDemTC", "Demander télécollecte", 8, 648, &cmdDemTC_Click, "telecollecte"},
    {"cmdDemTic", "Etat derniere TeleCollecte", 8, 680, &cmdDemTic_Click, "etat-telecollecte"},
    {"cmdDemVitesse", "Changer Vitesse -> 19200", 480, 696, &cmdDemVitesse_Click, "vitesse"},
    {"Command4", "Etat dernier TeleParam", 8, 712, &Command4_Click, "etat-teleparam"},
}};

// The line-speed request goes last: the window hides its button. (Told by its name: the compiler
// may not compare the addresses of functions while it builds the table.)
constexpr bool EnDernier(const BoutonConsole& bouton) {
  return std::string_view(bouton.famille) == "vitesse";
}

constexpr std::size_t kNombreFamilles = std::count_if(
    kBoutons.begin(), kBoutons.end(), [](const BoutonConsole& b) { return *b.famille != '\0'; });

constexpr std::array<const BoutonConsole*, kNombreFamilles> kFamilles = [] {
  std::array<const BoutonConsole*, kNombreFamilles> familles{};
  std::size_t n = 0;
  for (const bool dernier : {false, true}) {
    for (const BoutonConsole& b : kBoutons) {
      if (*b.famille != '\0' && EnDernier(b) == dernier) familles[n++] = &b;
    }
  }
  return familles;
}();

}  // namespace

std::span<const BoutonConsole> BoutonsConsole() { return kBoutons; }

std::span<const BoutonConsole* const> FamillesRequetes() { return kFamilles; }

const BoutonConsole* BoutonDeFamille(std::string_view famille) {
  if (famille.empty()) return nullptr;
  const auto trouve = std::find_if(kBoutons.begin(), kBoutons.end(),
                                   [&](const BoutonConsole& b) { return famille == b.famille; });
  return trouve == kBoutons.end() ? nullptr : &*trouve;
}

}  // namespace zef30
