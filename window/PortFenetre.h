#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/PortSerie.h"

namespace zef30 {

class FenPresentation;

// The console's port as the window's link sees it: every operation goes to `port` unchanged,
// except that the link's waits are the window's (FenPresentation::AttendreLigne): it repaints
// and a close ends the console at once, while what the operator clicks or types during the
// request is dropped, never run after it.
class PortFenetre final : public PortSerie {
 public:
  PortFenetre(PortSerie& port, FenPresentation& fenetre) : port_(port), fenetre_(fenetre) {}

  bool Ouvrir(int numero, std::string_view parametres) override {
    return port_.Ouvrir(numero, parametres);
  }
  bool EstOuvert() const override { return port_.EstOuvert(); }
  void Fermer() override { port_.Fermer(); }
  std::string DerniereErreur() const override { return port_.DerniereErreur(); }
  bool Essayer(int numero) override { return port_.Essayer(numero); }
  void DefinirTailleLecture(int taille) override { port_.DefinirTailleLecture(taille); }
  void Ecrire(std::string_view octets) override { port_.Ecrire(octets); }
  int NombreEnAttente() override { return port_.NombreEnAttente(); }
  std::string Lire() override { return port_.Lire(); }
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override;
  int Descripteur() const override { return port_.Descripteur(); }
  std::optional<Horloge::Instant> ReveilAvant() const override { return port_.ReveilAvant(); }

 private:
  PortSerie& port_;
  FenPresentation& fenetre_;
};

}  // namespace zef30
