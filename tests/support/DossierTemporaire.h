#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zef30::essai {

// A fresh folder for one test, removed with everything in it at the end.
class DossierTemporaire {
 public:
  DossierTemporaire() {
    std::string modele = (std::filesystem::temp_directory_path() / "zef30-essai-XXXXXX").string();
    if (::mkdtemp(modele.data()) != nullptr) chemin_ = modele;
  }
  ~DossierTemporaire() {
    std::error_code ignore;
    if (!chemin_.empty()) std::filesystem::remove_all(chemin_, ignore);
  }
  DossierTemporaire(const DossierTemporaire&) = delete;
  DossierTemporaire& operator=(const DossierTemporaire&) = delete;

  const std::string& Chemin() const { return chemin_; }
  std::string Fichier(const std::string& nom) const { return chemin_ + "/" + nom; }

 private:
  std::string chemin_;
};

// The whole file as bytes; empty when it cannot be read.
inline std::string LireTout(const std::string& chemin) {
  std::ifstream flux(chemin, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(flux), std::istreambuf_iterator<char>());
}

inline void EcrireTout(const std::string& chemin, const std::string& octets) {
  std::ofstream(chemin, std::ios::binary | std::ios::trunc) << octets;
}

}  // namespace zef30::essai
