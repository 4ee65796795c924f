#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/Resultat.h"
#include "console/Console.h"
#include "console/FenetreRelais.h"
#include "headless/CommandeSansFenetre.h"
#include "headless/CommandesPilote.h"
#include "headless/ExecutionCampagne.h"
#include "headless/FenetreTexte.h"
#include "headless/JournalCampagne.h"
#include "headless/RequetesScriptees.h"
#include "requests/BoutonsConsole.h"

namespace zef30 {

// The longest command line a piloted console takes, its line end included; a longer one is
// refused as a whole and skipped to its end.
inline constexpr std::size_t kLigneCommandeMaximale = 64 * 1024;

// What the window shows while a request runs, as a piloted console tells it.
struct EvenementFenetre {
  enum class Genre {
    Affichage,  // the terminal's display lines (PanelAnnulation, PanelRefus)
    Ecoute,     // the listening's caption (Label6, LabelTemps): "EN ECOUTE 0:03"
    Etat,       // the status line
  };
  Genre genre = Genre::Affichage;
  std::string texte;
};
// "affichage", "ecoute", "etat".
const char* NomEvenement(EvenementFenetre::Genre genre);

// The console's window seen by a piloted run: every call goes on to the window it wraps, and
// what a test waits for is told to its listener as it changes: the terminal's display lines, the
// listening's caption (set again at every pass of a listener: told when it changes), the status
// line. It also knows whether a listening runs: from a listener's first wait to its panel
// hidden, or to the end of its request.
class FenetreEvenements final : public FenetreRelais {
 public:
  explicit FenetreEvenements(Fenetre& fenetre) : FenetreRelais(fenetre) {}

  // Who hears the events from now on; none: nobody.
  void Ecouter(std::function<void(const EvenementFenetre&)> ecouteur);
  bool EcouteEnCours() const { return ecoute_; }
  // A request begins or has ended: no listening runs, no caption has been told.
  void RemettreAZero();

  void AfficherEtat(const std::string& contexte, const std::string& message) override;
  void DefinirLegende(Panneau panneau, const std::string& texte) override;
  void DefinirVisible(Panneau panneau, bool visible) override;
  void CederAuxEvenements() override;
  void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) override;

 private:
  void Dire(EvenementFenetre::Genre genre, const std::string& texte);

  std::function<void(const EvenementFenetre&)> ecouteur_;
  bool ecoute_ = false;
  std::string legendeEcoute_;
  std::string etat_;
};

// Where a piloted console reads its commands and writes its answers. Every call returns at
// once: the console waits on Descripteurs() itself, with poll(2) or its window's event loop.
class CanalPilote {
 public:
  virtual ~CanalPilote() = default;

  // The descriptors to wait on (POLLIN) for what may come: a command, a client knocking. They
  // may change after each Recevoir.
  virtual std::vector<int> Descripteurs() const = 0;
  // What has come, read without blocking, each whole line given to `lire` in its order, its
  // "\n" (and a "\r" before it) dropped; a line longer than kLigneCommandeMaximale is given
  // once, empty, with `tropLongue`. `lire` may call Recevoir again (a request that runs reads
  // the commands that come meanwhile): each line is given once. False once nothing more can
  // come (standard input at its end).
  using Lecteur = std::function<void(std::string_view ligne, bool tropLongue)>;
  virtual bool Recevoir(const Lecteur& lire) = 0;
  // One answer line, "\n" added, written whole and at once. False once nobody can read the
  // answers any more (standard output closed): the run ends. A client of a socket gone away
  // is not that: the answer is lost, and the socket waits for the next client.
  virtual bool Ecrire(std::string_view ligne) = 0;
};

// Commands read from descriptor `entree`, answers written to `sortie` (standard input and
// output; a pipe or a socket pair in the tests). It owns neither.
class CanalDescripteurs final : public CanalPilote {
 public:
  CanalDescripteurs(int entree, int sortie, std::ostream* erreurs = nullptr);

  std::vector<int> Descripteurs() const override;
  bool Recevoir(const Lecteur& lire) override;
  bool Ecrire(std::string_view ligne) override;

 private:
  int entree_;
  int sortie_;
  std::ostream* erreurs_;
  bool finie_ = false;
  bool fermee_ = false;
  std::string tampon_;
  bool tropLongue_ = false;
};

// A Unix stream socket bound at a path: one client at a time, whose lines are the commands and
// who reads the answers; a second one is told so and closed, a client gone leaves the socket
// waiting for the next. The socket file is removed when the channel ends.
class CanalSocket final : public CanalPilote {
 public:
  // The socket bound at `chemin`, of mode 0600, in a folder the user owns and nobody else may
  // write; a dead socket left there is replaced. Or why not, in words for the operator.
  static Resultat<std::unique_ptr<CanalSocket>> Ouvrir(const std::string& chemin,
                                                       std::ostream* erreurs = nullptr);
  ~CanalSocket() override;
  CanalSocket(const CanalSocket&) = delete;
  CanalSocket& operator=(const CanalSocket&) = delete;

  std::vector<int> Descripteurs() const override;
  bool Recevoir(const Lecteur& lire) override;
  bool Ecrire(std::string_view ligne) override;
  bool ClientPresent() const { return client_ >= 0; }

 private:
  CanalSocket(std::string chemin, int ecoute, std::ostream* erreurs);
  void Accepter();
  void Deconnecter();

  std::string chemin_;
  int ecoute_;
  int client_ = -1;
  std::ostream* erreurs_;
  std::string tampon_;
  bool tropLongue_ = false;
};

// Runs one request of a piloted session as a click would, with its inputs, and brings its
// record (rank 0, not judged) and what it showed.
using ExecuteurPilote =
    std::function<RequeteFaite(const RequeteScriptee& requete, const BoutonConsole& famille)>;

// A piloted console: each command line answered on the channel, as the protocol of --pilote
// says. A request runs with ExecuterGestionnaire through `executer`, is judged against its
// expectations as a plan's step, answered with its record, and recorded in `journal`. The
// session is re-entrant: a line handled while a request runs (a window handles the channel's
// events inside the request's own waits) may ask the state or stop the listening, and a second
// request or the end is refused until the first has ended.
class SessionPilote {
 public:
  // `console.fenetre` is `fenetre`, or a window that passes its calls on to it; `erreurs`
  // hears what the operator must know (a reader gone away).
  SessionPilote(Console& console, FenetreEvenements& fenetre, CanalPilote& canal,
                ExecuteurPilote executer, JournalCampagne* journal = nullptr,
                std::ostream* erreurs = nullptr);
  SessionPilote(const SessionPilote&) = delete;
  SessionPilote& operator=(const SessionPilote&) = delete;

  // What has come on the channel, answered, without waiting for more.
  void TraiterEnAttente();
  // One command line answered (a request run to its end).
  void TraiterLigne(std::string_view ligne);
  // Until the run ends (Finie) or `arret` says to stop: waits on the channel, which costs
  // nothing while no command comes, and answers each command. A signal wakes the wait. Once
  // `arret` says to stop, a listening under way is ended as "arret" ends it, its request
  // recorded and answered, and the run ends.
  void Executer(const std::function<bool()>& arret = {});

  // "fin" came, the input ended, or nobody reads the answers any more.
  bool Finie() const { return finie_; }
  bool SortieFermee() const { return sortieFermee_; }
  // Command lines handled so far, blank ones and refused ones included: a window's wait that
  // handled one has had its event, and returns.
  int LignesTraitees() const { return lignes_; }
  // 0 when every request passed (none included), 1 when one failed, 130 when the run was
  // stopped (`interrompue`: by a signal) or its reader went away before "fin".
  int CodeSortie(bool interrompue) const;

 private:
  void Repondre(const std::string& ligne);
  void Executer(const CommandePilote& commande);
  std::string Etat() const;
  void Arreter(const std::string& id);

  Console& console_;
  FenetreEvenements& fenetre_;
  CanalPilote& canal_;
  ExecuteurPilote executer_;
  JournalCampagne* journal_;
  std::ostream* erreurs_;
  bool finie_ = false;
  bool sortieFermee_ = false;
  bool entreeFinie_ = false;
  std::function<bool()> arret_;
  bool arretEcoute_ = false;  // "Sortie Ecoute" clicked for the stop
  // The request under way listens until "arret" (no "duree" given).
  bool jusquArret_ = false;
  // The id of the request under way.
  std::optional<std::string> enCours_;
  int requetes_ = 0;
  int reussies_ = 0;
  int lignes_ = 0;
};

// A piloted console without a window: its requests run on the FenetreTexte `fenetre` (the
// window of `console`), and while they run the channel is read with the line: a listener's wait
// sleeps on the port's descriptor and the channel's together, a port without a descriptor (a
// scripted one) waits in short slices, so that "arret" is heard at once.
class PiloteSansFenetre {
 public:
  PiloteSansFenetre(Console& console, FenetreTexte& fenetre, CanalPilote& canal,
                    JournalCampagne* journal = nullptr, std::ostream* erreurs = nullptr);
  ~PiloteSansFenetre();
  PiloteSansFenetre(const PiloteSansFenetre&) = delete;
  PiloteSansFenetre& operator=(const PiloteSansFenetre&) = delete;

  SessionPilote& Session() { return *session_; }

 private:
  class FenetreAttentive;
  std::unique_ptr<FenetreAttentive> attentive_;
  FenetreEvenements evenements_;
  Console console_;
  std::unique_ptr<SessionPilote> session_;
};

// --pilote (--pilote-socket CHEMIN): the piloted run without a window on `console`, whose
// window is `fenetre`, begun at `debut`: commands on standard input and answers on standard
// output, or both on the socket; the records in the campaign journal of folder `dossier`. The
// first Ctrl-C ends it after the request under way, as a campaign. Its exit code: as
// SessionPilote::CodeSortie says, 2 when the socket cannot be opened.
int ExecuterPilote(const CommandeSansFenetre& options, Console& console, FenetreTexte& fenetre,
                   const std::string& dossier, const DebutMural& debut, std::ostream& erreurs);

}  // namespace zef30
