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

namespace zef30 {

// The console's files in the program folder: the log ZEF30test.txt, the dossier counter
// ZEF30numDossier.ini and the receipt files ticket*.txt. A file that cannot be written never
// stops the console: the reason goes to a result line and nothing already written is lost.
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
  // sharing the folder.
  std::string NouveauNumeroDossier();
  // The path of the receipt file of the current minute.
  std::string CheminTicket() const;
  // Appends `ch` to the receipt file named after the current day and minute. The file's path,
  // or empty when it could not be written (a result line says why).
  std::string EnregistrerTicket(const std::string& ch);

 private:
  // Reads, counts and writes back the counter at `chemin`; `erreur` is the write's error number.
  std::string CompterDossier(const std::string& chemin, int& erreur);
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
};

// The result line of a file that could not be written: its path and the system's reason.
std::string LigneEcritureImpossible(const std::string& chemin, int numeroErreur);

// The log record's header line, without its line end: "*** ", short date, a blank, long time,
// " *****************".
std::string FormaterEnteteJournal(const std::tm& moment, const std::locale& locale);

// The receipt file for a moment: "ticket" day "-" month "_" HH "h" MM ".txt".
std::string NomFichierTicket(const std::tm& moment);

// The folder path ending with the separator "/" (an empty path gives "/").
std::string AjouterSeparateur(const std::string& chemin);

// Whether a file can be created, then deleted, in the folder. Any failure gives false.
bool TesterEcritureRepertoire(const std::string& chemin);

}  // namespace zef30
