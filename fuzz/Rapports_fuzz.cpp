// The tele-collection and tele-parameter reports, and the verdict on a tele-collection answer,
// on answers of any content and length: every block walk ends within the answer.
#include <string_view>

#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view reponse(reinterpret_cast<const char*>(donnees), taille);
  const zef30::FormatMontant virgule{','};
  zef30::ConstruireRapportTelecollecte(reponse, virgule);
  zef30::ConstruireRapportTeleParam(reponse);
  zef30::JugerTelecollecte(reponse);
  zef30::TraduireCodeTelecollecte(reponse.substr(0, 4));
  return 0;
}
