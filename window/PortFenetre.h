#pragma once

#include "link/PortRelais.h"

namespace zef30 {

class FenPresentation;

// The console's port as the window's link sees it: every operation goes to `port` unchanged,
// except that the link's waits are the window's (FenPresentation::AttendreLigne): it repaints
// and a close ends the console at once, while what the operator clicks or types during the
// request is dropped, never run after it.
class PortFenetre final : public PortRelais {
 public:
  PortFenetre(PortSerie& port, FenPresentation& fenetre) : PortRelais(port), fenetre_(fenetre) {}

  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;

 private:
  FenPresentation& fenetre_;
};

}  // namespace zef30
