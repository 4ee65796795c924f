#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>

#include "headless/ExecutionCampagne.h"
#include "headless/PiloteEnFenetre.h"
#include "window/PilotageServi.h"

namespace zef30 {

// --pilote-socket CHEMIN in the window program: the piloted session of the headless layer,
// served by the window on its console, its journal in `dossier` named after `debut`. Header
// only: the window program alone uses it (zef30-console links no window).
inline OuvreurPilotage OuvrirPilotageEnFenetre(std::string chemin, std::string dossier,
                                               DebutMural debut, std::ostream* erreurs) {
  return [=](Console& console) -> Resultat<PilotageServi> {
    auto ouvert = PiloteEnFenetre::Ouvrir(console, chemin, dossier, debut, erreurs);
    if (!ouvert) return std::move(ouvert).Erreur();
    const std::shared_ptr<PiloteEnFenetre> pilote = std::move(*ouvert);
    return PilotageServi{
        [pilote] { return pilote->Descripteurs(); },
        [pilote](const std::function<void()>& avant) { pilote->TraiterEnAttente(avant); },
        [pilote] { return pilote->Finie(); }, [pilote] { return pilote->CodeSortie(); }};
  };
}

}  // namespace zef30
