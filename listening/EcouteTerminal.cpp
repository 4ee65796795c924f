#include "listening/EcouteTerminal.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "console/FichiersConsole.h"
#include "link/Trame.h"
#include "listening/Ecoute.h"

namespace zef30 {

namespace {

class EcouteurDemarrage final : public Ecouteur {
 public:
  EcouteurDemarrage()
      : Ecouteur({"EcouterDemarrage", Panneau::PanelRefus, Panneau::PanelRefus, 2.0, 2.0, 300.0}) {}

  // The terminal's fifth EOT closes its restart traffic.
  bool SurEot() override { return ++eots_ >= 5; }
  std::string Resultat(const Ecoute& ecoute) const override { return ecoute.Trace(); }

 private:
  int eots_ = 0;
};

class EcouteurIso2 final : public Ecouteur {
 public:
  EcouteurIso2()
      : Ecouteur({"EcouterDemISO2", Panneau::PanelAnnulation, Panneau::PanelAnnulation, 60.0, 2.0,
                  120.0}) {}

  bool SurTrame(Ecoute&, const std::string& trame) override { return EstReponse(trame, "Ag"); }
  // The exchange sends the last ACK of an answer ended by ETB.
  bool SurBloc(Ecoute&, const std::string& trame) override { return EstReponse(trame, "Ag"); }
};

class EcouteurTelecollecte final : public Ecouteur {
 public:
  EcouteurTelecollecte()
      : Ecouteur({"EcouterDemTC", std::nullopt, Panneau::LabelTemps, 2.0, 2.0, 900.0}) {}

  void Commencer(Ecoute& ecoute) override {
    FichiersConsole& fichiers = ecoute.console.fichiers;
    const std::string dossier = fichiers.CheminFichier("Telec");
    if (!TesterEcritureRepertoire(dossier) && ::mkdir(dossier.c_str(), 0777) != 0 &&
        errno != EEXIST) {
      throw ErreurEcoute(dossier + " : dossier impossible à créer : " + std::strerror(errno));
    }
    const std::string chemin =
        AjouterSeparateur(dossier) + NomFichierRapport(fichiers.MaintenantLocal());
    rapport_.open(chemin, std::ios::binary | std::ios::app);
    if (!rapport_) throw ErreurEcoute(chemin + " : fichier impossible à ouvrir");
    Ecouteur::Commencer(ecoute);
  }

  // Values 1 to 8: the answer has come and a display frame has followed it.
  bool ArreterAvantTraitement() override { return fin_ >= 1 && fin_ <= 8; }

  bool SurTrame(Ecoute&, const std::string& trame) override {
    Noter(trame);
    if (EstTrameAffichage(trame)) ++fin_;
    Armer(trame);
    return false;
  }

  bool SurBloc(Ecoute&, const std::string& trame) override {
    Noter(trame);
    Armer(trame);
    return false;
  }

  const std::string& Reponse() const { return reponse_; }

 private:
  void Noter(const std::string& trame) {
    rapport_ << trame << "\r\n";
    rapport_.flush();
    if (!rapport_) throw ErreurEcoute("écriture impossible dans le rapport de télécollecte");
  }
  void Armer(const std::string& trame) {
    if (!EstReponse(trame, "Aj")) return;
    fin_ = 0;
    if (reponse_.empty()) reponse_ = trame;
  }

  std::ofstream rapport_;
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

std::string NomFichierRapport(const std::tm& moment) {
  const long secondes = moment.tm_hour * 3600L + moment.tm_min * 60L + moment.tm_sec;
  return std::to_string(moment.tm_mday) + "-" + std::to_string(moment.tm_mon + 1) + "-" +
         std::to_string(moment.tm_year + 1900) + "-" + std::to_string(secondes) + ".txt";
}

}  // namespace zef30
