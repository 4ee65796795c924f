#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zef30 {

// The layout of every message the console and the terminal exchange, as one table of named
// fields. The request families read their answers through it and the decoder of the line walks
// it to name the fields of any frame: a layout is written once, so the two cannot disagree.

// How a field reads.
enum class Lecture {
  Texte,    // as it stands (Windows-1252 turned into UTF-8)
  Nombre,   // digits, shown as they are
  Montant,  // cents, shown in units with the currency of the message's "devise" field
  Devise,   // the currency code of a Montant, shown with it and not on its own
  Date,     // year then month, two digits each, shown month/year ("2907" gives 07/29)
  Code,     // a code, shown with its text
  Carte,    // a card number, shown masked
  Secret,   // what a card carries, never shown: only its length
  Fixe,     // a constant of the message, named only when it differs from `attendu`
};

// The text of a code, empty when the table has none.
using TexteCode = std::string (*)(const std::string& code);

struct ChampMessage {
  std::string_view nom;
  long position = 0;  // from 1, counted as the family counts it (see Disposition::reponse)
  long longueur = 0;
  Lecture lecture = Lecture::Texte;
  TexteCode texte = nullptr;      // Code: the table of its texts
  std::string_view attendu = {};  // Fixe: the constant
};

// Fields that come again at a regular step (applications, dossier numbers).
struct GroupeChamps {
  std::string_view nom;
  long debut = 0;                    // position of the first record
  long pas = 0;                      // characters from one record to the next
  int nombre = 0;                    // records; 0: as many whole records as the frame holds
  std::vector<ChampMessage> champs;  // positions from 0, within the record
};

// The messages the console knows, one layout each, in the order of the table.
enum class Message : std::size_t {
  DemandeSwitch,
  ReponseSwitch,
  DemandeConsultation,
  ReponseConsultation,
  DemandeRedemarrage,
  DemandeVitesse,
  ReponseVitesse,
  DemandeHeure,
  ReponseHeure,
  DemandeEnregistrement,
  ReponseEnregistrement,
  DemandeEnregistrementSimple,
  ReponseEnregistrementSimple,
  DemandeValidite,
  ReponseValidite,
  DemandeValiditeForfait,
  ReponseValiditeForfait,
  DemandeTelecollecte,
  ReponseTelecollecte,
  DemandeRapportTelecollecte,
  ReponseRapportTelecollecte,
  DemandeTeleParam,
  ReponseTeleParam,
  DemandeListeDossiers,
  ReponseListeDossiers,
  NumerosDossiers,
  DemandeInfoDossier,
  ReponseInfoDossier,
  DemandePisteIso2,
  ReponsePisteIso2,
  Affichage,
  Information,
};

struct Disposition {
  Message message;
  std::string_view nom;
  // A request: positions count from its code (the message as the console writes it). Anything
  // the terminal sends: positions count from its STX, as the families read the frame.
  bool reponse = false;
  // What the message begins with: a request's code and constant head ("AK0290"), an answer's
  // code ("Ak"), "D" for a display frame.
  std::string_view debut;
  // The exact length of the request (this one, or the one it answers) when two forms share a
  // head (0: any), and for an answer the head of the request it answers ("": its code says
  // enough).
  long longueurDemande = 0;
  std::string_view demande = {};
  std::vector<ChampMessage> champs;
  std::vector<GroupeChamps> groupes = {};
};

using TableDispositions = std::vector<Disposition>;

// The console's table, indexed by Message.
const TableDispositions& DispositionsConsole();
const Disposition& DispositionDe(Message message,
                                 const TableDispositions& table = DispositionsConsole());

// The field `nom` of `disposition`, or nullptr.
const ChampMessage* TrouverChamp(const Disposition& disposition, std::string_view nom);
// The raw bytes of field `nom` in `texte` (empty beyond the end, or for a name the layout does
// not hold): the one reading of a field, for the families and the decoder alike.
std::string LireChamp(const Disposition& disposition, std::string_view nom, std::string_view texte);
// The same for field `nom` of record `k` (from 0) of the group `groupe`.
std::string LireChampGroupe(const Disposition& disposition, std::string_view groupe, int k,
                            std::string_view nom, std::string_view texte);

// A request as its layout writes it: its head, then every field at its place, from `valeurs`
// by name (a constant, a currency, from the layout itself); a field without a value is blank.
struct ValeurChamp {
  std::string_view nom;
  std::string_view valeur;
};
std::string ComposerMessage(const Disposition& disposition,
                            std::initializer_list<ValeurChamp> valeurs);

// The texts of the terminal's codes that no other table holds (empty for a code without one).
std::string TraduireDisponibiliteSwitch(const std::string& code);
std::string TraduireCarteSwitch(const std::string& code);
std::string TraduireTravauxSwitch(const std::string& code);
std::string TraduireSecuriteSwitch(const std::string& code);
std::string TraduireEtatApplication(const std::string& code);
std::string TraduireEtatFichier(const std::string& code);
// An ISO 2 read's status digit: "0" the track was read, "1" to "9" why not.
std::string TraduireEtatIso2(const std::string& code);

// Whether a display frame is one whose first line the validity listener hides: it may hold what
// the card holder types.
bool AffichageDeCode(std::string_view trame);

// A card number as people may see it: its first six and last four digits, the rest as "•", in
// groups of four ("4970 10•• •••• 1234"); a number shorter than eleven shows only "•".
std::string MasquerCarte(std::string_view numero);

}  // namespace zef30
