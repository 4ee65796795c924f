#include "headless/Pilotage.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
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
// How many clients may knock while one is served, before the second is told and closed.
constexpr int kClientsEnAttente = 4;

constexpr const char* kLigneTropLongue = "ligne de plus de 64 Kio : refusée entière";
constexpr const char* kClientDeTrop = R"({"id":null,"erreur":"un client pilote déjà la console"})";

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

// Whether `fd` has something to read (or has ended) now.
bool Pret(int fd) {
  pollfd attente{fd, POLLIN, 0};
  return ::poll(&attente, 1, 0) == 1;
}

// The lines of `tampon` with `lus` appended, each given to `lire` once and taken out of it before
// (`lire` may come back here); a line longer than kLigneCommandeMaximale is given once, empty, and
// what follows of it up to its end skipped (`tropLongue` while it is). With `fin`, what is left
// after the last line end is the last line.
void DonnerLignes(std::string& tampon, bool& tropLongue, std::string_view lus, bool fin,
                  const CanalPilote::Lecteur& lire) {
  tampon.append(lus);
  for (;;) {
    const auto saut = tampon.find('\n');
    if (saut == std::string::npos) {
      if (tampon.size() >= kLigneCommandeMaximale) {
        tampon.clear();
        if (!tropLongue) {
          tropLongue = true;
          lire("", true);
        }
      }
      if (fin && !tampon.empty() && !tropLongue) {
        std::string derniere = std::exchange(tampon, std::string());
        if (derniere.ends_with('\r')) derniere.pop_back();
        lire(derniere, false);
      }
      return;
    }
    std::string ligne = tampon.substr(0, saut);
    tampon.erase(0, saut + 1);
    if (std::exchange(tropLongue, false)) continue;  // the end of a line refused already
    if (ligne.size() + 1 > kLigneCommandeMaximale) {
      lire("", true);
      continue;
    }
    if (ligne.ends_with('\r')) ligne.pop_back();
    lire(ligne, false);
  }
}

// `ligne` and its line end in writes to `fd` until it is all out; false when the reader has gone.
bool EcrireEntiere(int fd, std::string_view ligne, bool socket) {
  std::string texte(ligne);
  texte += '\n';
  std::size_t ecrits = 0;
  while (ecrits < texte.size()) {
    const ssize_t n = socket
                          ? ::send(fd, texte.data() + ecrits, texte.size() - ecrits, MSG_NOSIGNAL)
                          : ::write(fd, texte.data() + ecrits, texte.size() - ecrits);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    ecrits += static_cast<std::size_t>(n);
  }
  return true;
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
  std::string record = EnJson(e, &releve);
  if (record.size() < 2 || record.front() != '{' || record.back() != '}') return record;
  record.pop_back();
  return "{\"id\":" + id + (record.size() > 1 ? "," : "") + record.substr(1) +
         (record.size() > 1 ? "," : "") + "\"ticket\":" + EnChaineJson(ticket) +
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

// --- Standard input and output ---

CanalDescripteurs::CanalDescripteurs(int entree, int sortie, std::ostream* erreurs)
    : entree_(entree), sortie_(sortie), erreurs_(erreurs) {}

std::vector<int> CanalDescripteurs::Descripteurs() const {
  if (finie_) return {};
  return {entree_};
}

bool CanalDescripteurs::Recevoir(const Lecteur& lire) {
  if (finie_) return false;
  // Lines read already come first: a request run from one line of a read reads the others here.
  if (!Pret(entree_)) {
    DonnerLignes(tampon_, tropLongue_, {}, false, lire);
    return !finie_;
  }
  char morceau[16 * 1024];
  const ssize_t n = ::read(entree_, morceau, sizeof morceau);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  // A read error ends the input as its end does.
  finie_ = n <= 0;
  DonnerLignes(tampon_, tropLongue_,
               std::string_view(morceau, n > 0 ? static_cast<std::size_t>(n) : 0), finie_, lire);
  return !finie_;
}

bool CanalDescripteurs::Ecrire(std::string_view ligne) {
  if (fermee_) return false;
  if (EcrireEntiere(sortie_, ligne, false)) return true;
  fermee_ = true;
  if (erreurs_ != nullptr) {
    *erreurs_ << "zef30-console : les réponses ne peuvent plus être écrites : "
              << DecrireErreur(errno) << std::endl;
  }
  return false;
}

// --- The Unix socket ---

Resultat<std::unique_ptr<CanalSocket>> CanalSocket::Ouvrir(const std::string& chemin,
                                                           std::ostream* erreurs) {
  const std::string dit = "--pilote-socket " + chemin + " : ";
  sockaddr_un adresse{};
  adresse.sun_family = AF_UNIX;
  if (chemin.empty() || chemin.size() >= sizeof adresse.sun_path) {
    return Invalide(dit + "un chemin de 1 à " + std::to_string(sizeof adresse.sun_path - 1) +
                    " octets");
  }
  const auto barre = chemin.find_last_of('/');
  const std::string dossier = barre == std::string::npos ? "."
                              : barre == 0               ? "/"
                                                         : chemin.substr(0, barre);
  // Whoever may write the folder may put another socket in its place.
  struct stat etat {};
  if (::stat(dossier.c_str(), &etat) != 0) return Invalide(dit + DecrireErreur(errno));
  if (!S_ISDIR(etat.st_mode)) return Invalide(dit + dossier + " n’est pas un dossier");
  if (etat.st_uid != ::geteuid()) {
    return Invalide(dit + "le dossier " + dossier + " n’est pas à vous");
  }
  if ((etat.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return Invalide(dit + "le dossier " + dossier + " peut être écrit par d’autres");
  }
  chemin.copy(adresse.sun_path, chemin.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Invalide(dit + DecrireErreur(errno));
  // A socket left by a console that ended without removing it answers nobody: it is replaced.
  // Anything else there is not the console's to remove.
  if (::lstat(chemin.c_str(), &etat) == 0) {
    if (!S_ISSOCK(etat.st_mode)) {
      ::close(fd);
      return Invalide(dit + "existe et n’est pas une socket");
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) == 0 ||
        errno != ECONNREFUSED) {
      ::close(fd);
      return Invalide(dit + "une autre console l’écoute déjà");
    }
    ::unlink(chemin.c_str());
  }
  // Made 0600 from the start: no moment when another user may connect.
  const mode_t masque = ::umask(0177);
  const int liee = ::bind(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse);
  const int erreurLien = errno;
  ::umask(masque);
  if (liee != 0 || ::listen(fd, kClientsEnAttente) != 0) {
    const int erreur = liee != 0 ? erreurLien : errno;
    ::close(fd);
    return Invalide(dit + DecrireErreur(erreur));
  }
  return std::unique_ptr<CanalSocket>(new CanalSocket(chemin, fd, erreurs));
}

CanalSocket::CanalSocket(std::string chemin, int ecoute, std::ostream* erreurs)
    : chemin_(std::move(chemin)), ecoute_(ecoute), erreurs_(erreurs) {}

CanalSocket::~CanalSocket() {
  Deconnecter();
  ::close(ecoute_);
  ::unlink(chemin_.c_str());
}

std::vector<int> CanalSocket::Descripteurs() const {
  if (client_ < 0) return {ecoute_};
  return {ecoute_, client_};
}

void CanalSocket::Accepter() {
  const int venu = ::accept4(ecoute_, nullptr, nullptr, SOCK_CLOEXEC);
  if (venu < 0) return;
  if (client_ < 0) {
    client_ = venu;
    tampon_.clear();
    tropLongue_ = false;
    return;
  }
  // Told without waiting on it: a client that reads nothing cannot hold the console.
  (void)::send(venu, kClientDeTrop, std::char_traits<char>::length(kClientDeTrop),
               MSG_NOSIGNAL | MSG_DONTWAIT);
  (void)::send(venu, "\n", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  ::close(venu);
}

void CanalSocket::Deconnecter() {
  if (client_ < 0) return;
  ::close(client_);
  client_ = -1;
  tampon_.clear();
  tropLongue_ = false;
}

bool CanalSocket::Recevoir(const Lecteur& lire) {
  if (Pret(ecoute_)) Accepter();
  if (client_ < 0) return true;
  if (!Pret(client_)) {
    DonnerLignes(tampon_, tropLongue_, {}, false, lire);
    return true;
  }
  char morceau[16 * 1024];
  const ssize_t n = ::recv(client_, morceau, sizeof morceau, 0);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) {
    // Its last line counts, even without its line end; then the next client is awaited.
    DonnerLignes(tampon_, tropLongue_, {}, true, lire);
    Deconnecter();
    return true;
  }
  DonnerLignes(tampon_, tropLongue_, std::string_view(morceau, static_cast<std::size_t>(n)), false,
               lire);
  return true;
}

bool CanalSocket::Ecrire(std::string_view ligne) {
  if (client_ < 0) return true;
  if (!EcrireEntiere(client_, ligne, true)) {
    if (erreurs_ != nullptr) {
      *erreurs_ << "zef30-console : le client de la console pilotée est parti ("
                << DecrireErreur(errno) << ") : le suivant est attendu" << std::endl;
    }
    Deconnecter();
  }
  return true;
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
  const bool arreter = (arret_ && arret_()) || sortieFermee_ || (entreeFinie_ && jusquArret_);
  if (arreter && enCours_ && !arretEcoute_ && fenetre_.EcouteEnCours()) {
    arretEcoute_ = true;
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
  RequeteFaite faite = executer_(requete, *famille);
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
