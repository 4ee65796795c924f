#include "console/FichiersConsole.h"

#include <utility>

namespace zef30 {

FichiersConsole::FichiersConsole(std::string dossierProgramme, Fenetre& fenetre)
    : dossierProgramme_(std::move(dossierProgramme)), fenetre_(fenetre) {}

void FichiersConsole::JournaliserTexte(const std::string&) {}
std::string FichiersConsole::NouveauNumeroDossier() { return {}; }
void FichiersConsole::EnregistrerTicket(const std::string&) {}

}  // namespace zef30
