#include "console/Gestionnaires.h"

namespace zef30 {

bool ExecuterGestionnaire(Console& console, Gestionnaire gestionnaire, bool pendantUneRequete) {
  int& enCours = console.etat.GestionnairesEnCours;
  if (enCours > 0 && !pendantUneRequete) {
    console.fenetre.AfficherEtat(
        "Console", "clic non pris en compte : une requête ou une écoute occupe déjà la ligne");
    return false;
  }
  struct Compte {
    int& n;
    explicit Compte(int& compteur) : n(compteur) { ++n; }
    ~Compte() { --n; }
    Compte(const Compte&) = delete;
    Compte& operator=(const Compte&) = delete;
  } compte(enCours);
  gestionnaire(console);
  return true;
}

}  // namespace zef30
