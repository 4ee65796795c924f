#include "console/Gestionnaires.h"

namespace zef30 {

namespace {

constexpr const char* kContexteRefus = "Console";
constexpr const char* kRefus =
    "clic non pris en compte : une requête ou une écoute occupe déjà la ligne";

// Counts a handler as running for as long as it runs. When the last one ends, a refusal still on
// the status line gives way to what the request had shown there before it.
class GestionnaireEnCours {
 public:
  explicit GestionnaireEnCours(Console& console) : console_(console) {
    ++console_.etat.GestionnairesEnCours;
  }
  ~GestionnaireEnCours() {
    if (--console_.etat.GestionnairesEnCours > 0) return;
    auto& avant = console_.etat.EtatAvantRefus;
    if (avant && console_.fenetre.LireEtat() == TexteEtat(kContexteRefus, kRefus)) {
      console_.fenetre.AfficherEtat("", *avant);
    }
    avant.reset();
  }
  GestionnaireEnCours(const GestionnaireEnCours&) = delete;
  GestionnaireEnCours& operator=(const GestionnaireEnCours&) = delete;

 private:
  Console& console_;
};

}  // namespace

void SignalerSaisieRefusee(Console& console) {
  if (!console.etat.EtatAvantRefus) console.etat.EtatAvantRefus = console.fenetre.LireEtat();
  console.fenetre.AfficherEtat(kContexteRefus, kRefus);
}

std::optional<IssueRequete> ExecuterGestionnaire(Console& console, Gestionnaire gestionnaire,
                                                 bool pendantUneRequete) {
  if (console.etat.GestionnairesEnCours > 0 && !pendantUneRequete) {
    SignalerSaisieRefusee(console);
    return std::nullopt;
  }
  const GestionnaireEnCours enCours(console);
  IssueRequete issue = gestionnaire(console);
  // Only the handler the window started: one that a listener let through ends inside it.
  if (console.etat.GestionnairesEnCours == 1) console.fenetre.RefuserSaisiesEnAttente();
  return issue;
}

}  // namespace zef30
