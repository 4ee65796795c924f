#include "simulator/Perturbations.h"

#include <utility>

#include "protocol/Trame.h"
#include "simulator/Deroulement.h"
#include "simulator/LectureScenario.h"
#include "simulator/Protocole.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

namespace {

constexpr int kMaxRepetitions = 10'000;

bool EstTrame(const std::string& octets) {
  return octets.size() >= 5 && octets.front() == STX && octets[octets.size() - 3] == DLE;
}

// A frame whose fields were changed keeps a check character of its own, so that only the
// chosen fault is wrong.
void RecalculerCheck(std::string& trame) {
  trame.back() = CalculerLrc(std::string_view(trame).substr(0, trame.size() - 1)).front();
}

std::string Fausser(std::string octets, const Perturbations& fautes) {
  if (!EstTrame(octets)) return octets;
  if (fautes.longueur.size() == 3 && octets.size() >= 6) {
    octets.replace(3, 3, fautes.longueur);
    RecalculerCheck(octets);
  }
  if (fautes.checkFaux) octets.back() = static_cast<char>(octets.back() ^ 0x5A);
  return octets;
}

}  // namespace

void Perturbateur::NouvelleRequete() {
  etape_ = 0;
  muet_ = false;
}

void Perturbateur::Appliquer(std::vector<Sortie>& sorties, const Perturbations& fautes) {
  std::vector<Sortie> perturbees;
  for (Sortie& sortie : sorties) {
    ++etape_;
    if (fautes.etape != 0 && fautes.etape != etape_) {
      if (!muet_) perturbees.push_back(std::move(sortie));
      continue;
    }
    if (fautes.silence) muet_ = true;
    if (muet_) continue;
    if (fautes.raccrocher) {
      perturbees.push_back({"", sortie.apres, false, true});
      continue;
    }
    const auto avant = [&](std::string octets) {
      perturbees.push_back({std::move(octets), std::exchange(sortie.apres, 0)});
    };
    if (!fautes.bruit.empty()) avant(fautes.bruit);
    for (int i = 0; i < fautes.affichages; ++i) {
      avant(TrameAffichage("FAUTE", "AFFICHAGE " + std::to_string(i + 1)));
    }
    if (fautes.enq) avant(std::string(1, ENQ));
    std::string octets = fautes.naks > 0 ? std::string(static_cast<std::size_t>(fautes.naks), NAK)
                                         : Fausser(std::move(sortie.octets), fautes);
    const std::size_t taille = fautes.morceaux > 0 ? static_cast<std::size_t>(fautes.morceaux)
                                                   : std::max<std::size_t>(octets.size(), 1);
    for (std::size_t debut = 0; debut < octets.size(); debut += taille) {
      perturbees.push_back({octets.substr(debut, taille), debut == 0 ? sortie.apres : fautes.ecart,
                            sortie.ensemble});
    }
    if (octets.empty()) perturbees.push_back({"", sortie.apres});
    if (!fautes.apres.empty()) perturbees.push_back({fautes.apres});
  }
  sorties = std::move(perturbees);
}

namespace {

Lecteur Entier(int Perturbations::*champ) {
  return [=](Scenario& s, std::string_view valeur) {
    return LireEntier(valeur, 0, kMaxRepetitions, s.fautes.*champ);
  };
}

Lecteur Octets(std::string Perturbations::*champ) {
  return [=](Scenario& s, std::string_view valeur) { return LireOctets(valeur, s.fautes.*champ); };
}

Lecteur OuiNon(bool Perturbations::*champ) {
  return [=](Scenario& s, std::string_view valeur) {
    return LireDeux(valeur, "oui", "non", s.fautes.*champ);
  };
}

}  // namespace

std::vector<CleScenario> ClesPerturbations() {
  return {
      {"faute.etape", "N",
       "étape des fautes : 1 sonde, 2 trame, 3 EOT, 4 réponse... 0 : toutes (0)",
       Entier(&Perturbations::etape)},
      {"faute.bruit", "OCTETS", "octets envoyés juste avant la réponse de l’étape (vide)",
       Octets(&Perturbations::bruit)},
      {"faute.apres", "OCTETS", "octets envoyés juste après la réponse de l’étape (vide)",
       Octets(&Perturbations::apres)},
      {"faute.morceaux", "N", "réponse coupée en morceaux de N octets, 0 : entière (0)",
       Entier(&Perturbations::morceaux)},
      {"faute.ecart", "SECONDES", "pause entre deux morceaux (0)",
       [](Scenario& s, std::string_view v) { return LireSecondes(v, 3600, s.fautes.ecart); }},
      {"faute.longueur", "XXX", "champ de longueur d’une trame remplacé (vide : juste)",
       [](Scenario& s, std::string_view v) -> Resultat<void> {
         std::string octets;
         if (!DecoderOctets(v, octets) || (!octets.empty() && octets.size() != 3)) {
           return Invalide("3 caractères attendus");
         }
         s.fautes.longueur = std::move(octets);
         return {};
       }},
      {"faute.check", "oui|non", "caractère de contrôle d’une trame faux (non)",
       OuiNon(&Perturbations::checkFaux)},
      {"faute.naks", "N", "tempête de N NAK au lieu de la réponse (0)",
       Entier(&Perturbations::naks)},
      {"faute.affichages", "N", "trames d’affichage envoyées avant la réponse (0)",
       Entier(&Perturbations::affichages)},
      {"faute.silence", "oui|non", "silence à partir de l’étape, jusqu’à la sonde suivante (non)",
       OuiNon(&Perturbations::silence)},
      {"faute.raccrocher", "oui|non", "ligne raccrochée au lieu de la réponse (non)",
       OuiNon(&Perturbations::raccrocher)},
      {"faute.enq", "oui|non", "ENQ du terminal juste avant la réponse (non)",
       OuiNon(&Perturbations::enq)},
  };
}

}  // namespace zef30::simulateur
