#include "window/PortFenetre.h"

#include "window/FenPresentation.h"

namespace zef30 {

void PortFenetre::AttendreAuMoins(int nombre, Horloge::Instant echeance) {
  fenetre_.AttendreLigne(Relaye(), nombre, echeance);
}

}  // namespace zef30
