#include "headless/Pilotage.h"

namespace zef30 {

// A first version that compiles: the session is being written.

const char* NomEvenement(EvenementFenetre::Genre genre) {
  switch (genre) {
    case EvenementFenetre::Genre::Affichage:
      return "affichage";
    case EvenementFenetre::Genre::Ecoute:
      return "ecoute";
    case EvenementFenetre::Genre::Etat:
      return "etat";
  }
  return "affichage";
}

void FenetreEvenements::Ecouter(std::function<void(const EvenementFenetre&)> ecouteur) {
  ecouteur_ = std::move(ecouteur);
}
void FenetreEvenements::RemettreAZero() {}
void FenetreEvenements::AfficherEtat(const std::string& contexte, const std::string& message) {
  FenetreRelais::AfficherEtat(contexte, message);
}
void FenetreEvenements::DefinirLegende(Panneau panneau, const std::string& texte) {
  FenetreRelais::DefinirLegende(panneau, texte);
}
void FenetreEvenements::DefinirVisible(Panneau panneau, bool visible) {
  FenetreRelais::DefinirVisible(panneau, visible);
}
void FenetreEvenements::CederAuxEvenements() { FenetreRelais::CederAuxEvenements(); }
void FenetreEvenements::AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) {
  FenetreRelais::AttendreLigneOuEvenement(port, echeance);
}
void FenetreEvenements::Dire(EvenementFenetre::Genre, const std::string&) {}

CanalDescripteurs::CanalDescripteurs(int entree, int sortie, std::ostream* erreurs)
    : entree_(entree), sortie_(sortie), erreurs_(erreurs) {}
std::vector<int> CanalDescripteurs::Descripteurs() const { return {entree_}; }
bool CanalDescripteurs::Recevoir(const Lecteur&) { return false; }
bool CanalDescripteurs::Ecrire(std::string_view) { return false; }

Resultat<std::unique_ptr<CanalSocket>> CanalSocket::Ouvrir(const std::string&, std::ostream*) {
  return Invalide("pas encore");
}
CanalSocket::CanalSocket(std::string chemin, int ecoute, std::ostream* erreurs)
    : chemin_(std::move(chemin)), ecoute_(ecoute), erreurs_(erreurs) {}
CanalSocket::~CanalSocket() = default;
std::vector<int> CanalSocket::Descripteurs() const { return {}; }
bool CanalSocket::Recevoir(const Lecteur&) { return false; }
bool CanalSocket::Ecrire(std::string_view) { return false; }

SessionPilote::SessionPilote(Console& console, FenetreEvenements& fenetre, CanalPilote& canal,
                             ExecuteurPilote executer, JournalCampagne* journal,
                             std::ostream* erreurs)
    : console_(console),
      fenetre_(fenetre),
      canal_(canal),
      executer_(std::move(executer)),
      journal_(journal),
      erreurs_(erreurs) {}
void SessionPilote::TraiterEnAttente() {}
void SessionPilote::TraiterLigne(std::string_view) {}
void SessionPilote::Executer(const std::function<bool()>&) {}
int SessionPilote::CodeSortie(bool) const { return 0; }

class PiloteSansFenetre::FenetreAttentive : public FenetreRelais {
 public:
  using FenetreRelais::FenetreRelais;
};

PiloteSansFenetre::PiloteSansFenetre(Console& console, FenetreTexte& fenetre, CanalPilote& canal,
                                     JournalCampagne* journal, std::ostream* erreurs)
    : attentive_(std::make_unique<FenetreAttentive>(fenetre)),
      evenements_(*attentive_),
      console_{console.etat, console.liaison, evenements_, console.fichiers},
      session_(std::make_unique<SessionPilote>(
          console_, evenements_, canal,
          [this, &fenetre](const RequeteScriptee& r, const BoutonConsole& f) {
            return ExecuterRequete(console_, fenetre, r, f);
          },
          journal, erreurs)) {}
PiloteSansFenetre::~PiloteSansFenetre() = default;

int ExecuterPilote(const CommandeSansFenetre&, Console&, FenetreTexte&, const std::string&,
                   const DebutMural&, std::ostream&) {
  return 0;
}

}  // namespace zef30
