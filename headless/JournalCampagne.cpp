#include "headless/JournalCampagne.h"

#include <algorithm>
#include <cstdlib>

#include "console/FichiersConsole.h"

namespace zef30 {

JournalCampagne::JournalCampagne(const std::string& chemin)
    : fichier_(std::fopen(chemin.c_str(), "w+")), chemin_(chemin) {
  if (fichier_ != nullptr) return;
  fichier_ = std::tmpfile();
  chemin_.clear();
}

JournalCampagne::~JournalCampagne() {
  if (fichier_ != nullptr) std::fclose(fichier_);
}

void JournalCampagne::Ajouter(const ExecutionRequete& e) {
  ++nombre_;
  if (!e.reussie && (!premierEchec_ || e.debut < premierEchec_->debut)) premierEchec_ = e;
  if (fichier_ == nullptr) return;
  const std::string ligne = EnJson(e, nullptr) + "\n";
  std::fwrite(ligne.data(), 1, ligne.size(), fichier_);
}

ParcoursExecutions JournalCampagne::Parcours() const {
  return [this](const LecteurExecutions& lire) {
    if (fichier_ == nullptr) return;
    std::fflush(fichier_);
    std::rewind(fichier_);
    char* tampon = nullptr;
    std::size_t taille = 0;
    while (::getline(&tampon, &taille, fichier_) > 0) {
      if (const auto e = LireExecutionJson(tampon)) lire(*e);
    }
    std::free(tampon);
    // What comes next is written after the last record.
    std::fseek(fichier_, 0, SEEK_END);
  };
}

std::string CheminJournal(const std::string& dossier, const std::string& horodatage) {
  std::string nom = horodatage;
  std::replace(nom.begin(), nom.end(), ':', '-');
  std::replace(nom.begin(), nom.end(), 'T', '_');
  return AjouterSeparateur(dossier) + "campagne-" + nom + ".jsonl";
}

}  // namespace zef30
