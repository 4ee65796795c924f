#include "console/Poste.h"

#include <utility>

namespace zef30 {

Poste::Poste(PortSerie& port, const Horloge& horloge, Fenetre& fenetre,
             std::string dossierProgramme)
    : liaison(port, horloge),
      fichiers(std::move(dossierProgramme), fenetre),
      console{etat, liaison, fenetre, fichiers} {
  ChoisirPort(etat.NumeroPortCom);
}

Poste::Poste(PortSerie& port, const Horloge& horloge, Fenetre& fenetre,
             std::string dossierProgramme, const HorlogeMurale& murale, std::locale locale)
    : liaison(port, horloge),
      fichiers(std::move(dossierProgramme), fenetre, murale, std::move(locale)),
      console{etat, liaison, fenetre, fichiers} {
  ChoisirPort(etat.NumeroPortCom);
}

void Poste::ChoisirPort(int numero) {
  etat.NumeroPortCom = numero;
  liaison.ChoisirPort(numero);
}

}  // namespace zef30
