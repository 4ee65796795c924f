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

std::vector<std::string> DemarrerConsole(EtatConsole& etat, PortSerie& port) {
  etat.NumeroPortCom = 1;
  return RecenserPortsCom(port);
}

void Combo1_Click(EtatConsole& etat, std::string_view entree) {
  const auto numero = LireEntierStrict(entree);
  if (!numero || *numero < TablePorts::kPremier || *numero > TablePorts::kDernier) return;
  etat.NumeroPortCom = *numero;
}

}  // namespace zef30
