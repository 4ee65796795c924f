#include "app/ExecutionCampagne.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>

#include "app/LignesCampagne.h"
#include "base/HorlogeMurale.h"
#include "base/Texte.h"
#include "console/FichiersConsole.h"
#include "headless/Campagne.h"
#include "headless/ConclusionCampagne.h"
#include "headless/JournalCampagne.h"
#include "headless/ProgressionCampagne.h"
#include "link/Signaux.h"
#include "link/TablePorts.h"

extern char** environ;

namespace zef30 {

namespace {

// Beyond the longest wait of a request (a tele-collection's), a line that says nothing is hung.
constexpr double kSilenceRequete = 900 + 60;
// In each line's folder: what its process said on its error stream.
constexpr const char* kErreursLigne = "erreurs.txt";

// When a campaign began, as JUnit writes it; its journal is named after it.
constexpr const char* kHorodatage = "%Y-%m-%dT%H:%M:%S";

std::string MomentMural(const char* format) {
  const std::tm maintenant = HorlogeMuraleSysteme().MaintenantLocal();
  char texte[32];
  std::strftime(texte, sizeof texte, format, &maintenant);
  return texte;
}

// What the line of port `ligne` is, and the serial number its terminal gave in a consultation.
std::string Terminal(const OptionsConsole& options, int ligne,
                     const ParcoursExecutions& executions) {
  std::string texte = "ligne " + std::to_string(ligne) + " : ";
  if (const auto port = options.ports.find(ligne); port != options.ports.end()) {
    texte += port->second;
  } else if (options.simulateur) {
    texte += "terminal simulé de zef30-console " ZEF30_VERSION;
  } else {
    texte += TablePorts().Chemin(ligne);
  }
  std::string serie;
  executions([&](const ExecutionRequete& e) {
    if (serie.empty() && e.ligne == ligne && e.reussie) serie = e.numeroSerie;
  });
  return serie.empty() ? texte : texte + ", No Serie: " + serie;
}

ReglagesCampagne Reglages(const OptionsConsole& options, const std::locale& locale) {
  ReglagesCampagne reglages;
  reglages.repetitions = options.campagne.repetitions;
  // A duration alone runs as many turns as it takes.
  if (options.campagne.duree && !options.campagne.repetitionsDonnees) reglages.repetitions = 0;
  reglages.duree = options.campagne.duree;
  reglages.ligne = options.campagne.lignes.size() == 1 ? options.campagne.lignes.front() : 0;
  reglages.json = options.json;
  reglages.raconter = options.campagne.bavard;
  reglages.locale = locale;
  return reglages;
}

// What the end of the run says, its records read back from `journal`.
SortiesCampagne Sorties(const OptionsConsole& options, const std::locale& locale,
                        const std::string& horodatage, const JournalCampagne& journal) {
  SortiesCampagne sorties;
  sorties.enregistrements = journal.Chemin();
  sorties.json = options.json;
  sorties.locale = locale;
  const auto& c = options.campagne;
  sorties.tableau = c.repetitionsDonnees || c.duree || !c.lignes.empty();
  sorties.junit = c.junit;
  sorties.rapport = options.campagne.rapport;
  sorties.horodatage = horodatage;
  sorties.description.debut = MomentMural("%Y-%m-%d %H:%M:%S");
  sorties.description.console = "zef30-console " ZEF30_VERSION;
  sorties.description.script = options.script.value_or("");
  std::vector<int> lignes = options.campagne.lignes;
  if (lignes.empty()) lignes.push_back(1);
  for (const int ligne : lignes) {
    sorties.description.terminaux.push_back(Terminal(options, ligne, journal.Parcours()));
  }
  return sorties;
}

int Progression(const OptionsConsole& options, const std::vector<RequeteScriptee>& requetes) {
  const auto& c = options.campagne;
  if (c.duree && !c.repetitionsDonnees) return 0;
  return c.repetitions * static_cast<int>(requetes.size());
}

double SilenceMaximal(const std::vector<RequeteScriptee>& requetes) {
  double ecoute = 0;
  for (const auto& requete : requetes) {
    const BoutonConsole* famille = BoutonDeFamille(requete.famille);
    ecoute = std::max(ecoute, requete.duree.value_or(famille ? famille->dureeEcoute : 0));
  }
  return kSilenceRequete + ecoute;
}

std::string DossierLigne(const std::string& dossier, int ligne) {
  return AjouterSeparateur(dossier) + "ligne-" + std::to_string(ligne);
}

// Starts line `ligne`'s process, its standard output on a pipe of ours, its error stream appended
// to `erreurs` (the lines' own messages and Ctrl-C notices would otherwise cross on the
// terminal). pid -1 when it could not.
ProcessusLigne Lancer(const std::vector<std::string>& arguments, int ligne,
                      const std::string& erreurs) {
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
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, tube[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, erreurs.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  const int erreur =
      ::posix_spawn(&p.pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(tube[1]);
  if (erreur != 0) {
    ::close(tube[0]);
    p.pid = -1;
    return p;
  }
  p.fd = tube[0];
  return p;
}

// A campaign, or a run whose reports must be written, ends on a first Ctrl-C after the request
// under way; a plain run ends at once, as the window does.
void ArreterEnDouceurSiCampagne(const OptionsCampagne& c) {
  if (c.repetitionsDonnees || c.duree || !c.lignes.empty() || c.junit || c.rapport) {
    ArreterEnDouceurSurSigint();
  }
}

}  // namespace

int ExecuterSansFenetre(const OptionsConsole& options, Console& console, FenetreTexte& fenetre,
                        const std::vector<RequeteScriptee>& requetes, const std::string& dossier,
                        const std::string& trace, std::ostream& sortie, std::ostream& erreurs) {
  ArreterEnDouceurSiCampagne(options.campagne);
  const int numero = console.etat.NumeroPortCom;
  // Neither a port nor the simulated terminal: the machine's own port, which may well be no
  // terminal at all. Said before anything is sent there.
  if (!options.simulateur && options.ports.count(numero) == 0) {
    erreurs << "zef30-console : ni --port ni --simulator : la ligne est le port " << numero << ", "
            << TablePorts().Chemin(numero) << std::endl;
  }
  fenetre.SuivreEcoutes(erreurs, console.liaison.HorlogeLiaison(),
                        !options.json && ::isatty(STDERR_FILENO) == 1);
  const std::locale locale = LocaleUtilisateur();
  const ReglagesCampagne reglages = Reglages(options, locale);
  ProgressionCampagne progression(erreurs, !options.json && ::isatty(STDERR_FILENO) == 1,
                                  console.liaison.HorlogeLiaison(), Progression(options, requetes),
                                  options.campagne.duree, locale);
  const std::string horodatage = MomentMural(kHorodatage);
  JournalCampagne journal(CheminJournal(dossier, horodatage));
  const auto campagne = ExecuterCampagne(
      console, fenetre, requetes, reglages, sortie, [] { return ArretDemande(); },
      [&](const ExecutionRequete& e) { progression.Noter(e); }, &journal);
  progression.Terminer();
  if (campagne.interrompue) {
    erreurs << "arrêtée par Ctrl-C après " << journal.Nombre() << " requêtes" << std::endl;
  }
  SortiesCampagne sorties = Sorties(options, locale, horodatage, journal);
  sorties.dossiers = {dossier};
  if (!trace.empty()) sorties.traces = {trace};
  FenetreTexte fenetreRapports;
  const bool ecrits =
      ConclureCampagne(journal.Parcours(), sorties, fenetreRapports, sortie, erreurs);
  const int code = CodeSortie(journal.PremierEchec(), erreurs);
  return code == 0 && !ecrits ? 1 : code;
}

int ExecuterLignes(const OptionsConsole& options, const std::vector<std::string>& arguments,
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
    const ProcessusLigne p = Lancer(ArgumentsLigne(arguments, ligne, sien, trace), ligne,
                                    AjouterSeparateur(sien) + kErreursLigne);
    if (p.pid < 0) {
      erreurs << "ligne " << ligne << " : le processus ne peut pas démarrer" << std::endl;
      continue;
    }
    processus.push_back(p);
  }
  const std::string horodatage = MomentMural(kHorodatage);
  JournalCampagne journal(CheminJournal(dossier, horodatage));
  HorlogeSysteme horloge;
  ProgressionCampagne progression(erreurs, !options.json && ::isatty(STDERR_FILENO) == 1, horloge,
                                  Progression(options, requetes), options.campagne.duree, locale);
  const auto bilans = RassemblerLignes(
      processus, horloge, SilenceMaximal(requetes),
      [&](const ExecutionRequete& e) {
        if (options.json) {
          sortie << EnJson(e, nullptr) << std::endl;
        } else {
          progression.Terminer();
          sortie << "ligne " << e.ligne << " · " << LigneRequete(e, locale) << std::endl;
        }
        progression.Noter(e);
      },
      &journal);
  progression.Terminer();
  bool entieres = processus.size() == options.campagne.lignes.size();
  for (const auto& bilan : bilans) {
    if (bilan.fin.empty()) continue;
    entieres = false;
    erreurs << "ligne " << bilan.ligne << " : " << bilan.fin << " (voir "
            << AjouterSeparateur(DossierLigne(dossier, bilan.ligne)) << kErreursLigne << ")"
            << std::endl;
  }
  SortiesCampagne sorties = Sorties(options, locale, horodatage, journal);
  sorties.dossiers = dossiers;
  sorties.traces = traces;
  FenetreTexte fenetre;
  const bool ecrits = ConclureCampagne(journal.Parcours(), sorties, fenetre, sortie, erreurs);
  const int code = CodeSortie(journal.PremierEchec(), erreurs);
  if (code != 0) return code;
  return !entieres ? 3 : ecrits ? 0 : 1;
}

}  // namespace zef30
