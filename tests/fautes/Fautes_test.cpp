// Every request family against a terminal that misbehaves on purpose: no crash, no wait beyond
// the link's own time-outs, the result line that the failure handling gives, nothing lost from
// the log, and the console still answering the next request.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/FichiersConsole.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "requests/Consultation.h"
#include "requests/Dossiers.h"
#include "requests/Enregistrement.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Switch.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "requests/Validite.h"
#include "simulator/LectureScenario.h"
#include "simulator/LigneVirtuelle.h"
#include "simulator/TerminalSimule.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"

namespace zef30 {
namespace {

using simulateur::LigneVirtuelle;
using simulateur::Scenario;
using namespace std::chrono_literals;

// One fault: the scenario keys that make it, and the first result line it leaves.
struct Faute {
  std::string nom;
  std::string cles;
  std::string ligne;
};

// The longest a request may take: the probe, three sends of the frame, EOT, two blocks, the
// closing character, 10 s each, and the family's own wait for ENQ (10 s here).
constexpr double kLimiteLiaison = 10 + 3 * 10 + 10 + 2 * 10 + 10;

// A request family: its click, the first result line of a sound terminal, the one of a line
// that has hung up for good, whether it logs what it shows, and the longest it may take (the
// link's time-outs with its own wait for ENQ, and its listener's limit).
struct Famille {
  std::function<void(Console&)> cliquer;
  std::string ligneSaine;
  std::string ligneRaccrochee;
  bool journalise = false;
  double limite = kLimiteLiaison;
  // Played on a sound terminal before each request: a validity request opens the dossier that
  // the request then works on.
  std::function<void(Console&)> preparer = nullptr;
};

Scenario LireCles(const std::string& cles) {
  Scenario scenario;
  std::string erreur;
  EXPECT_TRUE(simulateur::LireTexteScenario(cles, "faute", scenario, erreur)) << erreur;
  return scenario;
}

std::string PremiereLigne(const essai::FenetreMemoire& fenetre) {
  return fenetre.lignes.empty() ? "(aucune ligne)" : fenetre.lignes.front();
}

// The family, on the simulated terminal's virtual line, under each fault then sound again.
void Eprouver(const Famille& famille, const std::vector<Faute>& fautes) {
  essai::DossierTemporaire dossier;
  double pire = 0;
  std::vector<std::string> rapports;  // what each sound request showed, and logged
  for (const Faute& faute : fautes) {
    LigneVirtuelle ligne;
    EtatConsole etat;
    Liaison liaison(ligne, ligne.HorlogeLigne(), etat.NumeroPortCom);
    essai::FenetreMemoire fenetre;
    FichiersConsole fichiers(dossier.Chemin(), fenetre);
    Console console{etat, liaison, fenetre, fichiers};
    const auto preparer = [&] {
      if (!famille.preparer) return;
      famille.preparer(console);
      fenetre.lignes.clear();
    };
    preparer();
    ligne.ScenarioLigne() = LireCles(faute.cles);
    fichiers.JournaliserTexte("avant " + faute.nom);

    const double debut = ligne.Ecoule();
    famille.cliquer(console);
    const double duree = ligne.Ecoule() - debut;
    pire = std::max(pire, duree);
    EXPECT_TRUE(PremiereLigne(fenetre).ends_with(faute.ligne))
        << faute.nom << ": " << PremiereLigne(fenetre);
    EXPECT_LE(duree, famille.limite) << faute.nom;
    // The busy pointer, where the family shows it, is back to normal.
    EXPECT_TRUE(fenetre.pointeurs.empty() || !fenetre.pointeurs.back()) << faute.nom;

    // The operator's pause, long enough for a terminal that dribbles to be done, then the next
    // request on a terminal that behaves.
    ligne.Patienter(3600);
    ligne.ScenarioLigne() = Scenario{};
    if (!ligne.Raccrochee()) preparer();
    fenetre.lignes.clear();
    const double suivante = ligne.Ecoule();
    famille.cliquer(console);
    EXPECT_TRUE(PremiereLigne(fenetre).ends_with(ligne.Raccrochee() ? famille.ligneRaccrochee
                                                                    : famille.ligneSaine))
        << faute.nom << " puis sain: " << PremiereLigne(fenetre);
    EXPECT_LE(ligne.Ecoule() - suivante, ligne.Raccrochee() ? 0 : famille.limite) << faute.nom;
    rapports.push_back(famille.journalise ? fenetre.LireTexte(ZoneTexte::txtSelection) : "");
    fichiers.JournaliserTexte("après " + faute.nom);
  }
  // The log holds every record, in order, each whole: the reports of the sound requests too.
  const std::string journal = essai::LireTout(dossier.Fichier("ZEF30test.txt"));
  std::size_t position = 0;
  for (std::size_t i = 0; i < fautes.size(); ++i) {
    for (const std::string& texte :
         {"avant " + fautes[i].nom, rapports[i], "après " + fautes[i].nom}) {
      if (texte.empty()) continue;
      position = journal.find(" *****************\r\n" + texte + "\r\n", position);
      ASSERT_NE(position, std::string::npos) << texte;
    }
  }
  std::cout << "[ fautes   ] " << fautes.size() << " fautes, attente la plus longue " << pire
            << " s (virtuelles)\n";
}

// The faults every family meets, with the family's lines: a sound answer, a failed probe, a
// failed exchange, an empty answer.
std::vector<Faute> FautesCommunes(const std::string& saine, const std::string& sansSonde,
                                  const std::string& rompue, const std::string& vide) {
  return {
      {"sonde muette", "sonde=silence", sansSonde},
      {"bruit avant la sonde", "faute.etape=1\nfaute.bruit=\\x15\\x02zz", sansSonde},
      {"ENQ du terminal pendant la sonde", "faute.etape=1\nfaute.enq=oui", sansSonde},
      {"ENQ du terminal pendant la trame", "faute.etape=2\nfaute.enq=oui", rompue},
      {"trame toujours refusée", "naks=3", rompue},
      {"tempête de NAK partout", "faute.naks=40", sansSonde},
      {"tempête de NAK sur la trame", "faute.etape=2\nfaute.naks=40", rompue},
      {"silence après la sonde", "faute.etape=2\nfaute.silence=oui", rompue},
      {"silence au lieu de l’ENQ", "faute.etape=3\nfaute.silence=oui", rompue},
      {"silence au lieu de la réponse", "faute.etape=4\nfaute.silence=oui", vide},
      {"silence au lieu du caractère final", "faute.etape=5\nfaute.silence=oui", saine},
      {"raccroché avant l’ENQ", "faute.etape=3\nfaute.raccrocher=oui", rompue},
      {"raccroché au lieu de la réponse", "faute.etape=4\nfaute.raccrocher=oui", vide},
      {"réponse en morceaux espacés", "faute.etape=4\nfaute.morceaux=7\nfaute.ecart=0.5", saine},
      {"réponse en morceaux trop lents", "faute.etape=4\nfaute.morceaux=3\nfaute.ecart=6", vide},
      {"longueur fausse", "faute.etape=4\nfaute.longueur=999", saine},
      {"longueur illisible", "faute.etape=4\nfaute.longueur=x-1", saine},
      {"contrôle faux", "faute.check=oui", saine},
      {"octets après la réponse", "faute.etape=5\nfaute.apres=\\x02\\x05\\x06zz", saine},
      {"ENQ refusé par autre chose", "eot=autre", rompue},
  };
}

TEST(Fautes, DemandeDeSwitch) {
  const std::string saine = "Demande de Switch = Carte présente";
  const std::string rompue = "Demande de Switch = Erreur n°-400";
  std::vector<Faute> fautes = FautesCommunes(saine, rompue, rompue, rompue);
  fautes.push_back({"affichages avant la réponse", "faute.etape=4\nfaute.affichages=3", rompue});
  // Nothing in the answer is checked: one byte before it moves every position by one, and the
  // status "0100" reads as work in progress.
  fautes.push_back({"bruit avant la réponse", "faute.etape=4\nfaute.bruit=\\x06",
                    "Demande de Switch = Erreur n°-404"});
  Eprouver({cmdDemSwi_Click, saine, rompue}, fautes);
}

TEST(Fautes, Consultation) {
  const std::string saine = "No Serie: ZEF30SIM0001";
  // A failed probe stands in the answer's place as "-400", a failed exchange as ERR_MESSAGE:
  // both decode as answers too short to hold a serial number.
  std::vector<Faute> fautes = FautesCommunes(saine, "No Serie: ", "No Serie: GE", "No Serie: ");
  // The first display frame is read as the answer.
  fautes.push_back({"affichages avant la réponse", "faute.etape=4\nfaute.affichages=3",
                    "No Serie:          AFF"});
  Eprouver({cmdDemConsult_Click, saine, "No Serie: "}, fautes);
}

TEST(Fautes, EtatDesTeleParametres) {
  const std::string erreur = "Demande ticket teleParam = Erreur n°";
  std::vector<Faute> fautes =
      FautesCommunes("Demande ticket teleParam = OK", erreur + "-600", erreur + "1", erreur + "1");
  Eprouver({Command4_Click, "Demande ticket teleParam = OK", erreur + "-600", true}, fautes);
}

TEST(Fautes, TicketDeTelecollecte) {
  const std::string erreur = "Demande de ticket telecol = Erreur n°";
  std::vector<Faute> fautes =
      FautesCommunes("Demande de ticket = OK", erreur + "-600", erreur + "1", erreur + "1");
  Eprouver({cmdDemTic_Click, "Demande de ticket = OK", erreur + "-600", true}, fautes);
}

TEST(Fautes, MiseALHeure) {
  std::vector<Faute> fautes =
      FautesCommunes("Mise à l'heure = OK", "Mise à l'heure = Erreur n°-500",
                     "Mise à l'heure = Pas OK", "Mise à l'heure = Pas OK");
  Eprouver({Command2_Click, "Mise à l'heure = OK", "Mise à l'heure = Erreur n°-500"}, fautes);
}

// The payments, with the dossier field and the price of the window: listened to ("Ecran Hote"
// ticked) up to 300 s after the terminal's ENQ.
constexpr double kLimitePaiement = kLimiteLiaison + 180 + 300;

// A family's own line for one of the common faults.
void Remplacer(std::vector<Faute>& fautes, const std::string& nom, const std::string& ligne) {
  for (Faute& faute : fautes) {
    if (faute.nom == nom) faute.ligne = ligne;
  }
}

// A listened payment waits for the display blanked after the answer, and for characters as long
// as its own limit: a slow answer is taken, a missing closing character fails it.
std::vector<Faute> FautesEcoutees(const std::string& saine, const std::string& sansSonde,
                                  const std::string& rompue) {
  std::vector<Faute> fautes = FautesCommunes(saine, sansSonde, rompue, rompue);
  Remplacer(fautes, "silence au lieu du caractère final", rompue);
  Remplacer(fautes, "réponse en morceaux trop lents", saine);
  return fautes;
}

TEST(Fautes, Validite) {
  const std::string debut = "Demande de Validité = ";
  Eprouver({cmdDemVal_Click, debut + "OK", debut + "Erreur n°-700", true, kLimitePaiement},
           FautesEcoutees(debut + "OK", debut + "Erreur n°-700", debut + "Pas OK"));
}

TEST(Fautes, Enregistrement) {
  const std::string debut = "Demande d'enregistrement = ";
  Eprouver({cmdDemEnr_Click, debut + "OK", debut + "Erreur n°-200", false, kLimitePaiement,
            cmdDemVal_Click},
           FautesEcoutees(debut + "OK", debut + "Erreur n°-200", debut + "Pas OK"));
}

// A refusal and a single open dossier both read "1": the terminal holds the dossier opened
// before the faulty request, and one more before the sound one.
TEST(Fautes, ListeDesDossiers) {
  const std::string debut = "Demande liste doss = ";
  Eprouver({cmdDemConf_Click, debut + "2", debut + "-700", false, kLimitePaiement, cmdDemVal_Click},
           FautesCommunes(debut + "1", debut + "-700", debut + "1", debut + "1"));
}

// Each request asks for the dossier just opened: its number moves on at every row.
TEST(Fautes, InfoDossier) {
  Eprouver({cmdDemAbdn_Click, " = OK", " = pas trouvé", false, kLimitePaiement, cmdDemVal_Click},
           FautesCommunes(" = OK", " = pas trouvé", " = pas trouvé", " = pas trouvé"));
}

// The ISO 2 track, listened to: up to 60 s between two characters, 120 s in all.
TEST(Fautes, PisteIso2) {
  const std::string debut = "Demande de piste ISO = ";
  std::vector<Faute> fautes =
      FautesEcoutees(debut + "OK", debut + "Erreur n°-300", debut + "Erreur n°-400");
  Remplacer(fautes, "silence au lieu de la réponse", debut + "PAS OK");
  Remplacer(fautes, "silence au lieu du caractère final", debut + "PAS OK");
  Remplacer(fautes, "raccroché au lieu de la réponse", debut + "PAS OK");
  Eprouver(
      {Command5_Click, debut + "OK", debut + "Erreur n°-300", false, kLimiteLiaison + 120 + 60},
      fautes);
}

// Tele-collection, listened to: up to 900 s for the terminal's ENQ, then up to 900 s of
// listening. It goes on whatever answered its EOT, so the terminal's own ENQ in the middle of
// the frame is taken as the announcement of its answer.
TEST(Fautes, Telecollecte) {
  const std::string debut = "Télécollecte = ";
  std::vector<Faute> fautes =
      FautesEcoutees(debut + "OK", debut + "Erreur n°-500", debut + "Pas Ok");
  Remplacer(fautes, "ENQ du terminal pendant la trame", debut + "OK");
  Eprouver(
      {cmdDemTC_Click, debut + "OK", debut + "Erreur n°-500", false, kLimiteLiaison + 900 + 900},
      fautes);
}

// The same faults on the real line, where they cost no time-out: the simulated terminal on a
// pseudo-terminal, and the console's own port.
TEST(FautesSurLaLigne, DemandeDeSwitch) {
  const std::string saine = "Demande de Switch = Carte présente";
  const std::string rompue = "Demande de Switch = Erreur n°-400";
  const std::vector<Faute> fautes = {
      {"bruit avant chaque réponse", "faute.bruit=\\x15\\x17", rompue},
      {"réponse en morceaux espacés", "faute.etape=4\nfaute.morceaux=3\nfaute.ecart=0.1", saine},
      {"affichages avant la réponse", "faute.etape=4\nfaute.affichages=20", rompue},
      {"octets après la réponse", "faute.etape=5\nfaute.apres=\\x02AA\\x10\\x03", saine},
      {"contrôle et longueur faux", "faute.check=oui\nfaute.longueur=000", saine},
      {"raccroché au lieu de la réponse", "faute.etape=4\nfaute.raccrocher=oui", rompue},
  };
  for (const Faute& faute : fautes) {
    simulateur::TerminalSimule terminal(LireCles(faute.cles));
    std::string erreur;
    const std::string chemin = terminal.OuvrirPseudoTerminal(erreur);
    ASSERT_FALSE(chemin.empty()) << erreur;
    terminal.Demarrer();

    TablePorts ports;
    ports.Associer(1, chemin);
    PortPosix port(ports);
    HorlogeSysteme horloge;
    EtatConsole etat;
    Liaison liaison(port, horloge, etat.NumeroPortCom);
    essai::FenetreMemoire fenetre;
    FichiersConsole fichiers("/nonexistent-zef30", fenetre);
    Console console{etat, liaison, fenetre, fichiers};

    const auto debut = std::chrono::steady_clock::now();
    cmdDemSwi_Click(console);
    EXPECT_LT(std::chrono::steady_clock::now() - debut, 9s) << faute.nom;
    EXPECT_TRUE(PremiereLigne(fenetre).ends_with(faute.ligne))
        << faute.nom << ": " << PremiereLigne(fenetre);

    // A line that hung up stays gone: the next request fails at once; otherwise it is served.
    const bool raccroche = faute.cles.find("raccrocher") != std::string::npos;
    if (raccroche) {
      terminal.Arreter();
    } else {
      // The terminal ends its side of the exchange first, unless the console gave up at the probe.
      const bool sondeRatee = faute.cles.starts_with("faute.bruit");
      ASSERT_TRUE(sondeRatee ? terminal.AttendreRecu(1, 5s)
                             : terminal.AttendreRequetesServies(1, 5s))
          << faute.nom;
      terminal.ModifierScenario([](Scenario& s) { s = Scenario{}; });
    }
    fenetre.lignes.clear();
    const auto suivante = std::chrono::steady_clock::now();
    cmdDemSwi_Click(console);
    EXPECT_LT(std::chrono::steady_clock::now() - suivante, 9s) << faute.nom;
    EXPECT_EQ(PremiereLigne(fenetre), raccroche ? rompue : saine) << faute.nom << " puis sain";
  }
}

}  // namespace
}  // namespace zef30
