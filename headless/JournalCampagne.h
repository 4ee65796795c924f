#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "headless/ExecutionRequete.h"

namespace zef30 {

// A campaign's records written to disk as each request ends, one JSON object a line (as --json
// tells them, without what the request showed), so that memory stays the same however many
// requests run; the summary and the reports read them back one at a time. The file stays, for
// whoever wants every run's figures after the campaign.
class JournalCampagne {
 public:
  // Writes to `chemin` (what it held is replaced). When that cannot be opened, an unnamed
  // temporary file, gone with the journal, stands in and Chemin() is empty.
  explicit JournalCampagne(const std::string& chemin);
  ~JournalCampagne();
  JournalCampagne(const JournalCampagne&) = delete;
  JournalCampagne& operator=(const JournalCampagne&) = delete;

  void Ajouter(const ExecutionRequete& execution);
  // Every record written, from the first.
  ParcoursExecutions Parcours() const;

  const std::string& Chemin() const { return chemin_; }
  int Nombre() const { return nombre_; }
  // The failure that began first (the first written of those that began at once); null for none.
  const ExecutionRequete* PremierEchec() const { return premierEchec_ ? &*premierEchec_ : nullptr; }

 private:
  std::FILE* fichier_ = nullptr;
  std::string chemin_;
  int nombre_ = 0;
  std::optional<ExecutionRequete> premierEchec_;
};

// The journal of a campaign begun at `horodatage` ("2026-12-08T23:10:00") in data folder
// `dossier`: "campagne-2026-12-08_23-10-00.jsonl".
std::string CheminJournal(const std::string& dossier, const std::string& horodatage);

}  // namespace zef30
