#pragma once

#include <QString>
#include <functional>
#include <stdexcept>
#include <string>

#include "console/Poste.h"
#include "link/PortRelais.h"
#include "tests/support/PortScripte.h"
#include "window/FenPresentation.h"

namespace zef30::essai {

// The scripted port seen through a spy: `surEcriture` runs at each write of the console, which is
// how a test acts while a request holds the line.
class PortEspion final : public PortRelais {
 public:
  explicit PortEspion(PortScripte& port) : PortRelais(port) {}
  void Ecrire(std::string_view octets) override {
    PortRelais::Ecrire(octets);
    if (surEcriture) surEcriture();
  }

  std::function<void()> surEcriture;
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
  FenPresentation fenetre;
  Poste poste{espion, horloge, fenetre, "/nonexistent-zef30-data"};
  EtatConsole& etat = poste.etat;
  Liaison& liaison = poste.liaison;
  Console& console = poste.console;
};

}  // namespace zef30::essai
