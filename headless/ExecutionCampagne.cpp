#include "headless/ExecutionCampagne.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>

#include "base/HorlogeMurale.h"
#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "headless/Campagne.h"
#include "headless/ConclusionCampagne.h"
#include "headless/JournalCampagne.h"
#include "headless/LignesCampagne.h"
#include "headless/ProgressionCampagne.h"
#include "link/Signaux.h"

extern char** environ;

namespace zef30 {

namespace {

// Beyond the longest wait of a request (a tele-collection's), a line that says nothing is hung.
constexpr Horloge::Secondes kSilenceRequete = std::chrono::seconds(900 + 60);
// A line's process is told its parent's number by it, to end with it.
constexpr const char* kVariableParent = "ZEF30_PROCESSUS_CAMPAGNE";
// In each line's folder: what its process said on its error stream.
constexpr const char* kErreursLigne = "erreurs.txt";

// The exit code of a campaign stopped before its end (Ctrl-C, its standard output closed), as a
// shell gives a program Ctrl-C ended.
constexpr int kCodeInterrompue = 130;

// What the line of port `ligne` is, and the serial number its terminal gave in a consultation.
std::string Terminal(const CommandeSansFenetre& options, int ligne,
                     const ParcoursExecutions& executions) {
  std::string texte = "ligne " + std::to_string(ligne) + " : ";
  if (options.simulateur && options.ports.count(ligne) == 0) {
    texte += "terminal simulé de zef30-console " ZEF30_VERSION;
  } else {
    texte += options.Table().Chemin(ligne);
  }
  std::string serie;
  executions([&](const ExecutionRequete& e) {
    if (serie.empty() && e.ligne == ligne && e.reussie) serie = e.numeroSerie;
  });
  return serie.empty() ? texte : texte + ", No Serie: " + serie;
}

ReglagesCampagne Reglages(const CommandeSansFenetre& options, const std::locale& locale) {
  ReglagesCampagne reglages;
  reglages.repetitions = options.campagne.repetitions;
  // A duration alone runs as many turns as it takes.
  if (options.campagne.duree && !options.campagne.repetitionsDonnees) reglages.repetitions = 0;
  if (options.campagne.duree) reglages.duree = Horloge::Secondes(*options.campagne.duree);
  reglages.ligne = options.campagne.lignes.size() == 1 ? options.campagne.lignes.front() : 0;
  reglages.json = options.json;
  reglages.raconter = options.campagne.bavard;
  reglages.locale = locale;
  return reglages;
}

// What the end of the run says, its records read back from `journal`.
SortiesCampagne Sorties(const CommandeSansFenetre& options, const std::locale& locale,
                        const DebutMural& debut, const JournalCampagne& journal) {
  SortiesCampagne sorties;
  sorties.enregistrements = journal.Chemin();
  sorties.json = options.json;
  sorties.locale = locale;
  const auto& c = options.campagne;
  sorties.tableau = c.repetitionsDonnees || c.duree || !c.lignes.empty();
  sorties.junit = c.junit;
  sorties.rapport = options.campagne.rapport;
  sorties.horodatage = debut.horodatage;
  sorties.description.debut = debut.texte;
  sorties.description.console = "zef30-console " ZEF30_VERSION;
  sorties.description.script = options.script.value_or("");
  std::vector<int> lignes = options.campagne.lignes;
  if (lignes.empty()) lignes.push_back(1);
  for (const int ligne : lignes) {
    sorties.description.terminaux.push_back(Terminal(options, ligne, journal.Parcours()));
  }
  return sorties;
}

int Progression(const CommandeSansFenetre& options, const std::vector<RequeteScriptee>& requetes) {
  const auto& c = options.campagne;
  if (c.duree && !c.repetitionsDonnees) return 0;
  // Operator steps send nothing and make no record.
  return c.repetitions *
         static_cast<int>(std::count_if(requetes.begin(), requetes.end(),
                                        [](const RequeteScriptee& r) { return !r.operateur; }));
}

// How the campaign ended besides its runs, said on `erreurs` when it was stopped.
FinCampagne Fin(const JournalCampagne& journal, bool interrompue, bool sortieFermee, int prevues,
                std::ostream& erreurs) {
  FinCampagne fin;
  fin.interrompue = interrompue || sortieFermee;
  fin.arret = sortieFermee ? "sortie standard fermée" : "Ctrl-C";
  fin.prevues = prevues;
  fin.journal = journal.Chemin();
  fin.erreurJournal = journal.Erreur();
  fin.horsJournal = journal.HorsFichier();
  fin.perdues = journal.Perdues();
  FinCampagne dite = fin;
  dite.horsJournal = dite.perdues = 0;
  for (const auto& phrase : PhrasesFin(dite, journal.Nombre()))
    erreurs << "zef30-console : " << phrase << std::endl;
  return fin;
}

// The first failure's code; otherwise 130 for a campaign stopped before its end, 3 for a line
// that did not end by itself, 1 for a record or a report that could not be written.
int CodeFin(const JournalCampagne& journal, const FinCampagne& fin, bool lignesEntieres,
            bool rapportsEcrits, std::ostream& erreurs) {
  const int code = CodeSortie(journal.PremierEchec(), erreurs);
  if (code != 0) return code;
  if (fin.interrompue) return kCodeInterrompue;
  if (!lignesEntieres) return 3;
  return rapportsEcrits && journal.HorsFichier() == 0 ? 0 : 1;
}

Horloge::Secondes SilenceMaximal(const std::vector<RequeteScriptee>& requetes) {
  Horloge::Secondes ecoute{};
  for (const auto& requete : requetes) {
    const BoutonConsole* famille = BoutonDeFamille(requete.famille);
    ecoute = std::max(
        ecoute, requete.duree.value_or(famille ? famille->dureeEcoute : Horloge::Secondes::zero()));
  }
  return kSilenceRequete + ecoute;
}

std::string DossierLigne(const std::string& dossier, int ligne) {
  return AjouterSeparateur(dossier) + "ligne-" + std::to_string(ligne);
}

// Starts line `ligne`'s process, its standard output on a pipe of ours, its error stream appended
// to the file `fichierErreurs` (the lines' own messages and Ctrl-C notices would otherwise cross on
// the terminal). pid -1 when it could not.
ProcessusLigne Lancer(const std::vector<std::string>& arguments, int ligne,
                      const std::string& fichierErreurs) {
  ProcessusLigne p;
  p.ligne = ligne;
  int tube[2];
  if (::pipe2(tube, O_CLOEXEC) != 0) return p;
  std::vector<char*> argv;
  std::string nom = "zef30-console";
  argv.push_back(nom.data());
  std::vector<std::string> copies = arguments;
  for (auto& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Its own process group: Ctrl-C at the terminal reaches this process alone, which passes the
  // stop on to every line once (a line given two would end at once, its request cut). The
  // script was read here already: a line reads nothing on standard input.
  posix_spawnattr_t attributs;
  posix_spawnattr_init(&attributs);
  posix_spawnattr_setpgroup(&attributs, 0);
  posix_spawnattr_setflags(&attributs, POSIX_SPAWN_SETPGROUP);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, tube[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, fichierErreurs.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  // It ends with this process, however this one ends (SIGKILL included): see main.
  std::vector<std::string> environnement;
  for (char** v = environ; v != nullptr && *v != nullptr; ++v) {
    if (!std::string_view(*v).starts_with(kVariableParent + std::string("=")))
      environnement.emplace_back(*v);
  }
  environnement.push_back(kVariableParent + std::string("=") + std::to_string(::getpid()));
  std::vector<char*> envp;
  for (auto& v : environnement) envp.push_back(v.data());
  envp.push_back(nullptr);
  const int erreur =
      ::posix_spawn(&p.pid, "/proc/self/exe", &actions, &attributs, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributs);
  ::close(tube[1]);
  if (erreur != 0) {
    ::close(tube[0]);
    p.pid = -1;
    return p;
  }
  p.fd = tube[0];
  return p;
}

// Tells the operator what to do, on `erreurs`, and waits for Enter on standard input: false for
// Ctrl-C or the end of that input.
bool AttendreOperateur(const std::string& texte, std::ostream& erreurs) {
  erreurs << "opérateur : " << NommerControles(texte) << "\n  (Entrée pour continuer, Ctrl-C pour "
          << "arrêter le plan)" << std::endl;
  pollfd entree{STDIN_FILENO, POLLIN, 0};
  for (;;) {
    // Ctrl-C interrupts the wait (a read would be restarted after it).
    if (::poll(&entree, 1, -1) < 0) {
      if (errno == EINTR && !ArretDemande()) continue;
      return false;
    }
    char c = 0;
    const ssize_t lu = ::read(STDIN_FILENO, &c, 1);
    if (lu < 0 && errno == EINTR) continue;
    if (lu <= 0) return false;
    if (c == '\n') return true;
  }
}

// A campaign, or a run whose reports must be written, ends on a first Ctrl-C after the request
// under way; a plain run ends at once, as the window does.
void ArreterEnDouceurSiCampagne(const OptionsCampagne& c) {
  if (c.repetitionsDonnees || c.duree || !c.lignes.empty() || c.junit || c.rapport) {
    ArreterEnDouceurSurSigint();
  }
}

}  // namespace

DebutMural MaintenantMural() {
  const std::tm maintenant = HorlogeMuraleSysteme().MaintenantLocal();
  DebutMural debut;
  char texte[32];
  std::strftime(texte, sizeof texte, "%Y-%m-%dT%H:%M:%S", &maintenant);
  debut.horodatage = texte;
  std::strftime(texte, sizeof texte, "%Y-%m-%d %H:%M:%S", &maintenant);
  debut.texte = texte;
  return debut;
}

void NommerPortParDefaut(const CommandeSansFenetre& options, int numero, std::ostream& erreurs) {
  if (options.simulateur || options.ports.count(numero) != 0) return;
  erreurs << "zef30-console : ni --port ni --simulator : la ligne est le port " << numero << ", "
          << options.Table().Chemin(numero) << std::endl;
}

void SuivreCampagneParente() {
  const char* parent = std::getenv(kVariableParent);
  if (parent == nullptr) return;
  const auto numero = LireEntierStrict(parent);
  ::unsetenv(kVariableParent);
  if (!numero) return;
  (void)::prctl(PR_SET_PDEATHSIG, SIGTERM);
  // Its campaign may have ended before it asked.
  if (::getppid() != static_cast<pid_t>(*numero)) ::raise(SIGTERM);
}

int ExecuterSansFenetre(const CommandeSansFenetre& options, Console& console, FenetreTexte& fenetre,
                        const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                        const std::string& trace, const DebutMural& debut, std::ostream& sortie,
                        std::ostream& erreurs) {
  ArreterEnDouceurSiCampagne(options.campagne);
  DireArretSurSignal();
  NommerPortParDefaut(options, console.etat.NumeroPortCom, erreurs);
  fenetre.SuivreEcoutes(erreurs, console.liaison.HorlogeLiaison(),
                        !options.json && ::isatty(STDERR_FILENO) == 1);
  const std::locale locale = LocaleUtilisateur();
  ReglagesCampagne reglages = Reglages(options, locale);
  reglages.avertissements = &erreurs;
  reglages.sansOperateur = options.sansOperateur;
  const bool operateur = std::any_of(requetes.begin(), requetes.end(),
                                     [](const RequeteScriptee& r) { return r.operateur; });
  if (operateur && !options.sansOperateur) {
    // Ctrl-C while the operator is asked ends the plan with its reports, as a campaign's does.
    ArreterEnDouceurSurSigint();
    reglages.operateur = [&erreurs](const std::string& texte) {
      return AttendreOperateur(texte, erreurs);
    };
  }
  ProgressionCampagne progression(erreurs, !options.json && ::isatty(STDERR_FILENO) == 1,
                                  console.liaison.HorlogeLiaison(), Progression(options, requetes),
                                  options.campagne.duree, locale);
  FluxSousProgression flux(sortie.rdbuf(), progression);
  std::ostream dite(&flux);
  JournalCampagne journal(CheminJournal(dossier, debut.horodatage), &erreurs);
  // A closed standard output (`| head -1`) ends the campaign as a first Ctrl-C does: after the
  // request under way, with its reports written.
  bool fermee = false;
  const auto arret = [&] {
    fermee = fermee || !dite.good();
    return ArretDemande() || fermee;
  };
  const auto campagne = ExecuterCampagne(
      console, fenetre, requetes, reglages, dite, arret,
      [&](const ExecutionRequete& e) { progression.Noter(e); }, &journal);
  progression.Terminer();
  fermee = fermee || !dite.good();
  SortiesCampagne sorties = Sorties(options, locale, debut, journal);
  sorties.fin = Fin(journal, campagne.interrompue, fermee, Progression(options, requetes), erreurs);
  sorties.dossiers = {dossier};
  if (!trace.empty()) sorties.traces = {trace};
  FenetreTexte fenetreRapports;
  const bool ecrits = ConclureCampagne(journal.Parcours(), sorties, fenetreRapports, dite, erreurs);
  return CodeFin(journal, sorties.fin, true, ecrits, erreurs);
}

int RefaireRapports(const OptionsCampagne& campagne, std::ostream& sortie, std::ostream& erreurs) {
  const std::string& chemin = *campagne.depuisJournal;
  const auto journal = LireJournal(chemin);
  if (!journal) {
    erreurs << "zef30-console : --report-from " << journal.Erreur().texte << std::endl;
    return 2;
  }
  SortiesCampagne sorties;
  sorties.locale = LocaleUtilisateur();
  sorties.tableau = true;
  sorties.junit = campagne.junit;
  sorties.rapport = campagne.rapport;
  sorties.enregistrements = chemin;
  // When it began, from the journal's name ("campagne-2026-12-08_23-10-00.jsonl").
  const std::string nom = chemin.substr(chemin.find_last_of('/') + 1);
  if (nom.starts_with("campagne-") && nom.size() >= 28) {
    std::string moment = nom.substr(9, 19);
    moment[10] = 'T';
    moment[13] = moment[16] = ':';
    sorties.horodatage = moment;
    moment[10] = ' ';
    sorties.description.debut = moment;
  }
  sorties.description.console = "zef30-console " ZEF30_VERSION;
  sorties.description.terminaux.push_back("rapport refait du journal " + chemin);
  const ExecutionRequete* premier = nullptr;
  std::optional<ExecutionRequete> echec;
  (*journal)([&](const ExecutionRequete& e) {
    if (!e.reussie && (!echec || e.debut < echec->debut)) echec = e;
  });
  if (echec) premier = &*echec;
  FenetreTexte fenetre;
  const bool ecrits = ConclureCampagne(*journal, sorties, fenetre, sortie, erreurs);
  const int code = CodeSortie(premier, erreurs);
  return code != 0 ? code : ecrits ? 0 : 1;
}

int ExecuterLignes(const CommandeSansFenetre& options, const ArgumentsDeLigne& argumentsLigne,
                   const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                   std::ostream& sortie, std::ostream& erreurs) {
  ArreterEnDouceurSurSigint();
  const std::locale locale = LocaleUtilisateur();
  std::vector<std::string> dossiers, traces;
  std::vector<ProcessusLigne> processus;
  for (const int ligne : options.campagne.lignes) {
    const std::string sien = DossierLigne(dossier, ligne);
    std::error_code ignore;
    std::filesystem::create_directories(sien, ignore);
    const std::string trace = TraceDeLigne(options.fichierTrace.value_or(""), ligne);
    dossiers.push_back(sien);
    if (!trace.empty()) traces.push_back(trace);
    const ProcessusLigne p =
        Lancer(argumentsLigne(ligne, sien, trace), ligne, AjouterSeparateur(sien) + kErreursLigne);
    if (p.pid < 0) {
      erreurs << "ligne " << ligne << " : le processus ne peut pas démarrer" << std::endl;
      continue;
    }
    processus.push_back(p);
  }
  const DebutMural debut = MaintenantMural();
  JournalCampagne journal(CheminJournal(dossier, debut.horodatage), &erreurs);
  HorlogeSysteme horloge;
  ProgressionCampagne progression(erreurs, !options.json && ::isatty(STDERR_FILENO) == 1, horloge,
                                  Progression(options, requetes), options.campagne.duree, locale);
  FluxSousProgression flux(sortie.rdbuf(), progression);
  std::ostream dite(&flux);
  bool fermee = false;
  const auto bilans = RassemblerLignes(
      processus, horloge, SilenceMaximal(requetes),
      [&](const ExecutionRequete& e) {
        if (options.json) {
          dite << EnJson(e, nullptr) << std::endl;
        } else {
          dite << "ligne " << e.ligne << " · " << LigneRequete(e, locale) << std::endl;
        }
        progression.Noter(e);
      },
      &journal,
      [&] {
        fermee = fermee || !dite.good();
        return ArretDemande() || fermee;
      });
  progression.Terminer();
  bool entieres = processus.size() == options.campagne.lignes.size();
  bool interrompue = ArretDemande();
  for (const auto& bilan : bilans) {
    interrompue = interrompue || bilan.interrompue;
    if (bilan.fin.empty()) continue;
    entieres = false;
    erreurs << "ligne " << bilan.ligne << " : " << bilan.fin << " (voir "
            << AjouterSeparateur(DossierLigne(dossier, bilan.ligne)) << kErreursLigne << ")"
            << std::endl;
  }
  SortiesCampagne sorties = Sorties(options, locale, debut, journal);
  sorties.fin = Fin(
      journal, interrompue, fermee,
      Progression(options, requetes) * static_cast<int>(options.campagne.lignes.size()), erreurs);
  sorties.dossiers = dossiers;
  sorties.traces = traces;
  FenetreTexte fenetre;
  const bool ecrits = ConclureCampagne(journal.Parcours(), sorties, fenetre, dite, erreurs);
  return CodeFin(journal, sorties.fin, entieres, ecrits, erreurs);
}

}  // namespace zef30
