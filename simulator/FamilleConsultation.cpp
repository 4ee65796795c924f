#include "simulator/Familles.h"

namespace zef30::simulateur {

// 3 characters the console does not read, the serial number, the count of applications and
// always four records of 19 characters: name, version, checksum, state, file state.
Deroulement RepondreConsultation(std::string_view, const Scenario& scenario) {
  std::string donnees = AjusterChamp(scenario.enteteConsultation, 3) +
                        AjusterChamp(scenario.numeroSerie, 12) +
                        AjusterChamp(scenario.nombreApplications, 2);
  for (const Application& application : scenario.applications) {
    donnees += AjusterChamp(application.nom, 6) + AjusterChamp(application.version, 7) +
               AjusterChamp(application.checksum, 4) + AjusterChamp(application.etat, 1) +
               AjusterChamp(application.etatFichier, 1);
  }
  return BlocsReponse(MessageReponse("AJ", donnees));
}

}  // namespace zef30::simulateur
