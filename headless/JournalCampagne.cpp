#include "headless/JournalCampagne.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "console/FichiersConsole.h"

namespace zef30 {

namespace {

// `chemin` with "-N" before its extension: another campaign's journal of the same second.
std::string CheminNumero(const std::string& chemin, int numero) {
  if (numero == 1) return chemin;
  const auto point = chemin.rfind('.');
  const auto barre = chemin.rfind('/');
  const bool extension =
      point != std::string::npos && (barre == std::string::npos || point > barre);
  const std::string numeroTexte = "-" + std::to_string(numero);
  return extension ? chemin.substr(0, point) + numeroTexte + chemin.substr(point)
                   : chemin + numeroTexte;
}

}  // namespace

JournalCampagne::JournalCampagne(const std::string& chemin) {
  // Made new, never opened over what is there: a journal of another campaign begun in the same
  // second is kept, and a link or a pipe at that name is not written through.
  constexpr int kEssais = 100;
  for (int numero = 1; numero <= kEssais && fichier_ == nullptr; ++numero) {
    chemin_ = CheminNumero(chemin, numero);
    fichier_ = std::fopen(chemin_.c_str(), "wx+");
    if (fichier_ == nullptr && errno != EEXIST) break;
  }
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
