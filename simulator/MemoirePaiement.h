#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zef30::simulateur {

// A dossier the terminal opened on an accepted validity request, waiting for its registration.
struct DossierOuvert {
  std::string numero;        // 12 digits, as the console sent it
  std::string application;   // "CBEMV" or "CB"
  std::string montant;       // the checked amount, 8 digits of cents
  std::string carte;         // 16 characters
  std::string finValidite;   // year and month, 4 characters
  std::string autorisation;  // 6 characters
};

// The terminal's memory of its dossiers: open ones in the order they were opened, and the numbers
// of those already registered or cancelled, which it never takes again.
class MemoirePaiement {
 public:
  // As many open dossiers as the terminal's transaction file holds.
  static constexpr std::size_t kOuvertsMax = 200;

  enum class Ouverture { Ouvert, DejaConnu, Plein };
  Ouverture Ouvrir(DossierOuvert dossier);
  // The open dossier of that number, if any.
  const DossierOuvert* Trouver(const std::string& numero) const;
  // Registers or cancels an open dossier: it leaves the list; nothing when it is not open.
  std::optional<DossierOuvert> Clore(const std::string& numero);
  // The open dossiers of one application, oldest first.
  std::vector<DossierOuvert> Ouverts(const std::string& application) const;

 private:
  std::vector<DossierOuvert> ouverts_;
  std::set<std::string> clos_;
};

}  // namespace zef30::simulateur
