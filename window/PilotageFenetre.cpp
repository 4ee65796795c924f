#include "window/PilotageFenetre.h"

#include <QSocketNotifier>
#include <algorithm>
#include <exception>
#include <utility>

#include "base/ErreursSysteme.h"
#include "window/FenPresentation.h"

namespace zef30 {

PilotageFenetre::PilotageFenetre(FenPresentation& fenetre, PilotageServi pilotage,
                                 std::function<void(int)> terminer)
    : fenetre_(fenetre), pilotage_(std::move(pilotage)), terminer_(std::move(terminer)) {
  Suivre();
}

PilotageFenetre::~PilotageFenetre() {
  for (auto& [descripteur, notification] : notifications_) notification->setEnabled(false);
}

void PilotageFenetre::Traiter() {
  if (terminee_) return;
  // A command handled inside a request's wait (a stop, the state) comes here again: the
  // session takes it, and the request under way goes on when it returns.
  ++profondeur_;
  try {
    pilotage_.traiter([this] { Suivre(); });
  } catch (const std::exception& erreur) {
    // A request that fails must not take the console down with it, as a click's.
    fenetre_.BoiteMessage("Test ZEF30", DecrireException(erreur));
  }
  --profondeur_;
  Suivre();
  if (profondeur_ == 0 && pilotage_.finie()) {
    terminee_ = true;
    for (auto& [descripteur, notification] : notifications_) notification->setEnabled(false);
    if (terminer_) terminer_(pilotage_.codeSortie());
  }
}

void PilotageFenetre::Suivre() {
  if (terminee_) return;
  const std::vector<int> descripteurs = pilotage_.descripteurs();
  for (auto entree = notifications_.begin(); entree != notifications_.end();) {
    // A notifier the window disabled watched a descriptor closed under it, whose number a new
    // client may have now: made again.
    if (!entree->second->isEnabled() ||
        std::find(descripteurs.begin(), descripteurs.end(), entree->first) == descripteurs.end()) {
      // Its descriptor is closed, or about to be: polled no more, and deleted once no handler
      // of its own is on the stack.
      entree->second->setEnabled(false);
      entree->second->deleteLater();
      entree = notifications_.erase(entree);
    } else {
      ++entree;
    }
  }
  for (const int descripteur : descripteurs) {
    if (descripteur < 0 || notifications_.count(descripteur) > 0) continue;
    auto* notification =
        new QSocketNotifier(static_cast<qintptr>(descripteur), QSocketNotifier::Read, this);
    connect(notification, &QSocketNotifier::activated, this, [this] { Traiter(); });
    notifications_.emplace(descripteur, notification);
  }
}

}  // namespace zef30
