// A campaign on the simulated terminal's virtual line: its turns, its duration and the operator's
// stop end it where they say, and every record it tells can be read back.
#include "headless/Campagne.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console/Poste.h"
#include "headless/ExecutionRequete.h"
#include "headless/ResumeCampagne.h"
#include "link/Liaison.h"
#include "simulator/LigneVirtuelle.h"
#include "tests/support/DossierTemporaire.h"

namespace zef30 {
namespace {

TEST(Campagne, EndsAfterItsTurnsItsDurationOrTheStop) {
  struct Cas {
    int repetitions;
    std::optional<double> duree;
    int arretApres;  // records before the stop is asked; 0: never
    int executions;  // -1: as many as the duration holds
    bool interrompue;
  };
  const Cas cas[] = {
      {3, std::nullopt, 0, 6, false}, {0, 2.0, 0, -1, false},
      {5, 1e-6, 0, 1, false},  // the duration passes during the first request
      {0, std::nullopt, 5, 5, true},  {2, 3600.0, 0, 4, false},  // the turns end it first
  };
  for (const Cas& k : cas) {
    essai::DossierTemporaire dossier;
    simulateur::LigneVirtuelle ligne;
    FenetreTexte fenetre;
    Poste poste(ligne, ligne.HorlogeLigne(), fenetre, dossier.Chemin());
    Console& console = poste.console;
    const auto requetes = LireScript("switch,consultation");
    ASSERT_TRUE(requetes) << TexteEchec(requetes);
    ReglagesCampagne reglages;
    reglages.repetitions = k.repetitions;
    if (k.duree) reglages.duree = Horloge::Secondes(*k.duree);
    reglages.ligne = 3;
    int faites = 0;
    std::ostringstream sortie;
    const auto campagne = ExecuterCampagne(
        console, fenetre, *requetes, reglages, sortie,
        [&] { return k.arretApres != 0 && faites >= k.arretApres; },
        [&](const ExecutionRequete&) { ++faites; });

    const auto& runs = campagne.executions;
    EXPECT_EQ(campagne.interrompue, k.interrompue);
    ASSERT_FALSE(runs.empty());
    if (k.executions >= 0) {
      EXPECT_EQ(runs.size(), static_cast<std::size_t>(k.executions));
    } else {
      // None starts after the duration, and it ended only once the duration had passed.
      const auto fin = runs.front().debut + std::chrono::seconds(2);
      EXPECT_LT(runs.back().debut, fin);
      EXPECT_GE(runs.back().fin, fin);
      EXPECT_GT(runs.size(), 2u);
    }
    std::istringstream lignes(sortie.str());
    std::string texte;
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const ExecutionRequete& e = runs[i];
      EXPECT_EQ(e.rang, static_cast<int>(i + 1));
      EXPECT_EQ(e.famille, i % 2 == 0 ? "switch" : "consultation");
      EXPECT_TRUE(e.reussie) << e.raison;
      std::getline(lignes, texte);
      EXPECT_EQ(texte, LigneRequete(e, std::locale::classic()));
      // What a line's process sends is what its parent reads.
      const auto relue = LireExecutionJson(EnJson(e, nullptr));
      ASSERT_TRUE(relue);
      EXPECT_EQ(EnJson(*relue, nullptr), EnJson(e, nullptr));
    }
  }
}

// A plan's operator steps: the person is told each text and the plan goes on when they say so,
// or ends there as a stop does; without anyone (--sans-operateur) the steps marked for them are
// recorded as skipped, nothing sent, and the plan that needs someone is refused when nobody can
// answer.
TEST(Campagne, OperatorStepsWaitForThePersonOrAreSkippedWithoutOne) {
  const std::string plan =
      "switch\n# opérateur : carte 2\nopérateur \"Insérez la carte 2\"\nconsultation\n"
      "# fin\nheure\n";
  const struct {
    bool sansOperateur;
    int reponses;        // how many times the person says to go on; then they stop
    std::string dits;    // the texts told to the person
    std::string faites;  // each record: family, "~" when skipped
    bool interrompue;
  } cas[] = {
      {false, 1, "Insérez la carte 2", "switch consultation heure", false},
      {false, 0, "Insérez la carte 2", "switch", true},
      {true, 0, "", "switch consultation~ heure", false},
  };
  for (const auto& k : cas) {
    essai::DossierTemporaire dossier;
    simulateur::LigneVirtuelle ligne;
    FenetreTexte fenetre;
    Poste poste(ligne, ligne.HorlogeLigne(), fenetre, dossier.Chemin());
    const auto requetes = LireScript(plan);
    ASSERT_TRUE(requetes) << TexteEchec(requetes);
    ReglagesCampagne reglages;
    reglages.sansOperateur = k.sansOperateur;
    std::string dits;
    int reponses = k.reponses;
    reglages.operateur = [&](const std::string& texte) {
      dits += texte;
      return reponses-- > 0;
    };
    std::ostringstream sortie;
    const auto campagne = ExecuterCampagne(poste.console, fenetre, *requetes, reglages, sortie);
    std::string faites;
    for (const auto& e : campagne.executions) {
      faites += (faites.empty() ? "" : " ") + e.famille + (e.sautee ? "~" : "");
      EXPECT_TRUE(e.reussie) << e.famille << " " << e.raison;
    }
    EXPECT_EQ(dits, k.dits);
    EXPECT_EQ(faites, k.faites);
    EXPECT_EQ(campagne.interrompue, k.interrompue);
    if (k.sansOperateur) {
      EXPECT_NE(sortie.str().find("[2] opérateur : carte 2 — consultation : sautée"),
                std::string::npos)
          << sortie.str();
      const auto relue = LireExecutionJson(EnJson(campagne.executions[1], nullptr));
      EXPECT_TRUE(relue && relue->sautee);
      // A step passed over is no success in the counts.
      EXPECT_EQ(CompterIssues(ResumerCampagne(Parcourir(campagne.executions))),
                "3 requêtes, 2 réussies, 1 sautée, 0 en échec");
    }
  }
  const auto requetes = LireScript(plan);
  ASSERT_TRUE(requetes) << TexteEchec(requetes);
  const struct {
    bool sansOperateur, terminal, plusieursLignes;
    std::string refus;  // the start of it; empty: none
  } refus[] = {
      {false, true, false, ""},
      {true, false, false, ""},
      {true, false, true, ""},
      {false, false, false, "une étape de l’opérateur (« Insérez la carte 2 ») attend quelqu’un"},
      {false, true, true,
       "une étape de l’opérateur (« Insérez la carte 2 ») ne va pas avec --lines"},
  };
  for (const auto& k : refus) {
    const std::string dit =
        RefusOperateur(*requetes, k.sansOperateur, k.terminal, k.plusieursLignes);
    EXPECT_EQ(dit.substr(0, k.refus.size()), k.refus);
    EXPECT_EQ(dit.empty(), k.refus.empty()) << dit;
  }
  EXPECT_EQ(RefusOperateur(*LireScript("switch"), false, false, true), "");
}

}  // namespace
}  // namespace zef30
