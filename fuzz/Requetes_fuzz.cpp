// Every request's click handler against a terminal that sends anything: the answer is decoded
// by positions without a crash, the busy pointer comes back, and some result line is shown.
#include <cstdlib>
#include <functional>

#include "fuzz/EntreesFuzz.h"
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

namespace {

// One row a request family; the first byte of the input chooses it (bit 7: "Ecran Hote" ticked,
// bit 6: "Mode Vente" chosen). The payments decode the validity, registration, dossier-list and
// dossier answers; with "Ecran Hote" ticked, the listeners handle the line character by
// character. The rows before the payments keep the seeds of the corpus in place.
const std::function<void(zef30::Console&)> kRequetes[] = {
    zef30::cmdDemSwi_Click,  zef30::cmdDemConsult_Click, zef30::cmdDemTC_Click,
    zef30::cmdDemTic_Click,  zef30::Command4_Click,      zef30::Command5_Click,
    zef30::Command6_Click,   zef30::cmdDemVitesse_Click, zef30::Command2_Click,
    zef30::cmdDemVal_Click,  zef30::cmdDemEnr_Click,     zef30::Command3_Click,
    zef30::cmdDemConf_Click, zef30::cmdDemAbdn_Click,    zef30::cmdLitPuceSync_Click,
};
// The longest a request may take on the virtual clock: the link's time-outs, the longest wait
// for the terminal's ENQ (tele-collection, 900 s) and the longest listening (900 s).
constexpr double kLimite = 10 + 3 * 10 + 10 + 900 + 2 * 10 + 10 + 900;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  if (taille < 1) return 0;
  zef30::fuzz::ConsoleFuzz c(
      std::string_view(reinterpret_cast<const char*>(donnees) + 1, taille - 1));
  c.fenetre.EcrireTexte(zef30::ZoneTexte::Text2, "42");
  c.fenetre.ecranHote = (donnees[0] & 0x80) != 0;
  c.fenetre.modeVente = (donnees[0] & 0x40) != 0;
  const auto& requete = kRequetes[(donnees[0] & 0x3F) % std::size(kRequetes)];
  const bool maintenance = &requete == &kRequetes[14];
  // Maintenance listening runs until "Sortie Ecoute": the operator clicks it after 600 s. Only
  // then: the click stays in force, and every later wait would poll in short pauses.
  if (maintenance) {
    c.fenetre.surCession = [&c] {
      if (c.horloge.Ecoule() > 600) c.etat.ArretEcoute = true;
    };
  }
  requete(c.console);
  if (c.horloge.Ecoule() > kLimite) std::abort();
  // The restart and maintenance listening show their traffic without a result line.
  const bool sansLigne = &requete == &kRequetes[6] || maintenance;
  if (c.fenetre.lignes.empty() && !sansLigne) std::abort();
  if (!c.fenetre.pointeurs.empty() && c.fenetre.pointeurs.back()) std::abort();
  return 0;
}
