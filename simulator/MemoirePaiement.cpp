#include "simulator/MemoirePaiement.h"

#include <algorithm>
#include <utility>

namespace zef30::simulateur {

MemoirePaiement::Ouverture MemoirePaiement::Ouvrir(DossierOuvert dossier) {
  if (Trouver(dossier.numero) != nullptr || clos_.contains(dossier.numero)) {
    return Ouverture::DejaConnu;
  }
  if (ouverts_.size() >= kOuvertsMax) return Ouverture::Plein;
  ouverts_.push_back(std::move(dossier));
  return Ouverture::Ouvert;
}

const DossierOuvert* MemoirePaiement::Trouver(const std::string& numero) const {
  const auto trouve = std::find_if(ouverts_.begin(), ouverts_.end(),
                                   [&](const DossierOuvert& d) { return d.numero == numero; });
  return trouve == ouverts_.end() ? nullptr : &*trouve;
}

std::optional<DossierOuvert> MemoirePaiement::Clore(const std::string& numero) {
  const auto trouve = std::find_if(ouverts_.begin(), ouverts_.end(),
                                   [&](const DossierOuvert& d) { return d.numero == numero; });
  if (trouve == ouverts_.end()) return std::nullopt;
  DossierOuvert clos = std::move(*trouve);
  ouverts_.erase(trouve);
  clos_.insert(clos.numero);
  return clos;
}

std::vector<DossierOuvert> MemoirePaiement::Ouverts(const std::string& application) const {
  std::vector<DossierOuvert> liste;
  for (const DossierOuvert& d : ouverts_) {
    if (d.application == application) liste.push_back(d);
  }
  return liste;
}

}  // namespace zef30::simulateur
