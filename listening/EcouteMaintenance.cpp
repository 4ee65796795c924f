#include "listening/EcouteMaintenance.h"

#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "listening/Ecoute.h"
#include "protocol/Trame.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

class EcouteurMaintenance final : public Ecouteur {
 public:
  // PanelAnnulation shows the terminal's display while maintenance listening runs: a hidden
  // panel would mirror it for nobody.
  EcouteurMaintenance()
      : Ecouteur({.nom = "Écoute du mode maintenance",
                  .panneauVisible = Panneau::PanelAnnulation,
                  .panneauAffichage = Panneau::PanelAnnulation,
                  .attenteCaractere = 1s,
                  .attenteControle = 1s,
                  .limite = std::nullopt}) {}

  Resultat<void> Commencer(Ecoute& ecoute) override {
    Console& console = ecoute.console;
    Liaison& liaison = console.liaison;
    if (!liaison.OuvrirPort())
      return Systeme("port impossible à ouvrir : " + liaison.DerniereErreur());
    liaison.Vider();
    // A terminal that asks for the line at once is told that the console listens.
    const auto premier = ecoute.Attendre(2s);
    if (!premier) return premier.Erreur();
    if (*premier == std::string(1, ENQ)) {
      ecoute.EnvoyerAck();
      liaison.EnvoyerCaractere(ENQ);
    }
    console.fenetre.DefinirVisible(Panneau::PanelRefus, true);
    const std::tm debut = console.fichiers.MaintenantLocal();
    minute0_ = debut.tm_min;
    seconde0_ = debut.tm_sec;
    return {};
  }

  void AvantAttente(Ecoute& ecoute) override {
    // "Sortie Ecoute" may come before the first pass (while the terminal's early ENQ is awaited):
    // it blanked the clock, which must not say that the console still listens.
    if (ecoute.console.etat.ArretEcoute) return;
    Fenetre& fenetre = ecoute.console.fenetre;
    fenetre.DefinirLegende(
        Panneau::Label6,
        LegendeHorlogeEcoute(ecoute.console.fichiers.MaintenantLocal(), minute0_, seconde0_));
    fenetre.Rafraichir(Panneau::Label6);
  }

  SuiteEcoute SurTrame(Ecoute& ecoute, const std::string& trame) override {
    Fenetre& fenetre = ecoute.console.fenetre;
    if (!trame.empty() && !EstTrameAffichage(trame)) {
      fenetre.AjouterTexte(
          ZoneTexte::txtSelection,
          "\r\n" + Cp1252VersUtf8(Extraire(trame, 3, static_cast<long>(trame.size()))));
    }
    if (!EstTrameAffichage(trame)) fenetre.Rafraichir(Panneau::PanelAnnulation);
    return false;
  }

  SuiteEcoute ApresPassage(Ecoute& ecoute) override { return ecoute.console.etat.ArretEcoute; }

  std::string Rendre(const Ecoute& ecoute) const override { return ecoute.Trace(); }

 private:
  int minute0_ = 0;
  int seconde0_ = 0;
};

}  // namespace

std::string LegendeHorlogeEcoute(const std::tm& maintenant, int minute0, int& seconde0) {
  if (maintenant.tm_sec - seconde0 <= 0) seconde0 = maintenant.tm_sec;
  return "EN ECOUTE " + std::to_string(maintenant.tm_min - minute0) + ":" +
         std::to_string(maintenant.tm_sec - seconde0);
}

std::string EcouterModeMaintenance(Console& console) {
  return Ecouter<EcouteurMaintenance>(console);
}

}  // namespace zef30
