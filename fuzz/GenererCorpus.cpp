// Writes the fuzz targets' seed corpus from the simulated terminal's own answers: each request
// runs through the real link against the simulated terminal on its virtual line, and what the
// terminal sent after each write of the console becomes one reply of the seed.
//   zef30-corpus DOSSIER    (DOSSIER/<target>/<seed> files; fuzz/corpus in the repository)
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/Poste.h"
#include "fuzz/EntreesFuzz.h"
#include "link/Liaison.h"
#include "requests/Consultation.h"
#include "requests/Dossiers.h"
#include "requests/Enregistrement.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Switch.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "requests/Validite.h"
#include "simulator/Deroulement.h"
#include "simulator/LectureScenario.h"
#include "simulator/LigneVirtuelle.h"

namespace {

using namespace zef30;
using namespace std::chrono_literals;
using simulateur::LigneVirtuelle;
using simulateur::Scenario;

// The line as the console sees it, cut into the replies to its writes.
class PortEnregistre final : public PortSerie {
 public:
  explicit PortEnregistre(LigneVirtuelle& ligne) : ligne_(ligne) {}
  std::vector<fuzz::Replique> repliques;

  bool Ouvrir(int n, std::string_view p) override { return ligne_.Ouvrir(n, p); }
  bool EstOuvert() const override { return ligne_.EstOuvert(); }
  void Fermer() override { ligne_.Fermer(); }
  bool Essayer(int n) override { return ligne_.Essayer(n); }
  std::string DerniereErreur() const override { return ligne_.DerniereErreur(); }
  void DefinirTailleLecture(int t) override { ligne_.DefinirTailleLecture(t); }
  void Ecrire(std::string_view octets) override {
    ligne_.Ecrire(octets);
    repliques.push_back({});
  }
  int NombreEnAttente() override { return ligne_.NombreEnAttente(); }
  std::string Lire() override {
    std::string lu = ligne_.Lire();
    if (!repliques.empty()) repliques.back().octets += lu;
    return lu;
  }
  void AttendreAuMoins(int n, Horloge::Instant e) override { ligne_.AttendreAuMoins(n, e); }

 private:
  LigneVirtuelle& ligne_;
};

std::string Motif(std::size_t longueur) {
  std::string texte;
  for (std::size_t i = 0; i < longueur; ++i) texte += static_cast<char>('0' + i % 10);
  return texte;
}

// The simulated terminal with sound answers for the requests whose family has no answer of
// its own yet, and one of the faults it can make.
Scenario ScenarioDe(const std::string& lignes) {
  Scenario s;
  s.reponses["AJ00207"] = {simulateur::MessageReponse("AJ", "03" + Motif(36))};
  s.reponses["AK0290"] = {simulateur::MessageReponse("AK", "0" + Motif(312))};
  s.reponses["AK0160"] = {simulateur::MessageReponse("AK", "0" + Motif(312))};
  s.reponses["AL011"] = {simulateur::MessageReponse("AL", "0" + Motif(354))};
  if (const auto lu = simulateur::LireTexteScenario(lignes, "corpus", s); !lu)
    std::cerr << lu.Erreur().texte << "\n";
  return s;
}

const std::vector<std::pair<std::string, std::string>> kScenarios = {
    {"sain", ""},
    {"naks2", "naks=2"},
    {"refuse", "naks=3"},
    {"eot-autre", "eot=autre"},
    {"morceaux", "faute.etape=4\nfaute.morceaux=5\nfaute.ecart=0.5"},
    {"longueur", "faute.etape=4\nfaute.longueur=999"},
    {"check", "faute.check=oui"},
    {"affichages", "faute.etape=4\nfaute.affichages=2"},
    {"apres", "faute.etape=5\nfaute.apres=\\x02\\x05xyz"},
    {"enq", "faute.etape=2\nfaute.enq=oui"},
};

void Ecrire(const std::filesystem::path& fichier, const std::string& octets) {
  std::filesystem::create_directories(fichier.parent_path());
  std::ofstream(fichier, std::ios::binary) << octets;
}

// Runs `jouer` on a console whose port is the simulated terminal; the seed: `selecteur`, then
// the replies. The console's own bytes go to the terminal's seed.
void Enregistrer(const std::filesystem::path& dossier, const std::string& cible, char selecteur,
                 const std::string& nom, const std::string& lignes,
                 const std::function<void(Console&)>& jouer) {
  LigneVirtuelle ligne(ScenarioDe(lignes));
  PortEnregistre port(ligne);
  essai::FenetreMemoire fenetre;
  // Bit 7 of the selector of Requetes_fuzz: "Ecran Hote" ticked, the request listened to.
  fenetre.ecranHote = (static_cast<unsigned char>(selecteur) & 0x80) != 0;
  Poste poste(port, ligne.HorlogeLigne(), fenetre, "/nonexistent-zef30");
  jouer(poste.console);
  Ecrire(dossier / cible / nom, std::string(1, selecteur) + fuzz::EcrireRepliques(port.repliques));
  Ecrire(dossier / "Protocole_fuzz" / (cible + "-" + nom), lignes + "\n--\n" + ligne.Recu());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: zef30-corpus DOSSIER\n";
    return 2;
  }
  const std::filesystem::path dossier = argv[1];
  using Jeu = std::function<void(Console&)>;
  const auto lien = [](std::function<void(Liaison&)> f) -> Jeu {
    return [f](Console& c) {
      c.liaison.AttendreTerminalPret();
      f(c.liaison);
    };
  };
  // In the order of Liaison_fuzz's table.
  const std::vector<std::pair<std::string, Jeu>> liaison = {
      {"switch", lien([](Liaison& l) { static_cast<void>(l.Echanger("AA000", 13, 10s)); })},
      {"consultation",
       lien([](Liaison& l) { static_cast<void>(l.Echanger("AJ00202", 102, 10s)); })},
      {"deux-blocs", lien([](Liaison& l) { static_cast<void>(l.Echanger("AJ00205", 322, 10s)); })},
      {"enregistrement",
       lien([](Liaison& l) { static_cast<void>(l.Echanger("AL011", 364, 10s)); })},
      {"liste",
       lien([](Liaison& l) { static_cast<void>(l.EchangerListeDossiers("AJ00207", 25, 10s)); })},
      {"longue",
       lien([](Liaison& l) { static_cast<void>(l.EchangerReponseLongue("AJ00205", 10s)); })},
      {"validite",
       lien([](Liaison& l) { static_cast<void>(l.EchangerReponseLongue("AK0290", 180s)); })},
      {"forfait",
       lien([](Liaison& l) { static_cast<void>(l.EchangerValiditeForfait("AK0160", 180s)); })},
      {"sonde", [](Console& c) { c.liaison.AttendreTerminalPret(); }},
  };
  const std::vector<std::pair<std::string, Jeu>> requetes = {
      {"switch", cmdDemSwi_Click},
      {"consultation", cmdDemConsult_Click},
      {"telecollecte", cmdDemTC_Click},
      {"ticket-telecollecte", cmdDemTic_Click},
      {"teleparametres", Command4_Click},
      {"piste-iso2", Command5_Click},
      {"redemarrage", Command6_Click},
      {"vitesse", cmdDemVitesse_Click},
      {"horloge", Command2_Click},
      {"validite", cmdDemVal_Click},
      {"enregistrement",
       [](Console& c) {
         cmdDemVal_Click(c);
         cmdDemEnr_Click(c);
       }},
      {"annulation", Command3_Click},
      {"liste-dossiers",
       [](Console& c) {
         cmdDemVal_Click(c);
         cmdDemConf_Click(c);
       }},
      {"info-dossier",
       [](Console& c) {
         cmdDemVal_Click(c);
         cmdDemAbdn_Click(c);
       }},
  };
  for (const auto& [nomScenario, lignes] : kScenarios) {
    for (std::size_t i = 0; i < liaison.size(); ++i) {
      Enregistrer(dossier, "Liaison_fuzz", static_cast<char>(i),
                  liaison[i].first + "-" + nomScenario, lignes, liaison[i].second);
    }
    for (std::size_t i = 0; i < requetes.size(); ++i) {
      Enregistrer(dossier, "Requetes_fuzz", static_cast<char>(i),
                  requetes[i].first + "-" + nomScenario, lignes, requetes[i].second);
      Enregistrer(dossier, "Requetes_fuzz", static_cast<char>(i | 0x80),
                  requetes[i].first + "-ecoute-" + nomScenario, lignes, requetes[i].second);
    }
  }

  // The answers themselves, as the receipt builders and text helpers get them.
  Scenario s = ScenarioDe("");
  for (const auto& [debut, reponse] : s.reponses) {
    const std::string trame = EncadrerMessage(reponse.message);
    Ecrire(dossier / "Tickets_fuzz" / debut, trame);
    Ecrire(dossier / "Texte_fuzz" / debut, std::string("\x07\x03", 2) + trame);
  }
  // The reports as the terminal sends them, under a few of its scenarios.
  for (const auto& [nomScenario, lignes] : kScenarios) {
    for (const char* message : {"AJ00203", "AJ00204", "AJ00205"}) {
      LigneVirtuelle ligne(ScenarioDe(lignes));
      Liaison liaison(ligne, ligne.HorlogeLigne());
      liaison.AttendreTerminalPret();
      Ecrire(dossier / "Rapports_fuzz" / (std::string(message) + "-" + nomScenario),
             TexteReponse(liaison.EchangerReponseLongue(message, 10s)));
    }
  }
  Ecrire(dossier / "Texte_fuzz" / "dossier", std::string("\x01\x04", 2) + "000000000042");
  Ecrire(dossier / "FichierIni_fuzz" / "compteur", "[Dossier]\r\nNo=41\r\n");
  Ecrire(dossier / "FichierIni_fuzz" / "poste",
         "\xEF\xBB\xBF[Poste]\nNom = \"caisse 2\"\n\n[dossier]\nno = 7\n[Dossier]\nNo=9\n");
  std::string cles;
  for (const auto& [nom, lignes] : kScenarios) cles += lignes + "\n";
  Ecrire(dossier / "Scenario_fuzz" / "fautes", cles);
  Ecrire(dossier / "Scenario_fuzz" / "cles",
         "sonde=ack-puis-autre\nautre=\\x15\nswitch=0113\napp2.etat=1\nreponse.AJ00205=Aj003abc\n"
         "brut.AA=\\x06\\x02\ndelai-enq=0.5\nrythme=rafale\nbauds=1200\n");
  Ecrire(dossier / "Scenario_fuzz" / "ligne", "--switch=0000\n--rythme=rafale\n--faute.naks=4");
  Ecrire(dossier / "OptionsLigne_fuzz" / "ports",
         "--port\n3=/dev/ttyUSB0\n--port\n/dev/pts/4\n--data-dir\n/tmp/zef30");
  Ecrire(dossier / "OptionsLigne_fuzz" / "simulateur", "--simulator\n--version");
  return 0;
}
