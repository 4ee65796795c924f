#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Recu.h"
#include "protocol/TablesResultats.h"
#include "protocol/Trame.h"

namespace zef30 {

// The layout of every message the console and the terminal exchange, as one table of named
// fields. The request families read their answers through it, the simulated terminal writes its
// answers through it and the decoder of the line walks it to name the fields of any frame: a
// layout is written once, so they cannot disagree. The table is known when the code is built,
// so a field name its message's layout does not hold fails the build.

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

// The texts of the terminal's codes that no other table holds (empty for a code without one).
std::string TraduireDisponibiliteSwitch(const std::string& code);
std::string TraduireCarteSwitch(const std::string& code);
std::string TraduireTravauxSwitch(const std::string& code);
std::string TraduireSecuriteSwitch(const std::string& code);
std::string TraduireEtatApplication(const std::string& code);
std::string TraduireEtatFichier(const std::string& code);
// An ISO 2 read's status digit: "0" the track was read, "1" to "9" why not.
std::string TraduireEtatIso2(const std::string& code);
// "0" accepted, anything else refused.
std::string TraduireVerdict(const std::string& code);
std::string TraduireDossierTrouve(const std::string& code);
std::string TraduireSuite(const std::string& code);
std::string TraduireTelecollecte(const std::string& code);

// A few elements in place, as many as a layout needs at most: the table stays a constant.
template <typename T, std::size_t N>
class ListeFixe {
 public:
  constexpr ListeFixe() = default;
  constexpr ListeFixe(std::initializer_list<T> elements) {
    // More than N does not build: a constant cannot be made past its room.
    if (elements.size() > N) throw "ListeFixe: plus d’éléments que de place";
    for (const T& e : elements) elements_[taille_++] = e;
  }
  constexpr T* begin() { return elements_.data(); }
  constexpr T* end() { return elements_.data() + taille_; }
  constexpr const T* begin() const { return elements_.data(); }
  constexpr const T* end() const { return elements_.data() + taille_; }
  constexpr std::size_t size() const { return taille_; }
  constexpr bool empty() const { return taille_ == 0; }
  constexpr void Ajouter(const T& element) {
    if (taille_ == N) throw "ListeFixe: plus d’éléments que de place";
    elements_[taille_++] = element;
  }
  constexpr T& front() { return elements_[0]; }
  constexpr const T& front() const { return elements_[0]; }

 private:
  std::array<T, N> elements_{};
  std::size_t taille_ = 0;
};

struct ChampMessage {
  std::string_view nom;
  long position = 0;  // from 1, counted as the family counts it (see Disposition::reponse)
  long longueur = 0;
  Lecture lecture = Lecture::Texte;
  TexteCode texte = nullptr;      // Code: the table of its texts
  std::string_view attendu = {};  // Fixe: the constant
};

using ChampsMessage = ListeFixe<ChampMessage, 8>;

// Fields that come again at a regular step (applications, dossier numbers).
struct GroupeChamps {
  std::string_view nom;
  long debut = 0;        // position of the first record
  long pas = 0;          // characters from one record to the next
  int nombre = 0;        // records; 0: as many whole records as the frame holds
  ChampsMessage champs;  // positions from 0, within the record
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
  // An answer whose data length L is always the same: that length (0: it varies).
  long longueur = 0;
  // An accepted payment answer: where the merchant receipt it carries begins (0: none).
  long recu = 0;
  ChampsMessage champs = {};
  ListeFixe<GroupeChamps, 1> groupes = {};
};

namespace dispositions {

using L = Lecture;
using M = Message;

inline constexpr ChampMessage kStatutVerdict{
    .nom = "statut", .position = 7, .longueur = 1, .lecture = L::Code, .texte = &TraduireVerdict};
inline constexpr ChampMessage kNombreBlocs{
    .nom = "nombre de blocs", .position = 10, .longueur = 2, .lecture = L::Nombre};

// A payment answer's card and its end of validity, read where its receipt holds them.
constexpr Disposition AvecCarte(Disposition d) {
  constexpr ZoneRecu carte = Recu(FormeRecu::Enregistrement, "carte");
  constexpr ZoneRecu fin = Recu(FormeRecu::Enregistrement, "fin de validité");
  d.champs.Ajouter({.nom = "carte",
                    .position = d.recu + carte.position,
                    .longueur = carte.longueur,
                    .lecture = Lecture::Carte});
  d.champs.Ajouter({.nom = "fin de validité",
                    .position = d.recu + fin.position,
                    .longueur = fin.longueur,
                    .lecture = Lecture::Date});
  return d;
}

constexpr ChampMessage Code(std::string_view nom, long position, long longueur, TexteCode texte) {
  return {
      .nom = nom, .position = position, .longueur = longueur, .lecture = L::Code, .texte = texte};
}
constexpr ChampMessage Fixe(std::string_view nom, long position, std::string_view attendu) {
  return {.nom = nom,
          .position = position,
          .longueur = static_cast<long>(attendu.size()),
          .lecture = L::Fixe,
          .attendu = attendu};
}
constexpr ChampMessage Nombre(std::string_view nom, long position, long longueur) {
  return {.nom = nom, .position = position, .longueur = longueur, .lecture = L::Nombre};
}
constexpr ChampMessage Texte(std::string_view nom, long position, long longueur) {
  return {.nom = nom, .position = position, .longueur = longueur, .lecture = L::Texte};
}
constexpr ChampMessage Montant(long position) {
  return {.nom = "montant", .position = position, .longueur = 8, .lecture = L::Montant};
}
constexpr ChampMessage Devise(long position) {
  return {
      .nom = "devise", .position = position, .longueur = 3, .lecture = L::Devise, .attendu = "978"};
}

// The console's table, in the order of Message. A request's fields count from its code, an
// answer's from its STX.
// clang-format off
inline constexpr std::array kTable = {
    Disposition{.message = M::DemandeSwitch, .nom = "AA demande de switch", .debut = "AA000"},
    Disposition{.message = M::ReponseSwitch, .nom = "Aa réponse de switch", .reponse = true,
                .debut = "Aa", .longueur = 4,
                .champs = {Code("disponibilité", 7, 1, &TraduireDisponibiliteSwitch),
                           Code("carte présente", 8, 1, &TraduireCarteSwitch),
                           Code("travaux", 9, 1, &TraduireTravauxSwitch),
                           Code("sécurité", 10, 1, &TraduireSecuriteSwitch)}},
    Disposition{.message = M::DemandeConsultation, .nom = "AJ consultation", .debut = "AJ00202"},
    Disposition{.message = M::ReponseConsultation, .nom = "Aj réponse de consultation",
                .reponse = true, .debut = "Aj", .demande = "AJ00202", .longueur = 93,
                .champs = {Texte("numéro de série", 10, 12),
                           Nombre("nombre d’applications", 22, 2)},
                .groupes = {{.nom = "application", .debut = 24, .pas = 19, .nombre = 4,
                             .champs = {Texte("nom", 0, 6), Texte("version", 6, 7),
                                        Texte("checksum", 13, 4),
                                        Code("état", 17, 1, &TraduireEtatApplication),
                                        Code("fichier", 18, 1, &TraduireEtatFichier)}}}},
    Disposition{.message = M::DemandeRedemarrage, .nom = "AU redémarrage", .debut = "AU000"},
    Disposition{.message = M::DemandeVitesse, .nom = "AJ vitesse", .debut = "AJ00701",
                .champs = {Nombre("vitesse", 8, 5)}},
    Disposition{.message = M::ReponseVitesse, .nom = "Aj réponse de vitesse", .reponse = true,
                .debut = "Aj", .demande = "AJ00701", .longueur = 3, .champs = {kStatutVerdict}},
    Disposition{.message = M::DemandeHeure, .nom = "AS mise à l’heure", .debut = "AS012",
                .champs = {Nombre("date", 6, 6), Nombre("heure", 12, 6)}},
    Disposition{.message = M::ReponseHeure, .nom = "As réponse de mise à l’heure", .reponse = true,
                .debut = "As", .longueur = 1, .champs = {kStatutVerdict}},
    Disposition{.message = M::DemandeEnregistrement, .nom = "AL enregistrement (dossier)",
                .debut = "AL011", .longueurDemande = 29,
                .champs = {Montant(6), Devise(14), Nombre("dossier", 17, 12),
                           Fixe("fin", 29, "1")}},
    AvecCarte({.message = M::ReponseEnregistrement, .nom = "Al réponse d’enregistrement (dossier)",
               .reponse = true, .debut = "Al", .longueurDemande = 29, .demande = "AL011",
               .recu = 29, .champs = {Code("statut", 7, 1, &TraduireEtatDemEnr)}}),
    Disposition{.message = M::DemandeEnregistrementSimple, .nom = "AL enregistrement",
                .debut = "AL011", .longueurDemande = 16, .champs = {Montant(6), Devise(14)}},
    AvecCarte({.message = M::ReponseEnregistrementSimple, .nom = "Al réponse d’enregistrement",
               .reponse = true, .debut = "Al", .longueurDemande = 16, .demande = "AL011",
               .recu = 17, .champs = {Code("statut", 7, 1, &TraduireEtatDemEnr)}}),
    Disposition{.message = M::DemandeValidite, .nom = "AK validité (dossier)", .debut = "AK0290",
                .champs = {Montant(7), Fixe("forme", 15, "10"), Devise(17), Fixe("type", 20, "2D"),
                           Nombre("dossier", 22, 12), Fixe("fin", 34, "1")}},
    AvecCarte({.message = M::ReponseValidite, .nom = "Ak réponse de validité", .reponse = true,
               .debut = "Ak", .demande = "AK0290", .recu = 34,
               .champs = {Code("statut", 7, 1, &TraduireEtatDemVal),
                          Code("diagnostic", 8, 2, &TraduireDiagnostic)}}),
    Disposition{.message = M::DemandeValiditeForfait, .nom = "AK validité (forfait)",
                .debut = "AK0160",
                .champs = {Montant(7), Fixe("forme", 15, "30"), Devise(17),
                           Fixe("type", 20, "2D")}},
    Disposition{.message = M::ReponseValiditeForfait, .nom = "Ak réponse de validité (forfait)",
                .reponse = true, .debut = "Ak", .demande = "AK0160",
                .champs = {Code("statut", 7, 1, &TraduireEtatDemVal),
                           Code("diagnostic", 8, 2, &TraduireDiagnostic)}},
    Disposition{.message = M::DemandeTelecollecte, .nom = "AJ télécollecte", .debut = "AJ00204"},
    Disposition{.message = M::ReponseTelecollecte, .nom = "Aj réponse de télécollecte",
                .reponse = true, .debut = "Aj", .demande = "AJ00204",
                .champs = {kStatutVerdict, Nombre("nombre d’acquéreurs", 10, 2),
                           Texte("acquéreur 1", 12, 6),
                           Code("code 1", 18, 1, &TraduireTelecollecte),
                           Texte("acquéreur 2", 19, 6),
                           Code("code 2", 25, 1, &TraduireTelecollecte)}},
    Disposition{.message = M::DemandeRapportTelecollecte, .nom = "AJ rapport de télécollecte",
                .debut = "AJ00203"},
    Disposition{.message = M::ReponseRapportTelecollecte, .nom = "Aj rapport de télécollecte",
                .reponse = true, .debut = "Aj", .demande = "AJ00203",
                .champs = {kStatutVerdict, kNombreBlocs, Texte("acquéreur", 12, 6),
                           Code("code", 18, 1, &TraduireTelecollecte),
                           Nombre("nombre de remises", 204, 1)}},
    Disposition{.message = M::DemandeTeleParam, .nom = "AJ état du téléparamétrage",
                .debut = "AJ00205"},
    Disposition{.message = M::ReponseTeleParam, .nom = "Aj état du téléparamétrage",
                .reponse = true, .debut = "Aj", .demande = "AJ00205",
                .champs = {kStatutVerdict, kNombreBlocs, Texte("application", 12, 6),
                           Nombre("code", 18, 1), Nombre("nombre de tables", 214, 2)}},
    Disposition{.message = M::DemandeListeDossiers, .nom = "AJ liste des dossiers",
                .debut = "AJ00207"},
    Disposition{.message = M::ReponseListeDossiers, .nom = "Aj liste des dossiers",
                .reponse = true, .debut = "Aj", .demande = "AJ00207",
                .champs = {kStatutVerdict, kNombreBlocs, Texte("application 1", 12, 6),
                           Nombre("dossiers 1", 18, 3), Texte("application 2", 21, 6),
                           Nombre("dossiers 2", 27, 3)}},
    Disposition{.message = M::NumerosDossiers, .nom = "Aj numéros de dossiers", .reponse = true,
                .debut = "Aj", .demande = "AJ00207",
                .champs = {Code("suite", 10, 1, &TraduireSuite)},
                .groupes = {{.nom = "dossier", .debut = 23, .pas = 12,
                             .champs = {Nombre("numéro", 0, 12)}}}},
    Disposition{.message = M::DemandeInfoDossier, .nom = "AJ information de dossier",
                .debut = "AJ01408", .champs = {Nombre("dossier", 8, 12)}},
    AvecCarte({.message = M::ReponseInfoDossier, .nom = "Aj information de dossier",
               .reponse = true, .debut = "Aj", .demande = "AJ01408", .recu = 32,
               .champs = {kStatutVerdict, Code("dossier", 10, 1, &TraduireDossierTrouve)}}),
    Disposition{.message = M::DemandePisteIso2, .nom = "AG piste ISO 2", .debut = "AG000"},
    Disposition{.message = M::ReponsePisteIso2, .nom = "Ag réponse de piste ISO 2",
                .reponse = true, .debut = "Ag", .longueur = 43,
                .champs = {Code("statut", 7, 1, &TraduireEtatIso2),
                           {.nom = "piste", .position = 10, .longueur = 40, .lecture = L::Secret}}},
    Disposition{.message = M::Affichage, .nom = "D affichage", .reponse = true, .debut = "D",
                .champs = {Texte("ligne 1", 3, 16), Texte("ligne 2", 19, 16)}},
    // A message of the terminal for the operator, as the console shows it in txtSelection.
    Disposition{.message = M::Information, .nom = "I message", .reponse = true, .debut = "I",
                .champs = {Texte("texte", 3, kTrameMax)}},
};
// clang-format on

constexpr bool DansLOrdre() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (static_cast<std::size_t>(kTable[i].message) != i) return false;
  }
  return true;
}
static_assert(DansLOrdre(), "the table holds every message at its place in Message");

// Reached only for a name no layout holds: not a constant, so the build stops there.
void ChampInconnu(std::string_view nom);

constexpr const ChampMessage* Chercher(const ChampsMessage& champs, std::string_view nom) {
  for (const ChampMessage& champ : champs) {
    if (champ.nom == nom) return &champ;
  }
  return nullptr;
}

constexpr const GroupeChamps* ChercherGroupe(const Disposition& d, std::string_view nom) {
  for (const GroupeChamps& groupe : d.groupes) {
    if (groupe.nom == nom) return &groupe;
  }
  return nullptr;
}

}  // namespace dispositions

// A field name of message M's layout, checked when the code is built: LireChamp<M>("statut",
// ...) with a name M's layout does not hold does not build.
template <Message M>
struct NomChamp {
  consteval NomChamp(const char* texte) : nom(texte) {
    if (!dispositions::Chercher(dispositions::kTable[static_cast<std::size_t>(M)].champs, nom)) {
      dispositions::ChampInconnu(nom);
    }
  }
  std::string_view nom;
};

// A field name of the group `groupe` of message M's layout, checked the same way.
template <Message M>
struct NomChampGroupe {
  consteval NomChampGroupe(const char* groupeTexte, const char* texte)
      : groupe(groupeTexte), nom(texte) {
    const GroupeChamps* g =
        dispositions::ChercherGroupe(dispositions::kTable[static_cast<std::size_t>(M)], groupe);
    if (!g || !dispositions::Chercher(g->champs, nom)) dispositions::ChampInconnu(nom);
  }
  std::string_view groupe;
  std::string_view nom;
};

// A field name that some layout holds, for the readings that serve several messages.
struct NomChampConnu {
  consteval NomChampConnu(const char* texte) : nom(texte) {
    for (const Disposition& d : dispositions::kTable) {
      if (dispositions::Chercher(d.champs, nom)) return;
    }
    dispositions::ChampInconnu(nom);
  }
  template <Message M>
  constexpr NomChampConnu(NomChamp<M> champ) : nom(champ.nom) {}
  std::string_view nom;
};

// The console's layouts as a table that a test may change, indexed by Message.
using TableDispositions = std::vector<Disposition>;

const TableDispositions& DispositionsConsole();
const Disposition& DispositionDe(Message message,
                                 const TableDispositions& table = DispositionsConsole());

// The field `nom` of `disposition`, or nullptr.
const ChampMessage* TrouverChamp(const Disposition& disposition, NomChampConnu nom);
// The raw bytes of field `nom` in `texte` (empty beyond the end, or for a name the layout does
// not hold): the one reading of a field, for the families and the decoder alike.
std::string LireChamp(const Disposition& disposition, NomChampConnu nom, std::string_view texte);
template <Message M>
std::string LireChamp(NomChamp<M> nom, std::string_view texte) {
  return LireChamp(DispositionDe(M), nom, texte);
}
// The same for field `nom` of record `k` (from 0) of its group.
std::string LireChampGroupe(const Disposition& disposition, std::string_view groupe, int k,
                            std::string_view nom, std::string_view texte);
template <Message M>
std::string LireChampGroupe(NomChampGroupe<M> champ, int k, std::string_view texte) {
  return LireChampGroupe(DispositionDe(M), champ.groupe, k, champ.nom, texte);
}

// The data length L of message M's answers, and the length of their whole frame.
template <Message M>
consteval long LongueurDonnees() {
  static_assert(dispositions::kTable[static_cast<std::size_t>(M)].longueur > 0,
                "this answer's length varies");
  return dispositions::kTable[static_cast<std::size_t>(M)].longueur;
}
template <Message M>
consteval int LongueurTrame() {
  return static_cast<int>(LongueurDonnees<M>()) + kSupplementTrame;
}

// Where the receipt of message M's accepted answer begins, counted from its STX.
template <Message M>
consteval long DebutRecu() {
  static_assert(dispositions::kTable[static_cast<std::size_t>(M)].recu > 0,
                "this answer carries no receipt");
  return dispositions::kTable[static_cast<std::size_t>(M)].recu;
}

// A message as its layout writes it: its head, then every field at its place, from `valeurs` by
// name (a constant, a currency, from the layout itself); a field without a value is blank.
struct ValeurNommee {
  std::string_view nom;
  std::string_view valeur;
};
std::string ComposerMessage(const Disposition& disposition, std::span<const ValeurNommee> valeurs);
template <Message M>
struct ValeurChamp {
  NomChamp<M> nom;
  std::string_view valeur;
};
template <Message M>
std::string ComposerMessage(std::initializer_list<ValeurChamp<M>> valeurs = {}) {
  std::vector<ValeurNommee> nommees;
  nommees.reserve(valeurs.size());
  for (const ValeurChamp<M>& v : valeurs) nommees.push_back({v.nom.nom, v.valeur});
  return ComposerMessage(DispositionDe(M), nommees);
}

// What the terminal writes: `valeur`, fitted to the width of field `nom` of answer M, at its
// place in the answer's data `donnees` (which begin at the frame's position 7 and grow with
// blanks as far as the field).
void EcrireChamp(std::string& donnees, const ChampMessage& champ, long decalage,
                 std::string_view valeur);
template <Message M>
void EcrireChamp(std::string& donnees, NomChamp<M> nom, std::string_view valeur) {
  static_assert(dispositions::kTable[static_cast<std::size_t>(M)].reponse,
                "the terminal writes only what it sends");
  EcrireChamp(donnees, *TrouverChamp(DispositionDe(M), nom), 0, valeur);
}
// The same for field `nom` of record `k` (from 0) of its group.
template <Message M>
void EcrireChampGroupe(std::string& donnees, NomChampGroupe<M> nom, int k,
                       std::string_view valeur) {
  for (const GroupeChamps& g : DispositionDe(M).groupes) {
    if (g.nom != nom.groupe) continue;
    EcrireChamp(donnees, *dispositions::Chercher(g.champs, nom.nom), g.debut + g.pas * k, valeur);
  }
}

// Whether a display frame is one whose first line the validity listener hides: it may hold what
// the card holder types.
bool AffichageDeCode(std::string_view trame);

// A card number as people may see it: its first six and last four digits, the rest as "•", in
// groups of four ("4970 10•• •••• 1234"); a number shorter than eleven shows only "•".
std::string MasquerCarte(std::string_view numero);

}  // namespace zef30
