#include "console/Demarrage.h"

#include "base/Texte.h"
#include "link/TablePorts.h"

namespace zef30 {

std::vector<std::string> RecenserPortsCom(PortSerie& port) {
  std::vector<std::string> trouves;
  for (int numero = TablePorts::kPremier; numero <= TablePorts::kDernier; ++numero) {
    if (port.Essayer(numero)) trouves.push_back(std::to_string(numero));
  }
  return trouves;
}

std::vector<std::string> DemarrerConsole(EtatConsole& etat, Liaison& liaison, PortSerie& port) {
  etat.NumeroPortCom = 1;
  liaison.ChoisirPort(etat.NumeroPortCom);
  return RecenserPortsCom(port);
}

void Combo1_Click(EtatConsole& etat, Liaison& liaison, std::string_view entree) {
  const auto numero = LireEntierStrict(entree);
  if (!numero || *numero < TablePorts::kPremier || *numero > TablePorts::kDernier) return;
  etat.NumeroPortCom = *numero;
  liaison.ChoisirPort(etat.NumeroPortCom);
}

}  // namespace zef30
