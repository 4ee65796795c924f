#pragma once

#include <string>

#include "console/Fenetre.h"

namespace zef30 {

// The console's files in the program folder: log, dossier counter, receipt files.
class FichiersConsole {
 public:
  FichiersConsole(std::string dossierProgramme, Fenetre& fenetre);

  const std::string& DossierProgramme() const { return dossierProgramme_; }

  void JournaliserTexte(const std::string& texte);
  std::string NouveauNumeroDossier();
  void EnregistrerTicket(const std::string& ch);

 private:
  std::string dossierProgramme_;
  Fenetre& fenetre_;
};

}  // namespace zef30
