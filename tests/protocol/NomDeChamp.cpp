// Compiled by the tests alone, never linked: with ZEF30_NOM_FAUX a misspelt field name must stop
// the build.
#include <string>

#include "protocol/DispositionsMessages.h"

std::string Lire(std::string_view reponse) {
#ifdef ZEF30_NOM_FAUX
  return zef30::LireChamp<zef30::Message::ReponseSwitch>("carte presente", reponse);
#else
  return zef30::LireChamp<zef30::Message::ReponseSwitch>("carte présente", reponse);
#endif
}
