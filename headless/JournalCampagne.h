#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "headless/ExecutionRequete.h"
#include "link/FichierRegulier.h"

namespace zef30 {

// A campaign's records written to disk as each request ends, one JSON object a line (as --json
// tells them, without what the request showed), each record whole in one write, so that memory
// stays the same however many requests run and a kill leaves only whole records; the summary and
// the reports read them back one at a time. The file stays, for whoever wants every run's figures
// after the campaign, or remakes its reports from it (--report-from).
//
// Every run is counted, written or not. A record the file cannot take (a full disk, a size
// limit) is said at once on `erreurs`, and from then on the records are kept in memory instead
// (up to a bound, beyond which they are only counted), so the reports still hold every run and
// say how many the file lacks.
class JournalCampagne {
 public:
  // Made at `chemin` (or, when a journal of the same second is there, at "-2", "-3"…). When the
  // folder cannot take it, a temporary file of its own in TMPDIR (or /tmp) stands in, its path
  // said on `erreurs` and given by Chemin(); when not even that, the records stay in memory.
  explicit JournalCampagne(const std::string& chemin, std::ostream* erreurs = nullptr);
  JournalCampagne(const JournalCampagne&) = delete;
  JournalCampagne& operator=(const JournalCampagne&) = delete;

  void Ajouter(const ExecutionRequete& execution);
  // Every run recorded, from the first: those of the file, then those kept in memory.
  ParcoursExecutions Parcours() const;

  // The file the records go to; empty when there is none.
  const std::string& Chemin() const { return chemin_; }
  bool Temporaire() const { return temporaire_; }
  // Every run, written or not.
  int Nombre() const { return nombre_; }
  // Runs the file does not hold (kept in memory, or only counted).
  int HorsFichier() const { return horsFichier_; }
  // Runs neither the file nor memory holds: in no report but their count.
  int Perdues() const { return perdues_; }
  // Why the file stopped taking records ("plus de place"); empty while it takes them all.
  const std::string& Erreur() const { return erreur_; }
  // The failure that began first (the first written of those that began at once); null for none.
  const ExecutionRequete* PremierEchec() const { return premierEchec_ ? &*premierEchec_ : nullptr; }

 private:
  void Dire(const std::string& texte);

  FichierRegulier fichier_;
  std::string chemin_;
  bool temporaire_ = false;
  std::ostream* erreurs_ = nullptr;
  int nombre_ = 0;
  int horsFichier_ = 0;
  int perdues_ = 0;
  std::string erreur_;
  std::vector<std::string> enMemoire_;
  std::optional<ExecutionRequete> premierEchec_;
};

// The journal of a campaign begun at `horodatage` ("2026-12-08T23:10:00") in data folder
// `dossier`: "campagne-2026-12-08_23-10-00.jsonl".
std::string CheminJournal(const std::string& dossier, const std::string& horodatage);

// The records of a journal kept from an earlier campaign, read back from `chemin` each time they
// are gone through; or why it cannot be read.
Resultat<ParcoursExecutions> LireJournal(const std::string& chemin);

}  // namespace zef30
