#include "protocol/DispositionsMessages.h"
#include "simulator/Familles.h"

namespace zef30::simulateur {

// 3 characters the console does not read, the serial number, the count of applications and
// always four records of 19 characters: name, version, checksum, state, file state.
Deroulement RepondreConsultation(std::string_view, const Scenario& scenario) {
  constexpr auto R = Message::ReponseConsultation;
  std::string donnees = AjusterChamp(scenario.enteteConsultation, 3);
  EcrireChamp<R>(donnees, "numéro de série", scenario.numeroSerie);
  EcrireChamp<R>(donnees, "nombre d’applications", scenario.nombreApplications);
  int k = 0;
  for (const Application& application : scenario.applications) {
    EcrireChampGroupe<R>(donnees, {"application", "nom"}, k, application.nom);
    EcrireChampGroupe<R>(donnees, {"application", "version"}, k, application.version);
    EcrireChampGroupe<R>(donnees, {"application", "checksum"}, k, application.checksum);
    EcrireChampGroupe<R>(donnees, {"application", "état"}, k, application.etat);
    EcrireChampGroupe<R>(donnees, {"application", "fichier"}, k, application.etatFichier);
    ++k;
  }
  return BlocsReponse(MessageReponse("AJ", donnees));
}

}  // namespace zef30::simulateur
