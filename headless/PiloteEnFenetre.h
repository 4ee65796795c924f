#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Horloge.h"
#include "base/Resultat.h"
#include "console/Console.h"
#include "console/FenetreRelais.h"
#include "headless/ExecutionCampagne.h"
#include "headless/FenetreTexte.h"
#include "headless/JournalCampagne.h"
#include "headless/Pilotage.h"
#include "headless/PlanEnFenetre.h"

namespace zef30 {

// The window's console piloted on a Unix socket: each request runs in the window as its
// button's click (shown there, judged from its record), the state and "Sortie Ecoute" answered
// at once, the records in the campaign journal of the data folder. The window waits on
// Descripteurs() in its event loop and calls TraiterEnAttente() when one is readable, inside a
// request's own waits too (that is how "arret" reaches a listening).
//
// A client that connects and sends its first request at once is accepted and read in one call:
// `avantCommande` is called before each command is handled, when Descripteurs() may have
// changed, so that the window watches the client's descriptor while that request runs. A
// command read together with the request under way (one write of two lines) makes the socket
// readable no more: the request's own waits look for it.
class PiloteEnFenetre {
 public:
  // The socket bound at `chemin` for `console`, whose window is the one shown; its journal in
  // `dossier`, named after `debut`. Or why the socket cannot be had.
  static Resultat<std::unique_ptr<PiloteEnFenetre>> Ouvrir(Console& console,
                                                           const std::string& chemin,
                                                           const std::string& dossier,
                                                           const DebutMural& debut,
                                                           std::ostream* erreurs = nullptr);
  PiloteEnFenetre(const PiloteEnFenetre&) = delete;
  PiloteEnFenetre& operator=(const PiloteEnFenetre&) = delete;

  std::vector<int> Descripteurs() const { return canal_.Descripteurs(); }
  void TraiterEnAttente(const std::function<void()>& avantCommande = {});
  bool Finie() const { return session_.Finie(); }
  int CodeSortie() const { return session_.CodeSortie(false); }

 private:
  PiloteEnFenetre(Console& console, std::unique_ptr<CanalSocket> canal, const std::string& journal,
                  std::ostream* erreurs);

  // The socket, and who hears that a command is about to be handled.
  class CanalSuivi final : public CanalPilote {
   public:
    explicit CanalSuivi(std::unique_ptr<CanalSocket> socket) : socket_(std::move(socket)) {}
    std::vector<int> Descripteurs() const override { return socket_->Descripteurs(); }
    bool Recevoir(const Lecteur& lire) override;
    bool Ecrire(std::string_view ligne) override { return socket_->Ecrire(ligne); }

    std::function<void()> avantCommande;

   private:
    std::unique_ptr<CanalSocket> socket_;
  };

  // The window's waits and yields, with the commands already read handled first: a command
  // that was waiting is a wait's event ("arret"), after which the wait is over.
  class FenetreServie final : public FenetreRelais {
   public:
    FenetreServie(Fenetre& fenetre, const Horloge& horloge, const SessionPilote& session,
                  std::function<void()> traiter)
        : FenetreRelais(fenetre),
          horloge_(horloge),
          session_(session),
          traiter_(std::move(traiter)) {}
    void CederAuxEvenements() override;
    void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override;

   private:
    const Horloge& horloge_;
    const SessionPilote& session_;
    std::function<void()> traiter_;
  };

  CanalSuivi canal_;
  JournalCampagne journal_;
  // What the requests show, kept for their records; the inputs they are given.
  FenetreTexte releve_;
  FenetreDouble double_;
  FenetreServie servie_;
  FenetreEvenements evenements_;
  Console console_;
  SessionPilote session_;
};

}  // namespace zef30
