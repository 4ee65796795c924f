#pragma once

#include <map>
#include <string>

namespace zef30 {

// Port numbers as the operator knows them (1 = the first port) and the devices behind them.
class TablePorts {
 public:
  static constexpr int kPremier = 1;
  static constexpr int kDernier = 20;

  void Associer(int numero, std::string chemin) { chemins_[numero] = std::move(chemin); }
  // What the line is, besides its path ("terminal simulé").
  void Decrire(int numero, std::string description) {
    descriptions_[numero] = std::move(description);
  }

  // A number nobody mapped is the machine's own serial port /dev/ttyS<n-1>.
  std::string Chemin(int numero) const {
    const auto trouve = chemins_.find(numero);
    if (trouve != chemins_.end()) return trouve->second;
    return "/dev/ttyS" + std::to_string(numero - 1);
  }

  // Its path, and what it is when that was said: "/dev/pts/2 (terminal simulé)".
  std::string Libelle(int numero) const {
    const auto trouve = descriptions_.find(numero);
    return Chemin(numero) + (trouve != descriptions_.end() ? " (" + trouve->second + ")" : "");
  }

 private:
  std::map<int, std::string> chemins_;
  std::map<int, std::string> descriptions_;
};

}  // namespace zef30
