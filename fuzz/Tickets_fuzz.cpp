// The receipt builders and the result-code texts on answers of any content and length.
#include <cstdlib>
#include <string_view>

#include "protocol/TablesResultats.h"
#include "receipts/Tickets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view reponse(reinterpret_cast<const char*>(donnees), taille);
  const zef30::FormatMontant virgule{','};
  // Each receipt ends on the merchant's copy lines, whatever the answer holds.
  for (const std::string& ticket : {zef30::ConstruireTicketValidite(reponse, virgule),
                                    zef30::ConstruireTicketEnregistrement(reponse, 29, virgule),
                                    zef30::ConstruireTicketEnregistrementSimple(reponse, virgule),
                                    zef30::ConstruireTicketDossier(reponse, 32, virgule)}) {
    if (!ticket.ends_with("A CONSERVER")) std::abort();
  }
  const std::string texte(reponse.substr(0, 4));
  zef30::TraduireDiagnostic(texte);
  zef30::TraduireEtatDemVal(texte);
  zef30::TraduireEtatDemEnr(texte);
  zef30::FormaterMontant(reponse.substr(0, 12), virgule);
  return 0;
}
