#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Horloge.h"
#include "link/PortSerie.h"

namespace zef30 {

// The text boxes that requests read or fill.
enum class ZoneTexte { txtSelection, Text2, TextPrix };

// The labels that show the terminal's display and the listening state.
enum class Panneau { PanelAnnulation, PanelRefus, LabelTemps, Label6 };

// A colour as its red, green and blue parts (0 to 255).
struct Couleur {
  int rouge = 0;
  int vert = 0;
  int bleu = 0;
};

// The status line's text: the context word, one blank, the message; the message alone without a
// context (nothing at all when both are empty, which is how a request empties the status line).
inline std::string TexteEtat(const std::string& contexte, const std::string& message) {
  if (contexte.empty()) return message;
  return contexte + " " + message;
}

// What requests and listeners may do with the console window. The Qt window is one
// implementation; the tests keep an in-memory one that records every call.
class Fenetre {
 public:
  virtual ~Fenetre() = default;

  // A result line at the end of List1, then selected so that the newest is always in view.
  virtual void AjouterLigne(const std::string& ligne) = 0;
  // Status line (TexteEtat); repainted at once.
  virtual void AfficherEtat(const std::string& contexte, const std::string& message) = 0;
  // What the status line shows now.
  virtual std::string LireEtat() const = 0;
  virtual void AfficherCarte(const std::string& numero, const std::string& dateValidite) = 0;
  virtual void EffacerCarte() = 0;

  virtual std::string LireTexte(ZoneTexte zone) const = 0;
  virtual void EcrireTexte(ZoneTexte zone, const std::string& texte) = 0;
  // `texte` at the end of the zone. A window that keeps long texts (a listening trace of hours)
  // does it at the cost of the added text alone.
  virtual void AjouterTexte(ZoneTexte zone, const std::string& texte) {
    EcrireTexte(zone, LireTexte(zone) + texte);
  }
  // Check1 "Ecran Hote" ticked.
  virtual bool EcranHoteCoche() const = 0;
  // Option1 "Mode Vente" selected.
  virtual bool ModeVenteChoisi() const = 0;

  virtual void RemplirListeDossiers(const std::vector<std::string>& dossiers) = 0;
  virtual void ViderListeDossiers() = 0;

  virtual void DefinirLegende(Panneau panneau, const std::string& texte) = 0;
  virtual void DefinirVisible(Panneau panneau, bool visible) = 0;
  virtual void Rafraichir(Panneau panneau) = 0;
  // The label's background: `couleur`, or the window's own background when there is none.
  virtual void DefinirCouleurFond(Panneau, std::optional<Couleur>) {}

  virtual void PointeurOccupe(bool occupe) = 0;
  // A modal box with an OK button; returns once the operator has pressed it.
  virtual void BoiteMessage(const std::string& titre, const std::string& texte) = 0;
  // A hint for an operator who cannot see the terminal (a run without a window): why a listening
  // goes on. The window has the terminal in sight and shows nothing more.
  virtual void DonnerIndice(const std::string&) {}
  // Lets the window handle its waiting events (clicks included), as listeners do between polls.
  virtual void CederAuxEvenements() = 0;
  // At the end of a request: the clicks and keys that came while it ran and that the window has
  // not handled yet are dropped, so that none starts a request after it. A window without an
  // event queue of its own has nothing to drop.
  virtual void RefuserSaisiesEnAttente() {}
  // A listener's wait: handles the window's events while it waits until a character is waiting
  // on `port`, a window event has been handled (the operator's click), or `echeance` (on the
  // port's clock) has come, whichever is first. It never spins: a quiet line and an idle window
  // cost no processor time. A window without an event loop of its own lets the port wait.
  virtual void AttendreLigneOuEvenement(PortSerie& port, Horloge::Instant echeance) {
    CederAuxEvenements();
    port.AttendreAuMoins(1, echeance);
  }
};

}  // namespace zef30

namespace zef30 {

// The busy pointer for as long as a request runs.
class Sablier {
 public:
  explicit Sablier(Fenetre& fenetre) : fenetre_(fenetre) { fenetre_.PointeurOccupe(true); }
  ~Sablier() { fenetre_.PointeurOccupe(false); }
  Sablier(const Sablier&) = delete;
  Sablier& operator=(const Sablier&) = delete;

 private:
  Fenetre& fenetre_;
};

// What `faire` gives, done under the busy pointer.
template <typename F>
auto SousSablier(Fenetre& fenetre, F&& faire) {
  const Sablier sablier(fenetre);
  return faire();
}

}  // namespace zef30
