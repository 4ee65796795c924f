#include "simulator/TraficEcoute.h"

#include "protocol/Trame.h"
#include "simulator/CleScenario.h"
#include "simulator/LectureScenario.h"

namespace zef30::simulateur {

namespace {

// The value of the longest key that begins `requete`, or nullptr.
const std::vector<std::string>* Trafic(const std::map<std::string, std::vector<std::string>>& table,
                                       std::string_view requete) {
  const std::vector<std::string>* trouve = nullptr;
  std::size_t meilleure = 0;
  for (const auto& [debut, trames] : table) {
    if (requete.starts_with(debut) && (trouve == nullptr || debut.size() >= meilleure)) {
      trouve = &trames;
      meilleure = debut.size();
    }
  }
  return trouve;
}

void AjouterTrames(Deroulement& deroulement, const std::vector<std::string>* trames) {
  if (trames == nullptr) return;
  for (const std::string& trame : *trames) deroulement.push_back(Envoi{trame});
}

}  // namespace

std::string TrameFinEtb(std::string_view message) {
  std::string trame = EncadrerMessage(message);
  trame[trame.size() - 2] = ETB;
  trame.back() = CalculerLrc(std::string_view(trame).substr(0, trame.size() - 1)).front();
  return trame;
}

Deroulement EntourerReponse(std::string_view requete, const Scenario& scenario,
                            Deroulement reponse) {
  Deroulement deroulement;
  AjouterTrames(deroulement, Trafic(scenario.avantReponse, requete));
  for (Envoi& envoi : reponse) deroulement.push_back(std::move(envoi));
  AjouterTrames(deroulement, Trafic(scenario.apresReponse, requete));
  return deroulement;
}

Deroulement RepondreRedemarrage(std::string_view, const Scenario&) {
  Deroulement deroulement{Envoi{TrameAffichage("REDEMARRAGE", "EN COURS")},
                          Envoi{TrameAffichage("ZEF30S", "PRET")}};
  for (int i = 0; i < 5; ++i) deroulement.push_back(Envoi{std::string(1, EOT), 0.01, i == 0});
  return deroulement;
}

Deroulement TraficSpontane(const std::vector<std::string>& trames) {
  Deroulement deroulement{Envoi{std::string(1, ENQ), 0, false}};
  for (const std::string& trame : trames) deroulement.push_back(Envoi{trame});
  return deroulement;
}

Deroulement FluxAffichages(int nombre) {
  Deroulement deroulement;
  for (int i = 0; i < nombre; ++i) {
    deroulement.push_back(
        Envoi{TrameAffichage("AFFICHAGE", "NUMERO " + std::to_string(i + 1)), 0, false});
  }
  return deroulement;
}

bool LireTrameScenario(std::string_view valeur, std::string& trame) {
  const auto deuxPoints = valeur.find(':');
  if (deuxPoints == std::string_view::npos) return false;
  const std::string_view forme = valeur.substr(0, deuxPoints);
  std::string contenu;
  if (!DecoderOctets(valeur.substr(deuxPoints + 1), contenu)) return false;
  if (forme == "affichage") {
    const auto barre = contenu.find('|');
    trame = TrameAffichage(contenu.substr(0, barre),
                           barre == std::string::npos ? "" : contenu.substr(barre + 1));
  } else if (forme == "trame") {
    trame = EncadrerMessage(contenu);
  } else if (forme == "bloc") {
    trame = TrameFinEtb(contenu);
  } else if (forme == "octets") {
    trame = std::move(contenu);
  } else {
    return false;
  }
  return true;
}

// The shortest period of the terminal's own traffic, in seconds.
constexpr double kPeriodeSpontaneMin = 0.1;

ResultatSiConcerne AppliquerCleEcoute(Scenario& scenario, std::string_view cle,
                                      std::string_view valeur) {
  const auto debut = cle.substr(cle.find('.') + 1);
  const bool avant = cle.starts_with("avant.");
  if (avant || cle.starts_with("apres.") || cle == "spontane") {
    std::string trame;
    if (!LireTrameScenario(valeur, trame)) {
      return Invalide("affichage:L1|L2, trame:MESSAGE, bloc:MESSAGE ou octets:OCTETS attendu");
    }
    if (cle == "spontane") {
      scenario.spontane.push_back(std::move(trame));
    } else {
      (avant ? scenario.avantReponse : scenario.apresReponse)[std::string(debut)].push_back(
          std::move(trame));
    }
    return Resultat<void>();
  }
  if (cle.starts_with("etb.")) {
    auto& reponse = scenario.reponses[std::string(debut)];
    if (!DecoderOctets(valeur, reponse.message)) return Invalide("\\xHH ou \\\\ attendu");
    reponse.finEtb = true;
    return Resultat<void>();
  }
  if (cle == "spontane-periode") {
    // A period shorter than the traffic it repeats would keep the terminal busy for nothing.
    double periode = 0;
    if (auto lu = LireSecondes(valeur, 3600, periode); !lu) return lu;
    if (periode > 0 && periode < kPeriodeSpontaneMin) {
      return Invalide("0 (non) ou un nombre de secondes de 0.1 à 3600 attendu");
    }
    scenario.periodeSpontane = periode;
    return Resultat<void>();
  }
  return std::nullopt;
}

std::string AideScenarioEcoute() {
  return "  avant.DEBUT=TRAME                 une trame de plus avant la réponse (affichages,\n"
         "                                    rapport de télécollecte), chacune sur un ACK\n"
         "  apres.DEBUT=TRAME                 une trame de plus après la réponse\n"
         "  etb.DEBUT=MESSAGE                 réponse en un bloc fini par DLE ETB\n"
         "  spontane=TRAME                    trafic propre (mode maintenance) : ENQ puis ces\n"
         "                                    trames, chacune sur un ACK\n"
         "  spontane-periode=SECONDES         le rejouer à cet intervalle, ligne libre (0 : non ;\n"
         "                                    0.1 au moins)\n"
         "  TRAME : affichage:L1|L2, trame:MESSAGE, bloc:MESSAGE (fin ETB) ou octets:OCTETS.\n";
}

}  // namespace zef30::simulateur
