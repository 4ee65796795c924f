// The text helpers every decoder and message rests on, and a click in the dossier list.
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Texte.h"
#include "console/ListeDossiers.h"
#include "protocol/Trame.h"
#include "tests/support/FenetreMemoire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  if (taille < 2) return 0;
  const std::string_view texte(reinterpret_cast<const char*>(donnees) + 2, taille - 2);
  const long position = static_cast<signed char>(donnees[0]) * 3;
  const long longueur = static_cast<signed char>(donnees[1]) * 3;
  if (zef30::Extraire(texte, position, longueur).size() > texte.size()) std::abort();
  if (zef30::Caractere(texte, position).size() > 1) std::abort();
  zef30::Cp1252VersUtf8(texte);
  const std::string utf8 = zef30::VersUtf8Valide(texte);
  // Valid UTF-8 comes out as it went in, and a quote never grows with the word: 40 characters,
  // a control character named in at most five ("<ENQ>"), then "…".
  if (zef30::VersUtf8Valide(utf8) != utf8) std::abort();
  if (zef30::Citer(texte).size() > 40 * 5 + 3) std::abort();
  zef30::LireEntierStrict(texte);
  zef30::LireNombre(texte);
  zef30::LireLongueurTrame(texte);

  zef30::essai::FenetreMemoire fenetre;
  zef30::List2_Click(fenetre, std::string(texte));
  return 0;
}
