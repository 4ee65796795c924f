#pragma once

#include <QString>
#include <functional>
#include <stdexcept>
#include <string>

#include "console/Console.h"
#include "console/EtatConsole.h"
#include "console/FichiersConsole.h"
#include "link/Liaison.h"
#include "tests/support/PortScripte.h"
#include "window/FenPresentation.h"

namespace zef30::essai {

// The scripted port seen through a spy: `surEcriture` runs at each write of the console, which is
// how a test acts while a request holds the line.
class PortEspion final : public PortSerie {
 public:
  explicit PortEspion(PortScripte& port) : port_(port) {}
  bool Ouvrir(int numero, std::string_view parametres) override {
    return port_.Ouvrir(numero, parametres);
  }
  bool EstOuvert() const override { return port_.EstOuvert(); }
  void Fermer() override { port_.Fermer(); }
  std::string DerniereErreur() const override { return port_.DerniereErreur(); }
  bool Essayer(int numero) override { return port_.Essayer(numero); }
  void DefinirTailleLecture(int taille) override { port_.DefinirTailleLecture(taille); }
  void Ecrire(std::string_view octets) override {
    port_.Ecrire(octets);
    if (surEcriture) surEcriture();
  }
  int NombreEnAttente() override { return port_.NombreEnAttente(); }
  std::string Lire() override { return port_.Lire(); }
  void AttendreAuMoins(int nombre, Horloge::Instant echeance) override {
    port_.AttendreAuMoins(nombre, echeance);
  }

  std::function<void()> surEcriture;

 private:
  PortScripte& port_;
};

// The real window over a whole console on a scripted port, started as the program starts it.
struct PosteEssai {
  // `refusPorts` not empty: no port opens, for that reason.
  explicit PosteEssai(const std::string& refusPorts = {}) {
    if (!refusPorts.empty()) port.RefuserOuverture(refusPorts);
    SignalerErreursPort(liaison, fenetre);
    fenetre.AttacherConsole(console);
    fenetre.Form_Load(espion);
  }

  // The control named `nom`, of kind T; a missing control fails the test that asked for it.
  template <typename T>
  T* Trouver(const char* nom) {
    auto* controle = fenetre.findChild<T*>(QString::fromLatin1(nom));
    if (controle == nullptr) throw std::runtime_error(std::string("no control ") + nom);
    return controle;
  }

  HorlogeVirtuelle horloge;
  PortScripte port{horloge};
  PortEspion espion{port};
  EtatConsole etat;
  Liaison liaison{espion, horloge, etat.NumeroPortCom};
  FenPresentation fenetre;
  FichiersConsole fichiers{"/nonexistent-zef30-data", fenetre};
  Console console{etat, liaison, fenetre, fichiers};
};

}  // namespace zef30::essai
