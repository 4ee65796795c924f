#include "console/FichiersConsole.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "console/FichierIni.h"
#include "console/SauvegardeTexte.h"
#include "tests/support/DossierTemporaire.h"
#include "tests/support/FenetreMemoire.h"
#include "tests/support/HorlogeMuraleFixe.h"

namespace zef30 {
namespace {

using essai::DossierTemporaire;
using essai::EcrireTout;
using essai::FenetreMemoire;
using essai::LireTout;

// A child process that runs `travail` with the writing end of a pipe, then ends with the
// status it returns. Killed, if still there, when the test lets it go.
class Enfant {
 public:
  template <class Travail>
  explicit Enfant(Travail travail) {
    int tube[2];
    if (::pipe(tube) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(tube[0]);
      _exit(travail(tube[1]));
    }
    ::close(tube[1]);
    lecture_ = tube[0];
  }
  ~Enfant() {
    Tuer();
    if (lecture_ >= 0) ::close(lecture_);
  }
  Enfant(const Enfant&) = delete;
  Enfant& operator=(const Enfant&) = delete;

  bool Lance() const { return pid_ > 0 && lecture_ >= 0; }

  // What it sent, once it has sent `lignes` lines or closed the pipe; at most `delai` long.
  std::string Lire(std::ptrdiff_t lignes, std::chrono::seconds delai) {
    const auto limite = std::chrono::steady_clock::now() + delai;
    while (std::count(recu_.begin(), recu_.end(), '\n') < lignes) {
      const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
          limite - std::chrono::steady_clock::now());
      pollfd attente{lecture_, POLLIN, 0};
      if (reste.count() <= 0 || ::poll(&attente, 1, static_cast<int>(reste.count())) <= 0) break;
      char tampon[4096];
      const ssize_t lus = ::read(lecture_, tampon, sizeof tampon);
      if (lus <= 0) break;
      recu_.append(tampon, static_cast<std::size_t>(lus));
    }
    return recu_;
  }

  // Its exit status once it has ended by itself.
  int Attendre() {
    int etat = 0;
    if (pid_ > 0 && ::waitpid(pid_, &etat, 0) == pid_) pid_ = -1;
    return WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
  }

  void Tuer() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int lecture_ = -1;
  std::string recu_;
};

std::vector<long> Nombres(const std::string& lignes) {
  std::vector<long> nombres;
  std::istringstream flux(lignes);
  std::string ligne;
  while (std::getline(flux, ligne)) nombres.push_back(std::stol(ligne));
  return nombres;
}

bool Envoyer(int fd, const std::string& texte) {
  return ::write(fd, texte.data(), texte.size()) == static_cast<ssize_t>(texte.size());
}

class FichiersConsoleTest : public ::testing::Test {
 protected:
  std::string Compteur() const { return dossier.Fichier("ZEF30numDossier.ini"); }

  // Another console on the same folder, in its own process: once `depart` has a byte to read
  // (or at once without it), hands out `combien` numbers and sends each on its own line.
  Enfant AutreConsole(long combien, int depart = -1) {
    return Enfant([this, combien, depart](int fd) {
      char signal = 0;
      if (depart >= 0 && ::read(depart, &signal, 1) != 1) return 2;
      FenetreMemoire sienne;
      FichiersConsole siens(dossier.Chemin(), sienne, horloge, std::locale::classic());
      for (long n = 0; n < combien; ++n) {
        if (!Envoyer(fd, siens.NouveauNumeroDossier() + "\n")) return 3;
      }
      return sienne.boites.empty() ? 0 : 1;
    });
  }

  DossierTemporaire dossier;
  FenetreMemoire fenetre;
  HorlogeMuraleFixe horloge{2024, 12, 31, 23, 59, 58};
  FichiersConsole fichiers{dossier.Chemin(), fenetre, horloge, std::locale::classic()};
};

TEST_F(FichiersConsoleTest, PremierNumeroPuisLesSuivants) {
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "1");
  EXPECT_EQ(LireTout(Compteur()), "[Dossier]\r\nNo=1\r\n");
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "2");
  EXPECT_EQ(LireTout(Compteur()), "[Dossier]\r\nNo=2\r\n");
  EXPECT_TRUE(fenetre.boites.empty());
  EXPECT_TRUE(fenetre.lignes.empty());
}

TEST_F(FichiersConsoleTest, ValeurTapeeALaMainEtAutresLignesGardees) {
  struct Cas {
    std::string avant;
    std::string numero;
    std::string apres;
  };
  const Cas cas[] = {
      {"[Poste]\nNom=caisse 2\n[dossier]\nno = 41\n", "42",
       "[Poste]\r\nNom=caisse 2\r\n[dossier]\r\nno=42\r\n"},
      // Not in the profile format, but the console's own file: it counts on, from one run to
      // the next, its lines kept.
      {"notes du poste\nsans section\n", "1",
       "notes du poste\r\nsans section\r\n\r\n[Dossier]\r\nNo=1\r\n"},
      {"notes du poste\r\nsans section\r\n\r\n[Dossier]\r\nNo=1\r\n", "2",
       "notes du poste\r\nsans section\r\n\r\n[Dossier]\r\nNo=2\r\n"},
  };
  for (const Cas& c : cas) {
    EcrireTout(Compteur(), c.avant);
    FichiersConsole run(dossier.Chemin(), fenetre, horloge, std::locale::classic());
    EXPECT_EQ(run.NouveauNumeroDossier(), c.numero) << c.avant;
    EXPECT_EQ(LireTout(Compteur()), c.apres);
  }
  EXPECT_TRUE(fenetre.lignes.empty());
  EXPECT_TRUE(fenetre.boites.empty());
}

TEST_F(FichiersConsoleTest, DeuxConsolesALaFoisNeDonnentJamaisLeMemeNumero) {
  constexpr long kParConsole = 400;
  int depart[2];
  ASSERT_EQ(::pipe(depart), 0);
  Enfant premiere = AutreConsole(kParConsole, depart[0]);
  Enfant seconde = AutreConsole(kParConsole, depart[0]);
  ::close(depart[0]);
  ASSERT_TRUE(premiere.Lance() && seconde.Lance());
  // Both start together, on the word.
  ASSERT_EQ(::write(depart[1], "gg", 2), 2);
  ::close(depart[1]);

  std::set<long> donnes;
  for (Enfant* enfant : {&premiere, &seconde}) {
    const std::vector<long> siens = Nombres(enfant->Lire(kParConsole, std::chrono::seconds(60)));
    EXPECT_EQ(siens.size(), static_cast<std::size_t>(kParConsole));
    donnes.insert(siens.begin(), siens.end());
    EXPECT_EQ(enfant->Attendre(), 0);
  }
  EXPECT_EQ(donnes.size(), 2u * kParConsole);
  EXPECT_EQ(*donnes.begin(), 1);
  EXPECT_EQ(*donnes.rbegin(), 2 * kParConsole);
  EXPECT_EQ(LireIniInteger(Compteur(), "Dossier", "No", 0), 2 * kParConsole);
}

TEST_F(FichiersConsoleTest, UneConsoleTueeEnPleineEcritureNePerdRien) {
  // Killed 100 times at whatever point it has reached once it has handed out a few numbers:
  // across all the kills, no number is lost from the file nor handed out twice.
  std::mt19937 hasard(200);
  long dernier = 0;
  for (int mort = 0; mort < 100; ++mort) {
    Enfant autre = AutreConsole(1000000);
    ASSERT_TRUE(autre.Lance());
    autre.Lire(1 + static_cast<long>(hasard() % 5), std::chrono::seconds(30));
    autre.Tuer();
    std::string recu = autre.Lire(1000000, std::chrono::seconds(10));
    recu.erase(recu.rfind('\n') + 1);  // a number cut by the kill does not count
    const std::vector<long> donnes = Nombres(recu);
    ASSERT_FALSE(donnes.empty()) << mort;
    for (const long n : donnes) ASSERT_GT(n, std::exchange(dernier, n)) << mort;

    // The file holds a whole counter: the last number handed out, or the one being handed out.
    const long garde = LireIniInteger(Compteur(), "Dossier", "No", 0);
    ASSERT_EQ(LireTout(Compteur()), "[Dossier]\r\nNo=" + std::to_string(garde) + "\r\n") << mort;
    ASSERT_GE(garde, dernier) << mort;
    ASSERT_LE(garde, dernier + 1) << mort;
    dernier = garde;
  }
  // Its lock went with it, and any copy it left half written is ignored.
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), std::to_string(dernier + 1));
}

TEST_F(FichiersConsoleTest, UneCopieLaisseeEnPlanNeCompteJamais) {
  EcrireTout(Compteur(), "[Dossier]\r\nNo=7\r\n");
  // Left by a console that is gone, and by one still at work (the process that started us).
  const pid_t partie = ::fork();
  if (partie == 0) _exit(0);
  ASSERT_EQ(::waitpid(partie, nullptr, 0), partie);
  const std::string abandonnee = Compteur() + "." + std::to_string(partie) + "-0.tmp";
  const std::string enCours = Compteur() + "." + std::to_string(::getppid()) + "-0.tmp";
  EcrireTout(abandonnee, "[Dossier]\r\nNo=");
  EcrireTout(enCours, "[Dossier]\r\nNo=");
  EcrireTout(dossier.Fichier("ZEF30numDossier.ini.lock"), "");
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "8");
  EXPECT_EQ(LireIniInteger(Compteur(), "Dossier", "No", 0), 8);
  EXPECT_FALSE(std::filesystem::exists(abandonnee));
  EXPECT_TRUE(std::filesystem::exists(enCours));
}

TEST_F(FichiersConsoleTest, LeVerrouDUneConsoleTueeEstRendu) {
  const std::string cheminVerrou = Compteur();
  Enfant detenteur([&cheminVerrou](int fd) {
    const int verrou = ::open(cheminVerrou.c_str(), O_RDWR | O_CREAT, 0666);
    if (verrou < 0 || ::flock(verrou, LOCK_EX) != 0 || !Envoyer(fd, "pris\n")) return 2;
    for (;;) ::pause();  // until killed, lock in hand
  });
  ASSERT_EQ(detenteur.Lire(1, std::chrono::seconds(30)), "pris\n");
  detenteur.Tuer();
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "1");
}

TEST_F(FichiersConsoleTest, EcritureRefuseeMontreLaBoiteSansJamaisRepeterUnNumero) {
  const std::string pasUnDossier = dossier.Fichier("pas-un-dossier");
  EcrireTout(pasUnDossier, "x");
  FichiersConsole ailleurs(pasUnDossier, fenetre, horloge, std::locale::classic());
  EXPECT_EQ(ailleurs.NouveauNumeroDossier(), "1");
  EXPECT_EQ(ailleurs.NouveauNumeroDossier(), "2");
  EXPECT_EQ(ailleurs.NouveauNumeroDossier(), "3");
  ASSERT_EQ(fenetre.boites.size(), 3u);
  EXPECT_EQ(fenetre.boites[0].titre, "EcrireIniString");
  EXPECT_EQ(fenetre.boites[0].texte, FormaterErreur(ENOTDIR));
}

TEST_F(FichiersConsoleTest, AuBoutDesTrenteDeuxBitsLaNumerotationReprendA1) {
  EcrireTout(Compteur(), "[Dossier]\r\nNo=2147483647\r\n");
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "1");
  ASSERT_EQ(fenetre.lignes.size(), 1u);
  EXPECT_EQ(fenetre.lignes[0],
            "Numéro de dossier : le compteur a atteint 2147483647, la numérotation reprend à 1");
  EXPECT_EQ(LireTout(Compteur()), "[Dossier]\r\nNo=1\r\n");
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "2");
  EXPECT_EQ(fenetre.lignes.size(), 1u);

  EcrireTout(Compteur(), "[Dossier]\r\nNo=99999999999999\r\n");
  FichiersConsole autre(dossier.Chemin(), fenetre, horloge, std::locale::classic());
  EXPECT_EQ(autre.NouveauNumeroDossier(), "1");
}

TEST_F(FichiersConsoleTest, UnCompteurNegatifEstIgnore) {
  EcrireTout(Compteur(), "[Dossier]\r\nNo=-5\r\n");
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "1");
  ASSERT_EQ(fenetre.lignes.size(), 1u);
  EXPECT_EQ(fenetre.lignes[0],
            "Numéro de dossier : valeur -5 du compteur ignorée, la numérotation reprend à 1");
}

TEST_F(FichiersConsoleTest, JournalDateOctetPourOctetEtToujoursAjoute) {
  const std::string journal = dossier.Fichier("ZEF30test.txt");
  EcrireTout(journal, "ancien\r\n");
  fichiers.JournaliserTexte("Ticket\r\nligne 2");
  horloge.Fixer(2025, 1, 2, 3, 4, 5);
  fichiers.JournaliserTexte("");
  EXPECT_EQ(LireTout(journal),
            "ancien\r\n"
            "*** 12/31/24 23:59:58 *****************\r\nTicket\r\nligne 2\r\n"
            "*** 01/02/25 03:04:05 *****************\r\n\r\n");
  EXPECT_TRUE(fenetre.lignes.empty());
}

TEST_F(FichiersConsoleTest, JournalALaDateDuSysteme) {
  FichiersConsole systeme(dossier.Chemin(), fenetre);
  systeme.JournaliserTexte("x");
  const std::string contenu = LireTout(dossier.Fichier("ZEF30test.txt"));
  EXPECT_EQ(contenu.rfind("*** ", 0), 0u);
  EXPECT_NE(contenu.find(" *****************\r\nx\r\n"), std::string::npos);
}

TEST_F(FichiersConsoleTest, FichierImpossibleAEcrireDonneUneLigneEtLaConsoleContinue) {
  const std::string pasUnDossier = dossier.Fichier("pas-un-dossier");
  EcrireTout(pasUnDossier, "x");
  FichiersConsole ailleurs(pasUnDossier, fenetre, horloge, std::locale::classic());
  ailleurs.JournaliserTexte("reçu");
  ailleurs.EnregistrerTicket("reçu");
  ASSERT_EQ(fenetre.lignes.size(), 2u);
  EXPECT_EQ(fenetre.lignes[0], "Écriture impossible dans " + pasUnDossier +
                                   "/ZEF30test.txt : " + DecrireErreur(ENOTDIR));
  EXPECT_EQ(fenetre.lignes[1], "Écriture impossible dans " + pasUnDossier +
                                   "/ticket31-12_23h59.txt : " + DecrireErreur(ENOTDIR));
  EXPECT_EQ(LireTout(pasUnDossier), "x");
}

TEST_F(FichiersConsoleTest, TicketsNommesALaMinute) {
  fichiers.EnregistrerTicket("A");
  fichiers.EnregistrerTicket("B\r\nC");
  EXPECT_EQ(LireTout(dossier.Fichier("ticket31-12_23h59.txt")), "A\r\nB\r\nC\r\n");
  horloge.Fixer(2025, 1, 1, 0, 0, 0);
  fichiers.EnregistrerTicket("");
  EXPECT_EQ(LireTout(dossier.Fichier("ticket1-1_00h00.txt")), "\r\n");
  horloge.Fixer(2025, 3, 7, 9, 5, 59);
  EXPECT_EQ(NomFichierTicket(horloge.MaintenantLocal()), "ticket7-3_09h05.txt");
}

TEST_F(FichiersConsoleTest, LaBoiteAttendLOperateurSansTenirLeVerrou) {
  // No name left for the copy: the counter is locked and read, then the write fails.
  const std::string copie = Compteur() + "." + std::to_string(::getpid()) + "-";
  for (int essai = 0; essai < 100; ++essai) {
    ASSERT_EQ(::mkdir((copie + std::to_string(essai) + ".tmp").c_str(), 0777), 0);
  }
  bool libre = false;
  fenetre.surBoite = [&] {
    // Another console takes the lock while the operator has not pressed OK yet.
    const int fd = ::open(Compteur().c_str(), O_RDWR | O_CLOEXEC);
    libre = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) ::close(fd);
  };
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "1");
  ASSERT_EQ(fenetre.boites.size(), 1u);
  EXPECT_EQ(fenetre.boites[0].texte, FormaterErreur(EEXIST));
  EXPECT_TRUE(libre);
}

TEST_F(FichiersConsoleTest, UnCompteurPartageParUnLienEstCompteASaCible) {
  DossierTemporaire partage;
  DossierTemporaire banc2;
  const std::string cible = partage.Fichier("compteur.ini");
  EcrireTout(cible, "[Dossier]\r\nNo=10\r\n");
  // One bench links to it by its full path, the other by a relative one.
  ASSERT_EQ(::symlink(cible.c_str(), Compteur().c_str()), 0);
  const std::string relatif = std::filesystem::relative(cible, banc2.Chemin()).string();
  ASSERT_EQ(::symlink(relatif.c_str(), banc2.Fichier("ZEF30numDossier.ini").c_str()), 0);
  FichiersConsole autre(banc2.Chemin(), fenetre, horloge, std::locale::classic());

  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "11");
  EXPECT_EQ(autre.NouveauNumeroDossier(), "12");
  EXPECT_EQ(fichiers.NouveauNumeroDossier(), "13");
  EXPECT_TRUE(std::filesystem::is_symlink(Compteur()));
  EXPECT_TRUE(std::filesystem::is_symlink(banc2.Fichier("ZEF30numDossier.ini")));
  EXPECT_EQ(LireTout(cible), "[Dossier]\r\nNo=13\r\n");
  EXPECT_FALSE(std::filesystem::exists(cible + ".lock"));
  EXPECT_TRUE(fenetre.boites.empty());
}

TEST_F(FichiersConsoleTest, DeuxConsolesJournalisentSansMelerNiTronquer) {
  const std::string journal = dossier.Fichier("ZEF30test.txt");
  EcrireTout(journal, "ancien\r\n");
  constexpr int kRecords = 300;
  // Long records, so that two writes at once would show in each other.
  const auto texte = [](char console, int i) {
    return "console " + std::string(1, console) + " " + std::to_string(i) + "\r\n" +
           std::string(3000, console);
  };
  const auto journaliser = [&](char console) {
    return Enfant([&, console](int fd) {
      FenetreMemoire sienne;
      FichiersConsole siens(dossier.Chemin(), sienne, horloge, std::locale::classic());
      for (int i = 0; i < kRecords; ++i) siens.JournaliserTexte(texte(console, i));
      return Envoyer(fd, "fin\n") && sienne.lignes.empty() ? 0 : 1;
    });
  };
  Enfant a = journaliser('A');
  Enfant b = journaliser('B');
  for (Enfant* enfant : {&a, &b}) {
    EXPECT_EQ(enfant->Lire(1, std::chrono::seconds(60)), "fin\n");
    EXPECT_EQ(enfant->Attendre(), 0);
  }

  const std::string entete = "*** 12/31/24 23:59:58 *****************\r\n";
  const std::string contenu = LireTout(journal);
  ASSERT_EQ(contenu.rfind("ancien\r\n" + entete, 0), 0u);
  std::map<char, int> suivants{{'A', 0}, {'B', 0}};
  for (std::size_t debut = 8; debut < contenu.size();) {
    ASSERT_EQ(contenu.compare(debut, entete.size(), entete), 0) << debut;
    debut += entete.size();
    const char console = contenu.at(debut + 8);
    ASSERT_TRUE(suivants.count(console)) << debut;
    const std::string attendu = texte(console, suivants[console]++) + "\r\n";
    ASSERT_EQ(contenu.compare(debut, attendu.size(), attendu), 0) << debut;
    debut += attendu.size();
  }
  EXPECT_EQ(suivants['A'], kRecords);
  EXPECT_EQ(suivants['B'], kRecords);
}

// A folder of its own that is full or read-only for this process alone; false when the system
// does not let it mount one.
bool MonterDossier(const std::string& chemin, unsigned long options, const char* taille) {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", chemin.c_str(), "tmpfs", options, taille) == 0;
}

TEST_F(FichiersConsoleTest, UnDossierPleinOuEnLectureSeuleDonneUneLigneEtLaConsoleContinue) {
  const std::string enFaute = dossier.Fichier("en-faute");
  ASSERT_EQ(::mkdir(enFaute.c_str(), 0777), 0);
  const std::string journal = enFaute + "/ZEF30test.txt";
  const std::string ticket = enFaute + "/ticket31-12_23h59.txt";
  constexpr int kPasDeMontage = 77;
  // The record of 10 000 characters: its header line, the text, two line ends.
  const std::string record = std::to_string(
      FormaterEnteteJournal(horloge.MaintenantLocal(), std::locale::classic()).size() + 10004);
  struct Cas {
    std::string nom;
    std::function<bool()> preparer;
    std::vector<std::string> attendus;  // lines and boxes, in order, before "1" "2"
  };
  const Cas cas[] = {
      {"taille limitée",
       [] {
         const rlimit limite{4096, 4096};
         return ::setrlimit(RLIMIT_FSIZE, &limite) == 0;
       },
       {"ligne:Écriture incomplète dans " + journal + " (4096 octets sur " + record +
        ") : " + DecrireErreur(EFBIG)}},
      {"plein",
       [&] { return MonterDossier(enFaute, 0, "size=8k"); },
       // Given back, the log's room holds the receipt and one counter, not its copy.
       {"ligne:Écriture incomplète dans " + journal + " (8192 octets sur " + record +
            ") : " + DecrireErreur(ENOSPC),
        "boite:" + FormaterErreur(ENOSPC)}},
      {"lecture seule",
       [&] { return MonterDossier(enFaute, MS_RDONLY, "size=8k"); },
       {"ligne:Écriture impossible dans " + journal + " : " + DecrireErreur(EROFS),
        "ligne:Écriture impossible dans " + ticket + " : " + DecrireErreur(EROFS),
        "boite:" + FormaterErreur(EROFS), "boite:" + FormaterErreur(EROFS)}},
  };
  for (const Cas& c : cas) {
    Enfant console([&](int fd) {
      // As the console's own program does: a write past the size limit fails, nothing more.
      std::signal(SIGXFSZ, SIG_IGN);
      if (!c.preparer()) return kPasDeMontage;
      FenetreMemoire sienne;
      FichiersConsole siens(enFaute, sienne, horloge, std::locale::classic());
      siens.JournaliserTexte(std::string(10000, 'x'));
      siens.EnregistrerTicket(std::string(100, 'y'));
      std::string numeros = siens.NouveauNumeroDossier() + "\n";
      numeros += siens.NouveauNumeroDossier() + "\n";
      std::string sortie;
      for (const auto& ligne : sienne.lignes) sortie += "ligne:" + ligne + "\n";
      for (const auto& boite : sienne.boites) sortie += "boite:" + boite.texte + "\n";
      // A record that did not go whole leaves the log as it was.
      numeros += "journal:" + std::to_string(LireTout(journal).size()) + "\n";
      return Envoyer(fd, sortie + numeros + "fin\n") ? 0 : 1;
    });
    std::string attendu;
    for (const auto& ligne : c.attendus) attendu += ligne + "\n";
    const std::string recu = console.Lire(1000, std::chrono::seconds(30));
    const int fin = console.Attendre();
    if (fin == kPasDeMontage) {
      std::cout << "[ ignoré   ] " << c.nom << " : pas de montage permis ici\n";
      continue;
    }
    EXPECT_EQ(fin, 0) << c.nom;
    EXPECT_EQ(recu, attendu + "1\n2\njournal:0\nfin\n") << c.nom;
  }
}

// A folder that takes no new file, around a counter that may be written (a counter mounted
// there on its own): the counter is written in place.
TEST_F(FichiersConsoleTest, UnDossierEnLectureSeuleAutourDUnCompteurEcrivableCompteEnPlace) {
  const std::string ferme = dossier.Fichier("ferme");
  ASSERT_EQ(::mkdir(ferme.c_str(), 0777), 0);
  const std::string compteur = ferme + "/ZEF30numDossier.ini";
  constexpr int kPasDeMontage = 77;
  Enfant console([&](int fd) {
    if (!MonterDossier(ferme, 0, "size=64k")) return kPasDeMontage;
    EcrireTout(compteur, "[Dossier]\r\nNo=41\r\n");
    if (::mount(compteur.c_str(), compteur.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, ferme.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      return kPasDeMontage;
    }
    FenetreMemoire sienne;
    FichiersConsole siens(ferme, sienne, horloge, std::locale::classic());
    std::string sortie = siens.NouveauNumeroDossier() + "\n";
    sortie += siens.NouveauNumeroDossier() + "\n";
    sortie += LireTout(compteur);
    sortie += "boites:" + std::to_string(sienne.boites.size()) + "\n";
    return Envoyer(fd, sortie + "fin\n") ? 0 : 1;
  });
  const std::string recu = console.Lire(1000, std::chrono::seconds(30));
  const int fin = console.Attendre();
  if (fin == kPasDeMontage) GTEST_SKIP() << "pas de montage permis ici";
  EXPECT_EQ(fin, 0);
  EXPECT_EQ(recu, "42\n43\n[Dossier]\r\nNo=43\r\nboites:0\nfin\n");
}

TEST(SauvegardeTexte, ChaqueFinDeLigneDevientCRLF) {
  const struct {
    std::string texte, fichier;
  } cas[] = {
      {"TICKET\r\nMontant : 12,50 €\r\n", "TICKET\r\nMontant : 12,50 €\r\n"},
      {"tapé\nà la main\n\nfin", "tapé\r\nà la main\r\n\r\nfin"},
      {"a\rb\r\r\nc\n\r", "a\r\nb\r\n\r\nc\r\n\r\n"},
  };
  for (const auto& c : cas) EXPECT_EQ(EnFinsDeLigneCRLF(c.texte), c.fichier) << c.texte;
}

// The file the operator names for a saved text: a link or a pipe there is left as it is.
TEST(SauvegardeTexte, UnLienOuUnTubeALaPlaceDuFichierEstLaisse) {
  for (const bool tube : {false, true}) {
    DossierTemporaire dossier;
    const std::string texte = dossier.Fichier("texte.txt");
    EcrireTout(dossier.Fichier("autre"), "à garder");
    ASSERT_EQ(tube ? ::mkfifo(texte.c_str(), 0666) : ::symlink("autre", texte.c_str()), 0);
    FenetreMemoire fenetre;
    EXPECT_FALSE(EnregistrerTexteSous(fenetre, texte, "texte"));
    const std::string nature = tube ? "tube nommé" : "lien symbolique";
    EXPECT_EQ(fenetre.lignes, std::vector<std::string>{LigneEcritureImpossible(
                                  texte, nature + ", pas un fichier ordinaire")});
    EXPECT_EQ(LireTout(dossier.Fichier("autre")), "à garder");
  }
}

TEST(Dossiers, SeparateurEtEssaiDEcriture) {
  EXPECT_EQ(AjouterSeparateur(""), "/");
  EXPECT_EQ(AjouterSeparateur("/"), "/");
  EXPECT_EQ(AjouterSeparateur("/opt/zef30"), "/opt/zef30/");
  EXPECT_EQ(AjouterSeparateur("/opt/zef30/"), "/opt/zef30/");

  DossierTemporaire dossier;
  // The user's own test.tst, here a link to a file of theirs: neither written nor deleted.
  EcrireTout(dossier.Fichier("a-garder"), "à moi");
  ASSERT_EQ(::symlink("a-garder", dossier.Fichier("test.tst").c_str()), 0);
  EXPECT_TRUE(TesterEcritureRepertoire(dossier.Chemin()));
  EXPECT_TRUE(TesterEcritureRepertoire(dossier.Chemin() + "/"));
  EXPECT_EQ(LireTout(dossier.Fichier("test.tst")), "à moi");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dossier.Chemin()), {}), 2);
  EXPECT_FALSE(TesterEcritureRepertoire(dossier.Fichier("absent")));
  EcrireTout(dossier.Fichier("fichier"), "x");
  EXPECT_FALSE(TesterEcritureRepertoire(dossier.Fichier("fichier")));
}

TEST(Dossiers, UnEnvironnementSansLocaleUtilisableDonneLaClassique) {
  const char* avant = std::getenv("LC_ALL");
  const std::string sauve = avant ? avant : "";
  ::setenv("LC_ALL", "xx_ZZ.inexistante", 1);
  const std::locale locale = LocaleUtilisateur();
  if (avant) {
    ::setenv("LC_ALL", sauve.c_str(), 1);
  } else {
    ::unsetenv("LC_ALL");
  }
  EXPECT_EQ(locale, std::locale::classic());
}

}  // namespace
}  // namespace zef30
