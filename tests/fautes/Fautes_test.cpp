// Every request family against a terminal that misbehaves on purpose: no crash, no wait beyond
// the link's own time-outs, the result line that the failure handling gives, nothing lost from
// the log, and the console still answering the next request.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/Console.h"
#include "console/Poste.h"
#include "link/Liaison.h"
#include "link/PortPosix.h"
#include "link/PortReseau.h"
#include "link/PortTrace.h"
#include "link/TraceLigne.h"
#include "requests/Consultation.h"
#include "requests/Dossiers.h"
#include "requests/Enregistrement.h"
#include "requests/ModeMaintenance.h"
#include "requests/PisteIso2.h"
#include "requests/Services.h"
#include "requests/Switch.h"
#include "requests/TeleParametres.h"
#include "requests/Telecollecte.h"
#include "requests/Validite.h"
#include "simulator/LectureScenario.h"
#include "simulator/LigneVirtuelle.h"
#include "simulator/TerminalSimule.h"
#include "simulator/TraficEcoute.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/ServeurHostile.h"

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
  const auto lu = simulateur::LireTexteScenario(cles, "faute", scenario);
  EXPECT_TRUE(lu) << TexteEchec(lu);
  return scenario;
}

std::string PremiereLigne(const essai::FenetreMemoire& fenetre) {
  return fenetre.lignes.empty() ? "(aucune ligne)" : fenetre.lignes.front();
}

// A console on the simulated terminal's virtual line, its files in `dossier`.
struct ConsoleVirtuelle {
  explicit ConsoleVirtuelle(const std::string& dossier)
      : poste(ligne, ligne.HorlogeLigne(), fenetre, dossier) {}
  LigneVirtuelle ligne;
  essai::FenetreMemoire fenetre;
  Poste poste;
  FichiersConsole& fichiers = poste.fichiers;
  Console& console = poste.console;
};

// The family, on the simulated terminal's virtual line, under each fault then sound again.
void Eprouver(const Famille& famille, const std::vector<Faute>& fautes) {
  essai::DossierTemporaire dossier;
  double pire = 0;
  std::vector<std::string> rapports;  // what each sound request showed, and logged
  for (const Faute& faute : fautes) {
    ConsoleVirtuelle banc(dossier.Chemin());
    LigneVirtuelle& ligne = banc.ligne;
    essai::FenetreMemoire& fenetre = banc.fenetre;
    FichiersConsole& fichiers = banc.fichiers;
    Console& console = banc.console;
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

// What a careless or hostile hand left in the console's folder, then a validity request on a
// sound terminal: the request is served, a line says what was not written and why, a file that
// is not the console's is never touched, and the log holds whole records only.
TEST(FautesDeFichiers, Validite) {
  struct Cas {
    std::string nom;
    std::string fichier;  // planted in the folder...
    std::string contenu;  // ...holding this text, or "->" a link to "autre", or "|" a pipe
    std::string ligne;    // the line besides the result line ("%": the folder); empty: none
    std::string journal;  // how the log begins afterwards; empty: not read
    rlim_t limite = RLIM_INFINITY;  // the largest file the console may write
  };
  const std::string journal = "ZEF30test.txt";
  const std::string compteur = "ZEF30numDossier.ini";
  const std::string impossible = "Écriture impossible dans %/";
  const std::string ordinaire = ", pas un fichier ordinaire";
  const std::vector<Cas> cas = {
      {"journal lien vers un autre fichier", journal, "->",
       impossible + journal + " : lien symbolique" + ordinaire, ""},
      {"journal tube nommé", journal, "|", impossible + journal + " : tube nommé" + ordinaire, ""},
      {"compteur lien vers un fichier qui n’est pas un compteur", compteur, "->",
       impossible + "autre : pas au format d’un fichier de réglages, il n’est pas modifié", "*** "},
      {"compteur tube nommé", compteur, "|", impossible + compteur + " : tube nommé" + ordinaire,
       "*** "},
      {"record coupé par une console tuée", journal, "*** 1\r\nmoiti", "",
       "*** 1\r\nmoiti\r\n*** "},
      {"écriture incomplète", journal, "ancien\r\n",
       "Écriture incomplète dans %/ZEF30test.txt (10 octets sur ", "ancien\r\n", 18},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::DossierTemporaire dossier;
    const std::string autre = "root:x:0:0:root:/root:/bin/bash\n";
    essai::EcrireTout(dossier.Fichier("autre"), autre);
    const std::string plante = dossier.Fichier(c.fichier);
    if (c.contenu == "->") {
      ASSERT_EQ(::symlink("autre", plante.c_str()), 0);
    } else if (c.contenu == "|") {
      ASSERT_EQ(::mkfifo(plante.c_str(), 0666), 0);
    } else {
      essai::EcrireTout(plante, c.contenu);
    }
    ConsoleVirtuelle banc(dossier.Chemin());
    // As the console's own program does: a write past the limit fails, nothing more.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limite{};
    ::getrlimit(RLIMIT_FSIZE, &limite);
    const rlimit avant = limite;
    limite.rlim_cur = c.limite;
    ::setrlimit(RLIMIT_FSIZE, &limite);
    cmdDemVal_Click(banc.console);
    ::setrlimit(RLIMIT_FSIZE, &avant);
    std::string attendue = c.ligne;
    if (!attendue.empty()) attendue.replace(attendue.find('%'), 1, dossier.Chemin());
    // The counter's line comes before the result line, the log's after it.
    const auto& lignes = banc.fenetre.lignes;
    ASSERT_EQ(lignes.size(), c.ligne.empty() ? 1u : 2u);
    const bool avantResultat = c.fichier == compteur && !c.ligne.empty();
    EXPECT_EQ(lignes[avantResultat ? 1 : 0], "Demande de Validité = OK");
    EXPECT_TRUE(lignes[avantResultat ? 0 : lignes.size() - 1].starts_with(attendue));
    EXPECT_EQ(essai::LireTout(dossier.Fichier("autre")), autre);
    EXPECT_FALSE(std::filesystem::exists(dossier.Fichier("autre.lock")));
    if (c.journal.empty()) continue;  // the log is the planted link or pipe
    const std::string journalApres = essai::LireTout(dossier.Fichier("ZEF30test.txt"));
    EXPECT_TRUE(journalApres.starts_with(c.journal)) << journalApres;
    if (c.limite != RLIM_INFINITY) {
      EXPECT_EQ(journalApres, c.journal);
    }
  }
}

// A terminal that talks whatever the console does, in front of the virtual line: before each
// look at the line while it is read one character at a time, its stream of "A" is topped up (at
// 9600 bauds a few characters ahead of the line's clock, in small pieces since the virtual line
// sorts what it has on its way; in a flood so that characters always wait): `avant` of them,
// then `trame`, then as many again.
class TerminalBavard final : public PortSerie {
 public:
  TerminalBavard(LigneVirtuelle& ligne, bool rafale, std::size_t avant, std::string trame)
      : ligne_(ligne), rafale_(rafale), avant_(avant), trame_(std::move(trame)) {
    ligne_.ScenarioLigne().rafale = rafale;
  }
  bool Ouvrir(int numero, std::string_view parametres) override {
    return ligne_.Ouvrir(numero, parametres);
  }
  bool EstOuvert() const override { return ligne_.EstOuvert(); }
  void Fermer() override { ligne_.Fermer(); }
  std::string DerniereErreur() const override { return ligne_.DerniereErreur(); }
  bool Essayer(int numero) override { return ligne_.Essayer(numero); }
  void DefinirTailleLecture(int taille) override {
    taille_ = taille;
    ligne_.DefinirTailleLecture(taille);
  }
  void Ecrire(std::string_view octets) override { ligne_.Ecrire(octets); }
  int NombreEnAttente() override {
    Parler();
    return ligne_.NombreEnAttente();
  }
  std::string Lire() override {
    Parler();
    std::string lu = ligne_.Lire();
    lus += lu.size();
    return lu;
  }
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override {
    Parler();
    ligne_.AttendreAuMoins(nombre, echeance);
  }

  std::size_t lus = 0;  // every character the console read

 private:
  void Parler() {
    if (taille_ != 1 || emis_ >= 2 * avant_) return;
    if (rafale_ ? ligne_.NombreEnAttente() >= 64 : ligne_.Ecoule() + 0.005 < fin_) return;
    std::string octets(std::min<std::size_t>(rafale_ ? 256 : 8, avant_ - emis_ % avant_), 'A');
    emis_ += octets.size();
    if (emis_ == avant_) octets += trame_;
    ligne_.EmettreSpontanement({simulateur::Envoi{octets, 0, false}});
    fin_ = std::max(fin_, ligne_.Ecoule()) + static_cast<double>(octets.size()) * 10 / 9600;
  }

  LigneVirtuelle& ligne_;
  const bool rafale_;
  const std::size_t avant_;
  const std::string trame_;
  int taille_ = 0;
  std::size_t emis_ = 0;
  double fin_ = 0;
};

// Maintenance listening while the terminal talks without a pause: at the line's speed for ten
// minutes, or as fast as the line takes it, with or without the line trace. A display frame in
// the middle is shown, "Sortie Ecoute" is heard at once, nothing read is lost from the trace
// file, and what is kept in memory is bounded. (Time stands still on the virtual line while
// characters wait: the flood's click is due after so many characters instead of seconds.)
TEST(Fautes, EcouteMaintenanceSousUnFlot) {
  struct Flot {
    std::string nom;
    bool rafale;        // as fast as the line takes it, or at 9600 bauds
    double clic;        // at 9600 bauds: virtual seconds before "Sortie Ecoute"
    std::size_t avant;  // characters before the display frame, and after it
    bool trace;
  };
  const std::string affichage = simulateur::TrameAffichage("FIN DU", "FLOT");
  const std::vector<Flot> flots = {
      {"10 minutes à 9600 bauds", false, 600, 599 * 960, false},
      {"10 minutes à 9600 bauds, tracées", false, 600, 599 * 960, true},
      {"1,5 Mio aussi vite que la ligne", true, 0, 3 << 19, false},
      {"1,5 Mio aussi vite que la ligne, tracés", true, 0, 3 << 19, true},
  };
  for (const Flot& flot : flots) {
    SCOPED_TRACE(flot.nom);
    essai::DossierTemporaire dossier;
    LigneVirtuelle ligne;
    TerminalBavard bavard(ligne, flot.rafale, flot.avant, affichage);
    // In a flood, the click is due once the display frame is read; the terminal goes on.
    const std::size_t avantClic = flot.avant + affichage.size();
    PortTrace trace(bavard, ligne.HorlogeLigne(), "08/12/2026 06:30:00");
    const std::string fichierTrace = dossier.Fichier("ligne.trace");
    if (flot.trace) {
      const auto ecrite = trace.EcrireDans(fichierTrace);
      ASSERT_TRUE(ecrite) << TexteEchec(ecrite);
    }
    essai::FenetreMemoire fenetre;
    Poste poste(flot.trace ? static_cast<PortSerie&>(trace) : bavard, ligne.HorlogeLigne(), fenetre,
                dossier.Chemin());
    Console& console = poste.console;

    std::optional<double> clic;
    fenetre.surCession = [&] {
      const bool du = flot.rafale ? bavard.lus >= avantClic : ligne.Ecoule() >= flot.clic;
      if (!clic && du) {
        clic = ligne.Ecoule();
        Command1_Click(console);
      }
    };
    cmdLitPuceSync_Click(console);
    ASSERT_TRUE(clic);
    fenetre.surCession = nullptr;

    if (flot.rafale) {
      EXPECT_LE(bavard.lus - avantClic, 2u) << "read after the click was due";
    } else {
      EXPECT_LE(*clic - flot.clic, 0.01);
      EXPECT_LE(ligne.Ecoule() - *clic, 0.5);
    }
    // The trace in txtSelection and the log: every character, or past the bound the newest ones
    // after a line that counts the others.
    const std::string texte = fenetre.LireTexte(ZoneTexte::txtSelection);
    std::size_t nonGardes = 0;
    std::size_t note = 0;
    if (texte.starts_with("[")) {
      nonGardes = std::stoul(texte.substr(1));
      note = texte.find(" premiers caractères de l’écoute non gardés]\r\n");
      ASSERT_NE(note, std::string::npos);
      note = texte.find('\n') + 1;
    }
    const std::size_t gardes = texte.size() - note;
    // All but the first, which the listening takes as the terminal's early ENQ or not.
    EXPECT_EQ(nonGardes + gardes + 1, bavard.lus);
    EXPECT_NE(texte.find(affichage), std::string::npos);
    EXPECT_EQ(fenetre.legendes[Panneau::PanelAnnulation], "FIN DU          \r\nFLOT            ");
    EXPECT_LE(gardes, std::size_t{1} << 20);
    EXPECT_EQ(flot.rafale, nonGardes > 0);
    EXPECT_NE(essai::LireTout(dossier.Fichier("ZEF30test.txt")).find(texte), std::string::npos);
    if (!flot.trace) continue;
    // The trace file, once the line is closed: every byte read once, in records of at most 1024
    // bytes, about four characters of file a byte of line.
    trace.Fermer();
    const std::string fichier = essai::LireTout(fichierTrace);
    const auto enregistrements = LireTrace(fichier);
    ASSERT_TRUE(enregistrements) << TexteEchec(enregistrements);
    std::size_t recus = 0;
    for (const auto& e : *enregistrements) {
      if (e.sens == Sens::VersConsole) recus += e.octets.size();
      EXPECT_LE(e.octets.size(), PortTrace::kOctetsParEnregistrement);
    }
    EXPECT_EQ(recus, bavard.lus);
    EXPECT_LT(static_cast<double>(fichier.size()), 4.1 * static_cast<double>(recus) + 1000);
  }
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
    const auto ouvert = terminal.OuvrirPseudoTerminal();
    const std::string chemin = ouvert.ValeurOu({});
    ASSERT_FALSE(chemin.empty()) << TexteEchec(ouvert);
    terminal.Demarrer();

    TablePorts ports;
    ports.Associer(1, chemin);
    PortPosix port(ports);
    HorlogeSysteme horloge;
    essai::FenetreMemoire fenetre;
    Poste poste(port, horloge, fenetre, "/nonexistent-zef30");
    Console& console = poste.console;

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

// A serial device server that floods the line with Telnet commands, asks for options again and
// again, never ends a subnegotiation, reads nothing, or refuses the connection: every wait still
// ends at its deadline, the commands never reach the link as the terminal's bytes, the answers
// owed to the server stay bounded, and a refusal is one message.
TEST(FautesDuServeur, LaLigneReseauResteMaitresse) {
  using Conduite = essai::ServeurHostile::Conduite;
  std::string toutes;  // every option asked for, both ways
  for (int option = 0; option < 256; ++option) {
    toutes += std::string{'\xFF', '\xFD', static_cast<char>(option)};
    toutes += std::string{'\xFF', '\xFB', static_cast<char>(option)};
  }
  const std::string refus = "Port already in use\r\n";
  struct Cas {
    std::string nom;
    Conduite conduite;
    std::string erreur;       // the port's error at the end; "%": the server's address
    std::size_t donnees = 0;  // terminal bytes the wait finds, at least
    bool ecrire = false;      // the console writes without end
  };
  const Cas cas[] = {
      {"NOP sans fin", {.motif = "\xFF\xF1"}, ""},
      {"DO sans fin, rien lu", {.motif = "\xFF\xFD\x18", .lit = false}, ""},
      {"toutes les options sans fin", {.motif = toutes}, ""},
      {"sous-négociation jamais finie",
       {.debut = "\xFF\xFA\x2C" + std::string(FiltreTelnet::kSousNegociationMax + 9, '\x01')},
       "",
       10},
      {"refus d’un second opérateur",
       {.debut = refus, .fermer = true},
       "port 1 (%) : refusé par le serveur : « Port already in use »"},
      {"refus en Telnet",
       {.debut = "\xFF\xFB\x03\xFF\xFB\x01" + refus, .fermer = true},
       "port 1 (%) : refusé par le serveur : « Port already in use »"},
      {"ne lit plus rien",
       {.lit = false, .tamponReception = 4096},
       "port 1 (%) : ligne perdue : le serveur ne lit plus",
       0,
       true},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    essai::ServeurHostile serveur(c.conduite);
    TablePorts table;
    table.Associer(1, serveur.Url(true));
    PortReseau port(table);
    std::string erreur = c.erreur;
    if (const auto ici = erreur.find('%'); ici != std::string::npos) {
      erreur.replace(ici, 1, serveur.Url(true));
    }
    const bool ouvert = port.Ouvrir(1, "9600,N,8,1");
    EXPECT_EQ(ouvert, erreur.find("refusé") == std::string::npos);
    if (ouvert && c.ecrire) {
      const std::string morceau(64 * 1024, 'A');
      for (int i = 0; i < 10'000 && port.EstOuvert(); ++i) port.Ecrire(morceau);
    } else if (ouvert) {
      port.DefinirTailleLecture(1);
      const auto echeance = std::chrono::steady_clock::now() + 300ms;
      port.AttendreAuMoins(1 + static_cast<int>(c.donnees), echeance);
      // Past its deadline by no more than the work of one read (generous on a loaded machine).
      EXPECT_LT(std::chrono::steady_clock::now(), echeance + 1s);
      EXPECT_GE(port.NombreEnAttente(), static_cast<int>(c.donnees));
      if (c.donnees == 0) {
        EXPECT_EQ(port.NombreEnAttente(), 0);
      }
    }
    EXPECT_EQ(port.DerniereErreur(), erreur);
    port.Fermer();
    // What the console sent: its opening, and at most one answer a side of each option.
    EXPECT_LE(serveur.Recus(),
              c.ecrire ? ~std::size_t{0} : FiltreTelnet::Ouverture().size() + 1536);
  }
}

// A card switch through a server that floods Telnet commands ends with the probe's time-out, as
// on a silent line.
TEST(FautesDuServeur, UneRequeteSousUnFlotDeCommandesFinitASonDelai) {
  essai::ServeurHostile serveur({.motif = "\xFF\xF1"});
  TablePorts table;
  table.Associer(1, serveur.Url(true));
  PortReseau port(table);
  HorlogeSysteme horloge;
  essai::FenetreMemoire fenetre;
  Poste poste(port, horloge, fenetre, "/nonexistent-zef30");
  Console& console = poste.console;
  const auto debut = std::chrono::steady_clock::now();
  cmdDemSwi_Click(console);
  EXPECT_LT(std::chrono::steady_clock::now() - debut, 12s);
  EXPECT_EQ(PremiereLigne(fenetre), "Demande de Switch = Erreur n°-400");
}

}  // namespace
}  // namespace zef30
