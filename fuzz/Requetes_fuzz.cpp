// Every request's click handler against a terminal that sends anything: the answer is decoded
// by positions without a crash, the busy pointer comes back, and some result line is shown.
#include <cstdlib>
#include <functional>

#include "fuzz/EntreesFuzz.h"
#include "requests/Consultation.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Switch.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"

namespace {

// One row a request family; the first byte of the input chooses it (bit 7: "Ecran Hote" ticked).
const std::function<void(zef30::Console&)> kRequetes[] = {
    zef30::cmdDemSwi_Click, zef30::cmdDemConsult_Click, zef30::cmdDemTC_Click,
    zef30::cmdDemTic_Click, zef30::Command4_Click,      zef30::Command5_Click,
    zef30::Command6_Click,  zef30::cmdDemVitesse_Click, zef30::Command2_Click,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  if (taille < 1) return 0;
  zef30::fuzz::ConsoleFuzz c(
      std::string_view(reinterpret_cast<const char*>(donnees) + 1, taille - 1));
  c.fenetre.EcrireTexte(zef30::ZoneTexte::Text2, "42");
  c.fenetre.ecranHote = (donnees[0] & 0x80) != 0;
  kRequetes[(donnees[0] & 0x7F) % std::size(kRequetes)](c.console);
  if (c.fenetre.lignes.empty()) std::abort();
  if (!c.fenetre.pointeurs.empty() && c.fenetre.pointeurs.back()) std::abort();
  return 0;
}
