#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/PortSerie.h"

namespace zef30 {

// A port in front of another that hands every operation on unchanged: a port that adds to one
// operation (a wait of its own, a spy, a stopwatch) overrides that one only.
class PortRelais : public PortSerie {
 public:
  explicit PortRelais(PortSerie& port) : port_(port) {}

  bool Ouvrir(int numero, std::string_view parametres) override {
    return port_.Ouvrir(numero, parametres);
  }
  bool EstOuvert() const override { return port_.EstOuvert(); }
  void Fermer() override { port_.Fermer(); }
  std::string DerniereErreur() const override { return port_.DerniereErreur(); }
  bool Essayer(int numero) override { return port_.Essayer(numero); }
  std::string DecrireLigne(int numero) const override { return port_.DecrireLigne(numero); }
  void DefinirTailleLecture(int taille) override { port_.DefinirTailleLecture(taille); }
  void Ecrire(std::string_view octets) override { port_.Ecrire(octets); }
  int NombreEnAttente() override { return port_.NombreEnAttente(); }
  std::string Lire() override { return port_.Lire(); }
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override {
    port_.AttendreAuMoins(nombre, echeance);
  }
  int Descripteur() const override { return port_.Descripteur(); }
  std::optional<Horloge::Instant> ReveilAvant() const override { return port_.ReveilAvant(); }

 protected:
  // The port behind.
  PortSerie& Relaye() const { return port_; }

 private:
  PortSerie& port_;
};

}  // namespace zef30
