#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "window/PilotageServi.h"

class QSocketNotifier;

namespace zef30 {

class FenPresentation;

// The piloting followed in the window's event loop: a notifier on each descriptor, read when it
// can be, also while a request waits on the line (its waits run the event loop: a stop or a
// question about the state gets through during a listening). A request runs as its click: while
// it runs, the person's clicks on other buttons are refused as during their own requests, and
// "Sortie Ecoute" reaches its listening. Once the run has ended, `terminer` hears its exit code.
class PilotageFenetre final : public QObject {
 public:
  PilotageFenetre(FenPresentation& fenetre, PilotageServi pilotage,
                  std::function<void(int)> terminer);
  ~PilotageFenetre() override;
  PilotageFenetre(const PilotageFenetre&) = delete;
  PilotageFenetre& operator=(const PilotageFenetre&) = delete;

 private:
  void Traiter();
  // One notifier a descriptor the piloting lists now; those it no longer lists are let go.
  void Suivre();

  FenPresentation& fenetre_;
  PilotageServi pilotage_;
  std::function<void(int)> terminer_;
  std::map<int, QSocketNotifier*> notifications_;
  int profondeur_ = 0;
  bool terminee_ = false;
};

}  // namespace zef30
