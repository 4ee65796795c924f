#include "headless/Pilotage.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

#include "base/ErreursSysteme.h"
#include "base/Json.h"
#include "base/Texte.h"
#include "console/Gestionnaires.h"
#include "headless/AttentesPlan.h"
#include "headless/ResumeCampagne.h"
#include "link/Signaux.h"
#include "requests/ModeMaintenance.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

// A port that cannot be waited on with the channel waits this long at most between two looks
// at the channel: a stop is heard within it.
constexpr Horloge::Secondes kTrancheSansDescripteur = 20ms;
// The exit code of a run stopped before its end, as a campaign's.
constexpr int kCodeInterrompue = 130;
// How long a listening that only "Sortie Ecoute" ends goes on without "duree": until "arret".
constexpr Horloge::Secondes kEcouteJusquArret = std::chrono::hours(24);

constexpr const char* kLigneTropLongue = "ligne de plus de 64 Kio : refusée entière";

bool EstAffichage(Panneau panneau) {
  return panneau == Panneau::PanelAnnulation || panneau == Panneau::PanelRefus;
}

// Asleep until one of `attentes` is ready, `delaiMs` has passed (-1: no limit) or a signal
// has come, unless a stop is asked already: a Ctrl-C that comes just before the sleep wakes it
// too (SIGINT waits while the stop is looked at, and is let through by the sleep alone).
void Dormir(std::vector<pollfd>& attentes, int delaiMs, const std::function<bool()>& arret) {
  sigset_t retenus, avant;
  sigemptyset(&retenus);
  sigaddset(&retenus, SIGINT);
  pthread_sigmask(SIG_BLOCK, &retenus, &avant);
  if (!arret || !arret()) {
    timespec delai{delaiMs / 1000, (delaiMs % 1000) * 1'000'000L};
    (void)::ppoll(attentes.data(), attentes.size(), delaiMs < 0 ? nullptr : &delai, &avant);
  }
  pthread_sigmask(SIG_SETMASK, &avant, nullptr);
}

// A number as JSON writes it: whole numbers without a fraction.
std::string NombreJson(double valeur) {
  if (!std::isfinite(valeur)) return "null";
  char texte[48];
  if (std::fabs(valeur) < 1e15 && valeur == std::floor(valeur)) {
    std::snprintf(texte, sizeof texte, "%lld", static_cast<long long>(valeur));
  } else {
    std::snprintf(texte, sizeof texte, "%.17g", valeur);
  }
  return texte;
}

std::string Erreur(const std::string& id, const std::string& raison) {
  return "{\"id\":" + id + ",\"erreur\":" + EnChaineJson(raison) + "}";
}

// The request's --json record, its id first, then at the end its receipts' text and the dossier
// number the console holds after it (the one a validity drew, for the registration after it).
std::string Reponse(const std::string& id, const ExecutionRequete& e, const Releve& releve,
                    const std::string& dossier) {
  std::string ticket;
  for (const auto& texte : releve.textes) ticket += (ticket.empty() ? "" : "\n") + texte;
  // The record is one object that always begins with its rank: its brace goes.
  std::string record = EnJson(e, &releve);
  record.pop_back();
  return "{\"id\":" + id + "," + record.substr(1) + ",\"ticket\":" + EnChaineJson(ticket) +
         ",\"dossier\":" + EnChaineJson(dossier) + "}";
}

}  // namespace

const char* NomEvenement(EvenementFenetre::Genre genre) {
  switch (genre) {
    case EvenementFenetre::Genre::Affichage:
      return "affichage";
    case EvenementFenetre::Genre::Ecoute:
      return "ecoute";
    case EvenementFenetre::Genre::Etat:
      return "etat";
  }
  return "affichage";
}

// --- The window's events ---

void FenetreEvenements::Ecouter(std::function<void(const EvenementFenetre&)> ecouteur) {
  ecouteur_ = std::move(ecouteur);
}

void FenetreEvenements::RemettreAZero() {
  ecoute_ = false;
  legendeEcoute_.clear();
  etat_ = LireEtat();
}

void FenetreEvenements::Dire(EvenementFenetre::Genre genre, const std::string& texte) {
  if (ecouteur_) ecouteur_(EvenementFenetre{genre, texte});
}

void FenetreEvenements::AfficherEtat(const std::string& contexte, const std::string& message) {
  FenetreRelais::AfficherEtat(contexte, message);
  std::string texte = TexteEtat(contexte, message);
  if (texte == etat_) return;
  etat_ = std::move(texte);
  // An emptied status line says nothing a test would wait for.
  if (!etat_.empty()) Dire(EvenementFenetre::Genre::Etat, etat_);
}

void FenetreEvenements::DefinirLegende(Panneau panneau, const std::string& texte) {
  FenetreRelais::DefinirLegende(panneau, texte);
  if (EstAffichage(panneau)) {
    Dire(EvenementFenetre::Genre::Affichage, texte);
  } else if (texte != legendeEcoute_) {
    legendeEcoute_ = texte;
    if (!texte.empty()) Dire(EvenementFenetre::Genre::Ecoute, texte);
  }
}

void FenetreEvenements::DefinirVisible(Panneau panneau, bool visible) {
  FenetreRelais::DefinirVisible(panneau, visible);
  if (!visible && EstAffichage(panneau)) ecoute_ = false;
}

void FenetreEvenements::CederAuxEvenements() {
  // Only a listener lets the window work while its request runs.
  ecoute_ = true;
  FenetreRelais::CederAuxEvenements();
}

void FenetreEvenements::AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) {
  ecoute_ = true;
  FenetreRelais::AttendreLigneOuEvenement(port, echeance);
}

// --- The session ---

SessionPilote::SessionPilote(Console& console, FenetreEvenements& fenetre, CanalPilote& canal,
                             ExecuteurPilote executer, JournalCampagne* journal,
                             std::ostream* erreurs)
    : console_(console),
      fenetre_(fenetre),
      canal_(canal),
      executer_(std::move(executer)),
      journal_(journal),
      erreurs_(erreurs) {}

void SessionPilote::Repondre(const std::string& ligne) {
  if (sortieFermee_) return;
  if (!canal_.Ecrire(ligne)) sortieFermee_ = finie_ = true;
}

void SessionPilote::TraiterEnAttente() {
  // A listening under way is ended as "arret" ends it when the run must stop (Ctrl-C, nobody
  // reading the answers), or when nobody is left to send the "arret" it waits for.
  const char* pourquoi = arret_ && arret_()            ? "arrêt demandé"
                         : sortieFermee_               ? "plus personne ne lit les réponses"
                         : entreeFinie_ && jusquArret_ ? "plus aucune commande ne viendra"
                                                       : nullptr;
  if (pourquoi != nullptr && enCours_ && !arretEcoute_ && fenetre_.EcouteEnCours()) {
    arretEcoute_ = true;
    if (erreurs_ != nullptr) {
      *erreurs_ << "zef30-console : « Sortie Ecoute » pour l’écoute en cours : " << pourquoi
                << std::endl;
    }
    ExecuterGestionnaire(console_, &Command1_Click, true);
  }
  if (entreeFinie_) return;
  const bool suite = canal_.Recevoir([this](std::string_view ligne, bool tropLongue) {
    if (tropLongue) {
      ++lignes_;
      if (!finie_) Repondre(Erreur("null", kLigneTropLongue));
      return;
    }
    TraiterLigne(ligne);
  });
  if (!suite) {
    entreeFinie_ = true;
    // The request under way ends first.
    if (!enCours_) finie_ = true;
  }
}

void SessionPilote::TraiterLigne(std::string_view ligne) {
  ++lignes_;
  // After "fin", nothing more is run.
  if (finie_) return;
  // Blank lines between commands are no commands.
  if (SansBlancs(ligne, " \t").empty()) return;
  const LectureCommande lue = LireCommandePilote(ligne);
  if (!lue.commande) {
    Repondre(Erreur(lue.id, lue.commande.Erreur().texte));
    return;
  }
  const CommandePilote& commande = *lue.commande;
  switch (commande.genre) {
    case CommandePilote::Genre::Etat:
      Repondre("{\"id\":" + commande.id + ",\"etat\":" + Etat() + "}");
      return;
    case CommandePilote::Genre::Arret:
      Arreter(commande.id);
      return;
    case CommandePilote::Genre::Fin:
      if (enCours_) {
        Repondre(Erreur(commande.id, "une requête est en cours"));
        return;
      }
      Repondre("{\"id\":" + commande.id + ",\"fin\":true,\"requetes\":" +
               std::to_string(requetes_) + ",\"reussies\":" + std::to_string(reussies_) +
               ",\"journal\":" + EnChaineJson(journal_ ? journal_->Chemin() : "") + "}");
      finie_ = true;
      return;
    case CommandePilote::Genre::Requete:
      if (enCours_) {
        Repondre(Erreur(commande.id, "une requête est en cours (id " + *enCours_ + ")"));
        return;
      }
      Executer(commande);
      return;
  }
}

void SessionPilote::Executer(const CommandePilote& commande) {
  const BoutonConsole* famille = BoutonDeFamille(commande.requete.famille);
  if (famille == nullptr) {
    Repondre(Erreur(commande.id, "requête inconnue « " + Citer(commande.requete.famille) + " »"));
    return;
  }
  // A script stops a listening that only "Sortie Ecoute" ends after a while of its own, as
  // nobody is there to click; a piloted console has "arret" to click it: without "duree" it
  // listens until then (a day at most, the longest "duree" a script takes).
  // The window's own request (the person's click) holds the console: the script waits for it,
  // rather than change the price under it.
  if (console_.etat.GestionnairesEnCours > 0) {
    Repondre(Erreur(commande.id, "la console est occupée par une autre requête"));
    return;
  }
  RequeteScriptee requete = commande.requete;
  jusquArret_ = !requete.duree && famille->dureeEcoute > Horloge::Secondes::zero();
  if (jusquArret_) requete.duree = kEcouteJusquArret;
  enCours_ = commande.id;
  fenetre_.RemettreAZero();
  if (commande.evenements) {
    fenetre_.Ecouter([this, id = commande.id](const EvenementFenetre& evenement) {
      Repondre("{\"id\":" + id + ",\"evenement\":\"" + NomEvenement(evenement.genre) +
               "\",\"texte\":" + EnChaineJson(evenement.texte) + "}");
    });
  }
  std::optional<RequeteFaite> fait;
  try {
    fait = executer_(requete, *famille);
  } catch (const std::exception& erreur) {
    // A request that fails so leaves the session free for the next, its id answered.
    fenetre_.Ecouter({});
    fenetre_.RemettreAZero();
    enCours_.reset();
    arretEcoute_ = jusquArret_ = false;
    Repondre(Erreur(commande.id, DecrireException(erreur)));
    if (entreeFinie_) finie_ = true;
    return;
  }
  RequeteFaite& faite = *fait;
  fenetre_.Ecouter({});
  fenetre_.RemettreAZero();
  ExecutionRequete& e = faite.execution;
  e.rang = ++requetes_;
  e.titre = commande.requete.titre;
  JugerEtape(e, commande.requete.attentes, faite.releve);
  if (e.reussie) ++reussies_;
  // Before it is told: a signal that comes once its answer is out names it.
  NoterRequeteFinie(e.rang);
  if (journal_ != nullptr) journal_->Ajouter(e);
  enCours_.reset();
  arretEcoute_ = jusquArret_ = false;
  Repondre(Reponse(commande.id, e, faite.releve, NombreJson(console_.etat.NumeroDossier)));
  if (entreeFinie_) finie_ = true;
}

std::string SessionPilote::Etat() const {
  const EtatConsole& etat = console_.etat;
  return "{\"Prix\":" + NombreJson(etat.Prix) +
         ",\"NumeroDossier\":" + EnChaineJson(NombreJson(etat.NumeroDossier)) +
         ",\"NumeroCarte\":" + EnChaineJson(etat.NumeroCarte) +
         ",\"DateValidite\":" + EnChaineJson(etat.DateValiditeCarte) +
         ",\"port\":" + std::to_string(console_.liaison.PortProchaineRequete()) +
         ",\"ligne\":" + EnChaineJson(console_.liaison.DecrireLigne()) +
         ",\"ecoute\":" + (enCours_ && fenetre_.EcouteEnCours() ? "true" : "false") + "}";
}

void SessionPilote::Arreter(const std::string& id) {
  if (!enCours_ || !fenetre_.EcouteEnCours()) {
    Repondre(Erreur(id, "aucune écoute en cours"));
    return;
  }
  // What the operator's click on "Sortie Ecoute" does.
  ExecuterGestionnaire(console_, &Command1_Click, true);
  Repondre("{\"id\":" + id + ",\"arret\":true}");
}

void SessionPilote::Executer(const std::function<bool()>& arret) {
  arret_ = arret;
  const auto arreter = [&] { return arret && arret(); };
  while (!finie_ && !arreter()) {
    TraiterEnAttente();
    if (finie_ || arreter()) break;
    std::vector<pollfd> attentes;
    for (const int fd : canal_.Descripteurs()) attentes.push_back(pollfd{fd, POLLIN, 0});
    if (attentes.empty()) break;
    // Asleep until a command comes; a signal wakes it for `arret` to be asked.
    Dormir(attentes, -1, arret);
  }
}

int SessionPilote::CodeSortie(bool interrompue) const {
  if (reussies_ < requetes_) return 1;
  // A reader gone away before "fin" stops the run as a closed output stops a campaign.
  if (interrompue || sortieFermee_) return kCodeInterrompue;
  if (journal_ != nullptr && journal_->HorsFichier() > 0) return 1;
  return 0;
}

// --- Without a window ---

// The FenetreTexte's waits, with the channel read in them: a listener's wait sleeps on the line
// and the channel together, and a yield looks at the channel without waiting.
class PiloteSansFenetre::FenetreAttentive final : public FenetreRelais {
 public:
  FenetreAttentive(FenetreTexte& fenetre, const Horloge& horloge, const CanalPilote& canal)
      : FenetreRelais(fenetre), texte_(fenetre), horloge_(horloge), canal_(canal) {}

  void Servir(SessionPilote* session) { session_ = session; }

  void CederAuxEvenements() override {
    texte_.CederAuxEvenements();
    if (session_ != nullptr) session_->TraiterEnAttente();
  }

  void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override {
    // A command that was waiting is this wait's event ("arret"): handled, the wait is over.
    if (session_ != nullptr) {
      const int avant = session_->LignesTraitees();
      session_->TraiterEnAttente();
      if (session_->LignesTraitees() != avant) {
        texte_.AttendreLigneOuEvenement(port, horloge_.Maintenant());
        return;
      }
    }
    Horloge::Instant jusqua = echeance;
    if (const auto clic = texte_.ClicProgramme()) jusqua = std::min(jusqua, *clic);
    if (const auto reveil = port.ReveilAvant()) jusqua = std::min(jusqua, *reveil);
    const int fd = port.Descripteur();
    if (fd < 0) {
      // A port of its own time: short waits, the channel looked at between them.
      port.AttendreAuMoins(
          1, std::min(jusqua, Horloge::Plus(horloge_.Maintenant(), kTrancheSansDescripteur)));
    } else if (port.NombreEnAttente() == 0) {
      const auto reste =
          std::chrono::ceil<std::chrono::milliseconds>(jusqua - horloge_.Maintenant()).count();
      if (reste > 0) {
        std::vector<pollfd> attentes{pollfd{fd, POLLIN, 0}};
        for (const int c : canal_.Descripteurs()) attentes.push_back(pollfd{c, POLLIN, 0});
        Dormir(attentes, static_cast<int>(std::min<long long>(reste, 60'000)), &ArretDemande);
      }
    }
    // What came taken in, the click made when due.
    texte_.AttendreLigneOuEvenement(port, horloge_.Maintenant());
    if (session_ != nullptr) session_->TraiterEnAttente();
  }

 private:
  FenetreTexte& texte_;
  const Horloge& horloge_;
  const CanalPilote& canal_;
  SessionPilote* session_ = nullptr;
};

PiloteSansFenetre::PiloteSansFenetre(Console& console, FenetreTexte& fenetre, CanalPilote& canal,
                                     JournalCampagne* journal, std::ostream* erreurs)
    : attentive_(
          std::make_unique<FenetreAttentive>(fenetre, console.liaison.HorlogeLiaison(), canal)),
      evenements_(*attentive_),
      console_{console.etat, console.liaison, evenements_, console.fichiers},
      session_(std::make_unique<SessionPilote>(
          console_, evenements_, canal,
          [this, &fenetre](const RequeteScriptee& requete, const BoutonConsole& famille) {
            return ExecuterRequete(console_, fenetre, requete, famille);
          },
          journal, erreurs)) {
  attentive_->Servir(session_.get());
}

PiloteSansFenetre::~PiloteSansFenetre() = default;

int ExecuterPilote(const CommandeSansFenetre& options, Console& console, FenetreTexte& fenetre,
                   const std::string& dossier, const DebutMural& debut, std::ostream& erreurs) {
  std::unique_ptr<CanalPilote> canal;
  if (options.socketPilote) {
    auto socket = CanalSocket::Ouvrir(*options.socketPilote, &erreurs);
    if (!socket) {
      erreurs << "zef30-console : " << socket.Erreur().texte << std::endl;
      return 2;
    }
    erreurs << "zef30-console : commandes attendues sur la socket " << *options.socketPilote
            << std::endl;
    canal = std::move(*socket);
  } else {
    canal = std::make_unique<CanalDescripteurs>(STDIN_FILENO, STDOUT_FILENO, &erreurs);
  }
  NommerPortParDefaut(options, console.etat.NumeroPortCom, erreurs);
  // As a campaign: the first Ctrl-C ends the run after the request under way.
  ArreterEnDouceurSurSigint();
  DireArretSurSignal();
  // Hints for whoever watches standard error; standard output carries the answers alone.
  fenetre.SuivreEcoutes(erreurs, console.liaison.HorlogeLiaison(), false);
  JournalCampagne journal(CheminJournal(dossier, debut.horodatage), &erreurs);
  PiloteSansFenetre pilote(console, fenetre, *canal, &journal, &erreurs);
  SessionPilote& session = pilote.Session();
  session.Executer(&ArretDemande);
  FinCampagne fin;
  fin.interrompue = ArretDemande() || session.SortieFermee();
  fin.arret = session.SortieFermee() ? "sortie standard fermée" : "Ctrl-C";
  fin.journal = journal.Chemin();
  fin.erreurJournal = journal.Erreur();
  for (const auto& phrase : PhrasesFin(fin, journal.Nombre()))
    erreurs << "zef30-console : " << phrase << std::endl;
  return session.CodeSortie(ArretDemande());
}

}  // namespace zef30
