#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <locale>
#include <optional>
#include <string>

#include "base/HorlogeMurale.h"
#include "base/Texte.h"
#include "console/Fenetre.h"
#include "link/FichierRegulier.h"

namespace zef30 {

// The names of the console's files in the program folder, for the console and for what it tells.
inline constexpr const char* kNomJournal = "ZEF30test.txt";
inline constexpr const char* kNomCompteur = "ZEF30numDossier.ini";
inline constexpr const char* kNomDossierRapports = "Telec";
inline constexpr const char* kMotifTickets = "ticket*.txt";

// The console's files in the program folder: the log ZEF30test.txt, the dossier counter
// ZEF30numDossier.ini, the receipt files ticket*.txt and the tele-collection reports in Telec/.
// A file that cannot be written never stops the console: the reason goes to a result line and
// nothing already written is lost. A link, a pipe or a device in a file's place is never
// written (the counter alone is followed to a counter it links to).
class FichiersConsole {
 public:
  // On the wall clock of the system, dates written in the user's own format.
  FichiersConsole(std::string dossierProgramme, Fenetre& fenetre);
  // On a given wall clock and date format (the tests fix both).
  FichiersConsole(std::string dossierProgramme, Fenetre& fenetre, const HorlogeMurale& horloge,
                  std::locale locale);

  FichiersConsole(const FichiersConsole&) = delete;
  FichiersConsole& operator=(const FichiersConsole&) = delete;

  const std::string& DossierProgramme() const { return dossierProgramme_; }
  // The path of `nom` in the program folder.
  std::string CheminFichier(const std::string& nom) const;

  // The local date and time of day that the console shows or sends (the terminal's clock, the
  // listening clock, report file names): the same wall clock as the files' dates.
  std::tm MaintenantLocal() const { return horloge_.MaintenantLocal(); }

  // Appends one dated record holding `texte` to the log.
  void JournaliserTexte(const std::string& texte);
  // The next dossier number, as decimal text; never the same one twice, even for two consoles
  // sharing the folder or, through links, the counter. A counter that is not a settings file is
  // never rewritten.
  std::string NouveauNumeroDossier();
  // What to tell, the first time in a run, of a terminal that already holds the dossier number
  // the counter just gave (its own dossiers outlive a fresh data folder); empty after that.
  std::string IndiceDossierDejaConnu();
  // The path of the receipt file of the current minute.
  std::string CheminTicket() const;
  // Appends `ch` to the receipt file named after the current day and minute. The file's path,
  // or empty when it could not be written (a result line says why).
  std::string EnregistrerTicket(const std::string& ch);
  // Opens a report file of its own in Telec/, made when missing, named after this moment
  // (NomFichierRapport): when that name is taken, the first free one numbered from 2, so a
  // listening never writes into another's file. Or why, when the folder or the file cannot be
  // made.
  Resultat<FichierRegulier> OuvrirRapportTelecollecte();

 private:
  // The number after `lu`, the value the counter holds (0 when unread).
  std::string CompterDossier(std::int32_t lu);
  // Opens the file for appending, then writes what `fabriquer` makes at that moment. True when
  // all of it is written.
  bool AjouterAuFichier(const std::string& nom, const std::function<std::string()>& fabriquer);

  std::string dossierProgramme_;
  Fenetre& fenetre_;
  HorlogeMuraleSysteme horlogeSysteme_;
  const HorlogeMurale& horloge_;
  std::locale locale_;
  // The last number handed out in this run.
  std::optional<std::int32_t> dernierDossier_;
  bool copiesRetirees_ = false;
  bool indiceDossierDonne_ = false;
};

// The result line of a file that could not be written: its path and the system's reason, or
// the reason in words.
std::string LigneEcritureImpossible(const std::string& chemin, int numeroErreur);
std::string LigneEcritureImpossible(const std::string& chemin, const std::string& raison);

// The log record's header line, without its line end: "*** ", short date, a blank, long time,
// " *****************".
std::string FormaterEnteteJournal(const std::tm& moment, const std::locale& locale);

// The receipt file for a moment: "ticket" day "-" month "_" HH "h" MM ".txt".
std::string NomFichierTicket(const std::tm& moment);

// The report file for a moment: day "-" month "-" year "-" seconds since midnight ".txt", the
// seconds with their fraction as a single-precision number prints them (up to 7 significant
// digits: "52812.34", "85800"). From `numero` 2 on, "_" and the number come before ".txt".
std::string NomFichierRapport(const MomentLocal& moment, int numero = 1);

// The folder path ending with the separator "/" (an empty path gives "/").
std::string AjouterSeparateur(const std::string& chemin);

// Whether a file can be created, then deleted, in the folder: a file of a name of its own,
// made for the test and the only one deleted. Any failure gives false.
bool TesterEcritureRepertoire(const std::string& chemin);

}  // namespace zef30
