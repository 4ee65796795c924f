// A piloted run's command lines and the campaign journal's records, whatever they hold: both
// rest on the same JSON reader. A line reads as a command or as a reason, never a crash; the id
// given back is always one JSON value an answer can carry; and any text written as a JSON
// string reads back as itself.
#include <cstdlib>
#include <string_view>

#include "base/Json.h"
#include "base/Texte.h"
#include "headless/CommandesPilote.h"
#include "headless/ExecutionRequete.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  const std::string_view texte(reinterpret_cast<const char*>(donnees), taille);
  using Genre = zef30::ValeurJson::Genre;

  const zef30::LectureCommande lecture = zef30::LireCommandePilote(texte);
  const auto id = zef30::LireJson(lecture.id);
  if (!id || !(id->Est(Genre::Nombre) || id->Est(Genre::Chaine) || id->Est(Genre::Nul))) {
    std::abort();
  }
  if (lecture.commande) {
    if (lecture.commande->id != lecture.id) std::abort();
  } else if (lecture.commande.Erreur().texte.empty()) {
    std::abort();
  }

  (void)zef30::LireExecutionJson(texte);

  const auto relu = zef30::LireJson(zef30::EnChaineJson(texte));
  if (!relu || !relu->Est(Genre::Chaine) || relu->texte != zef30::VersUtf8Valide(texte)) {
    std::abort();
  }
  return 0;
}
