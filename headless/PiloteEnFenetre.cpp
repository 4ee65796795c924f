#include "headless/PiloteEnFenetre.h"

#include <utility>

namespace zef30 {

PiloteEnFenetre::PiloteEnFenetre(Console& console, std::unique_ptr<CanalSocket> canal,
                                 const std::string& journal, std::ostream* erreurs)
    : canal_(std::move(canal)),
      journal_(journal, erreurs),
      double_(releve_, console.fenetre),
      // The session, made below, is only called once a request runs.
      servie_(double_, console.liaison.HorlogeLiaison(), session_,
              [this] { session_.TraiterEnAttente(); }),
      evenements_(servie_),
      console_{console.etat, console.liaison, evenements_, console.fichiers},
      session_(
          console_, evenements_, canal_,
          [this](const RequeteScriptee& requete, const BoutonConsole& famille) {
            return ExecuterRequete(console_, releve_, requete, famille);
          },
          &journal_, erreurs) {}

bool PiloteEnFenetre::CanalSuivi::Recevoir(const Lecteur& lire) {
  return socket_->Recevoir([this, &lire](std::string_view ligne, bool tropLongue) {
    if (avantCommande) avantCommande();
    lire(ligne, tropLongue);
  });
}

void PiloteEnFenetre::FenetreServie::CederAuxEvenements() {
  FenetreRelais::CederAuxEvenements();
  traiter_();
}

void PiloteEnFenetre::FenetreServie::AttendreLigneOuEvenement(PortSerie& port,
                                                              Horloge::Instant echeance) {
  const int avant = session_.LignesTraitees();
  traiter_();
  // Handled: what the line brought meanwhile is taken in, without sleeping.
  if (session_.LignesTraitees() != avant) echeance = horloge_.Maintenant();
  FenetreRelais::AttendreLigneOuEvenement(port, echeance);
}

void PiloteEnFenetre::TraiterEnAttente(const std::function<void()>& avantCommande) {
  // A command handled inside a request's wait comes here again, with its own listener.
  auto avant = std::exchange(canal_.avantCommande, avantCommande);
  session_.TraiterEnAttente();
  canal_.avantCommande = std::move(avant);
}

Resultat<std::unique_ptr<PiloteEnFenetre>> PiloteEnFenetre::Ouvrir(Console& console,
                                                                   const std::string& chemin,
                                                                   const std::string& dossier,
                                                                   const DebutMural& debut,
                                                                   std::ostream* erreurs) {
  auto canal = CanalSocket::Ouvrir(chemin, erreurs);
  if (!canal) return std::move(canal).Erreur();
  return std::unique_ptr<PiloteEnFenetre>(new PiloteEnFenetre(
      console, std::move(*canal), CheminJournal(dossier, debut.horodatage), erreurs));
}

}  // namespace zef30
