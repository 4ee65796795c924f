#pragma once

#include <string>
#include <string_view>

#include "link/PortPosix.h"
#include "link/PortReseau.h"
#include "link/PortSerie.h"
#include "link/TablePorts.h"

namespace zef30 {

// The console's port: for each number, the line its path names, a device of this machine or a
// line served over the network (EstAdresseReseau). The one it opened last answers for it.
class PortAiguillage final : public PortSerie {
 public:
  explicit PortAiguillage(const TablePorts& table) : table_(table), local_(table), reseau_(table) {}

  bool Ouvrir(int numero, std::string_view parametres) override {
    PortSerie& voulu = Choisir(numero);
    if (&voulu != actif_) actif_->Fermer();
    actif_ = &voulu;
    return actif_->Ouvrir(numero, parametres);
  }
  bool EstOuvert() const override { return actif_->EstOuvert(); }
  void Fermer() override { actif_->Fermer(); }
  std::string DerniereErreur() const override { return actif_->DerniereErreur(); }
  bool Essayer(int numero) override { return Choisir(numero).Essayer(numero); }
  std::string DecrireLigne(int numero) const override { return table_.Libelle(numero); }

  void DefinirTailleLecture(int taille) override {
    local_.DefinirTailleLecture(taille);
    reseau_.DefinirTailleLecture(taille);
  }
  void Ecrire(std::string_view octets) override { actif_->Ecrire(octets); }
  int NombreEnAttente() override { return actif_->NombreEnAttente(); }
  std::string Lire() override { return actif_->Lire(); }
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override {
    actif_->AttendreAuMoins(nombre, echeance);
  }
  int Descripteur() const override { return actif_->Descripteur(); }

 private:
  PortSerie& Choisir(int numero) {
    if (EstAdresseReseau(table_.Chemin(numero))) return reseau_;
    return local_;
  }

  TablePorts table_;
  PortPosix local_;
  PortReseau reseau_;
  PortSerie* actif_ = &local_;
};

}  // namespace zef30
