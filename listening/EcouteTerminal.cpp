#include "listening/EcouteTerminal.h"

#include "console/FichiersConsole.h"
#include "listening/Ecoute.h"
#include "protocol/Trame.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

class EcouteurDemarrage final : public Ecouteur {
 public:
  EcouteurDemarrage()
      : Ecouteur({.nom = "Écoute du redémarrage",
                  .panneauVisible = Panneau::PanelRefus,
                  .panneauAffichage = Panneau::PanelRefus,
                  .attenteCaractere = 2s,
                  .attenteControle = 2s,
                  .limite = 300s}) {}

  // The terminal's fifth EOT closes its restart traffic.
  bool SurEot() override { return ++eots_ >= 5; }
  std::string Rendre(const Ecoute& ecoute) const override { return ecoute.Trace(); }

 private:
  int eots_ = 0;
};

class EcouteurIso2 final : public Ecouteur {
 public:
  EcouteurIso2()
      : Ecouteur({.nom = "Écoute de la lecture de piste ISO 2",
                  .panneauVisible = Panneau::PanelAnnulation,
                  .panneauAffichage = Panneau::PanelAnnulation,
                  .attenteCaractere = 60s,
                  .attenteControle = 2s,
                  .limite = 120s}) {}

  SuiteEcoute SurTrame(Ecoute&, const std::string& trame) override {
    return EstReponse(trame, "Ag");
  }
  // The exchange sends the last ACK of an answer ended by ETB.
  SuiteEcoute SurBloc(Ecoute&, const std::string& trame) override {
    return EstReponse(trame, "Ag");
  }
};

class EcouteurTelecollecte final : public Ecouteur {
 public:
  EcouteurTelecollecte()
      : Ecouteur({.nom = "Écoute de la télécollecte",
                  .panneauVisible = std::nullopt,
                  .panneauAffichage = Panneau::LabelTemps,
                  .attenteCaractere = 2s,
                  .attenteControle = 2s,
                  .limite = 900s}) {}

  // The terminal's ENQ is acknowledged first, whatever the report file then does; the start
  // time is noted once the file is ready.
  Resultat<void> Commencer(Ecoute& ecoute) override {
    if (auto ack = Ecouteur::Commencer(ecoute); !ack) return ack;
    auto rapport = ecoute.console.fichiers.OuvrirRapportTelecollecte();
    if (!rapport) return std::move(rapport).Erreur();
    rapport_ = std::move(*rapport);
    return {};
  }

  // Values 1 to 8: the answer has come and a display frame has followed it.
  bool ArreterAvantTraitement() override { return fin_ >= 1 && fin_ <= 8; }

  SuiteEcoute SurTrame(Ecoute&, const std::string& trame) override {
    if (auto note = Noter(trame); !note) return std::move(note).Erreur();
    if (EstTrameAffichage(trame)) ++fin_;
    Armer(trame);
    return false;
  }

  SuiteEcoute SurBloc(Ecoute&, const std::string& trame) override {
    if (auto note = Noter(trame); !note) return std::move(note).Erreur();
    Armer(trame);
    return false;
  }

  const std::string& Reponse() const { return reponse_; }

 private:
  Resultat<void> Noter(const std::string& trame) {
    if (rapport_.AjouterEnregistrement(trame + "\r\n").erreur != 0) {
      return Systeme("écriture impossible dans le rapport de télécollecte");
    }
    return {};
  }
  void Armer(const std::string& trame) {
    if (!EstReponse(trame, "Aj")) return;
    fin_ = 0;
    if (reponse_.empty()) reponse_ = trame;
  }

  FichierRegulier rapport_;
  int fin_ = 10;
  std::string reponse_;
};

}  // namespace

std::string EcouterDemarrage(Console& console) { return Ecouter<EcouteurDemarrage>(console); }

std::string EcouterDemISO2(Console& console) { return Ecouter<EcouteurIso2>(console); }

EcouteTelecollecte EcouterDemTCDetaille(Console& console) {
  EcouteurTelecollecte ecouteur;
  Ecoute ecoute(console);
  EcouteTelecollecte resultat;
  resultat.derniereTrame = ecoute.Executer(ecouteur);
  resultat.reponse = ecouteur.Reponse();
  resultat.trace = ecoute.Trace();
  return resultat;
}

std::string EcouterDemTC(Console& console) { return EcouterDemTCDetaille(console).derniereTrame; }

}  // namespace zef30
