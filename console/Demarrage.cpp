#include "console/Demarrage.h"

#include "base/Texte.h"
#include "link/TablePorts.h"

namespace zef30 {

std::optional<int> NumeroEntree(std::string_view entree) {
  return LireEntierStrict(entree.substr(0, entree.find(' ')));
}

std::vector<std::string> RecenserPortsCom(PortSerie& port) {
  std::vector<std::string> trouves;
  for (int numero = TablePorts::kPremier; numero <= TablePorts::kDernier; ++numero) {
    if (!port.Essayer(numero)) continue;
    const std::string ligne = port.DecrireLigne(numero);
    trouves.push_back(std::to_string(numero) + (ligne.empty() ? "" : " — " + ligne));
  }
  return trouves;
}

std::vector<std::string> DemarrerConsole(EtatConsole& etat, Liaison& liaison, PortSerie& port) {
  etat.NumeroPortCom = 1;
  liaison.ChoisirPort(etat.NumeroPortCom);
  return RecenserPortsCom(port);
}

void Combo1_Click(EtatConsole& etat, Liaison& liaison, std::string_view entree) {
  // The entry's number, before the line it names.
  const auto numero = NumeroEntree(entree);
  if (!numero || *numero < TablePorts::kPremier || *numero > TablePorts::kDernier) return;
  etat.NumeroPortCom = *numero;
  liaison.ChoisirPort(etat.NumeroPortCom);
}

}  // namespace zef30
