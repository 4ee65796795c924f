#include "simulator/Familles.h"

#include <utility>

#include "protocol/Trame.h"
#include "simulator/FamillePaiement.h"
#include "simulator/FamilleSoins.h"
#include "simulator/TraficEcoute.h"

namespace zef30::simulateur {

void TableFamilles::Ajouter(std::string debut, Famille famille) {
  familles_[std::move(debut)] = std::move(famille);
}

const Famille* TableFamilles::Trouver(std::string_view requete) const {
  const Famille* trouvee = nullptr;
  std::size_t meilleure = 0;
  for (const auto& [debut, famille] : familles_) {
    if (requete.starts_with(debut) && (trouvee == nullptr || debut.size() > meilleure)) {
      trouvee = &famille;
      meilleure = debut.size();
    }
  }
  return trouvee;
}

TableFamilles FamillesConnues() {
  TableFamilles table;
  table.Ajouter("AA000", RepondreSwitch);
  table.Ajouter("AJ00202", RepondreConsultation);
  table.Ajouter("AJ00204", RepondreTelecollecte);
  table.Ajouter("AJ00203", RepondreRapportTelecollecte);
  table.Ajouter("AJ00205", RepondreEtatTeleParam);
  table.Ajouter("AG000", RepondrePisteIso2);
  table.Ajouter("AS", RepondreHeure);
  table.Ajouter("AJ00701", RepondreVitesse);
  AjouterFamillesPaiement(table);
  table.Ajouter("AU000", RepondreRedemarrage);
  return table;
}

namespace {

// The answer the scenario chose for this request, if it chose one: the longest beginning wins.
const ReponseChoisie* ReponseDuScenario(std::string_view requete, const Scenario& scenario) {
  const ReponseChoisie* choisie = nullptr;
  std::size_t meilleure = 0;
  for (const auto& [debut, reponse] : scenario.reponses) {
    if (requete.starts_with(debut) && (choisie == nullptr || debut.size() > meilleure)) {
      choisie = &reponse;
      meilleure = debut.size();
    }
  }
  return choisie;
}

Deroulement Reponse(std::string_view requete, const Scenario& scenario,
                    const TableFamilles& familles) {
  if (scenario.silenceAuLieuDeReponse) return {Envoi{}};
  if (const ReponseChoisie* choisie = ReponseDuScenario(requete, scenario)) {
    if (choisie->silence) return {Envoi{}};
    if (choisie->brut) return {Envoi{choisie->message}};
    if (choisie->finEtb) return {Envoi{TrameFinEtb(choisie->message)}};
    return BlocsReponse(choisie->message);
  }
  if (const Famille* famille = familles.Trouver(requete)) return (*famille)(requete, scenario);
  // A request nobody knows is still served, with an answer that carries nothing.
  return BlocsReponse(
      MessageReponse(requete.substr(0, std::min<std::size_t>(2, requete.size())), ""));
}

}  // namespace

Deroulement PreparerDeroulement(std::string_view requete, const Scenario& scenario,
                                const TableFamilles& familles) {
  Envoi reponseEot{"", scenario.delaiEnq, false};
  switch (scenario.reponseEot) {
    case ReponseEot::Enq:
      reponseEot.octets = std::string(1, ENQ);
      break;
    case ReponseEot::Autre:
      reponseEot.octets = scenario.autre;
      return {reponseEot};
    case ReponseEot::Silence:
      return {reponseEot};
  }
  Deroulement deroulement{reponseEot};
  for (Envoi& envoi : EntourerReponse(requete, scenario, Reponse(requete, scenario, familles))) {
    deroulement.push_back(std::move(envoi));
  }
  deroulement.push_back(Envoi{scenario.caractereFinal});
  return deroulement;
}

}  // namespace zef30::simulateur
