#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/Resultat.h"
#include "console/Console.h"

namespace zef30 {

// Waits up to `limite` seconds (monotonic clock) for a character, letting the window handle its
// events meanwhile, and returns the port's input as one read (one character while listening, or
// an empty text when nothing came). Once ArretEcoute is set it returns after one short pause
// when nothing is waiting. A port that is closed or lost is a failure.
Resultat<std::string> AttendreCaractere(Console& console, Horloge::Secondes limite);

// The error box of every listener: what it is, " : ", what went wrong.
void AfficherErreurEcoute(Fenetre& fenetre, const std::string& nomProcedure,
                          const std::string& description);

// A display frame: STX, "D", two lines of 16 characters for the terminal's display.
bool EstTrameAffichage(std::string_view trame);
// Characters 3 to 18, CR LF, characters 19 to 34 (what a short frame holds).
std::string TexteAffichage(std::string_view trame);
// Whether characters 2 and 3 of the frame are `code` ("Ak", "Ag"...).
bool EstReponse(std::string_view trame, std::string_view code);

class Ecoute;

// What a step of a listener says: whether the listening stops there, or the failure that ends it
// through the error box.
using SuiteEcoute = Resultat<bool>;

// What one listener does differently from the others; the loop, the handshake, the trace and the
// display of display frames are the same for all (Ecoute). A failure of any step ends the
// listening through the error box.
class Ecouteur {
 public:
  struct Regles {
    const char* nom;                          // what it is, in the error box: "Écoute de …"
    std::optional<Panneau> panneauVisible;    // shown while it listens, hidden at its normal end
    Panneau panneauAffichage;                 // where display frames go
    Horloge::Secondes attenteCaractere;       // each character wait
    Horloge::Secondes attenteControle;        // the check character after a block end
    std::optional<Horloge::Secondes> limite;  // since the start; none: until stopped
  };

  explicit Ecouteur(Regles regles) : regles(regles) {}
  virtual ~Ecouteur() = default;

  // Before the first pass, the line already read one character at a time: by default the ACK
  // for the ENQ the exchange received.
  virtual Resultat<void> Commencer(Ecoute& ecoute);
  // At the start of each pass, before the character wait.
  virtual void AvantAttente(Ecoute&) {}
  // Right after a read entered the trace, before it is handled: true stops at once.
  virtual bool ArreterAvantTraitement() { return false; }
  // The text a display frame shows.
  virtual std::string Affichage(std::string_view trame) const { return TexteAffichage(trame); }
  // A frame ended by ETX, acknowledged and, when it is a display frame, shown: true stops.
  virtual SuiteEcoute SurTrame(Ecoute&, const std::string&) { return false; }
  // A block ended by ETB, before its ACK: true stops without acknowledging it.
  virtual SuiteEcoute SurBloc(Ecoute&, const std::string&) { return false; }
  virtual bool SurEot() { return false; }
  // At the end of each pass: true stops.
  virtual SuiteEcoute ApresPassage(Ecoute&) { return false; }
  // The listener's result at its normal end.
  virtual std::string Rendre(const Ecoute& ecoute) const;

  const Regles regles;
};

// The listening loop shared by every listener.
class Ecoute {
 public:
  explicit Ecoute(Console& console) : console(console) {}

  // Runs `ecouteur` to its end and returns its result; on a run-time error shows the error box
  // and returns an empty text.
  std::string Executer(Ecouteur& ecouteur);

  Resultat<std::string> Attendre(Horloge::Secondes limite) {
    return AttendreCaractere(console, limite);
  }
  void EnvoyerAck();
  // The trace from its last STX before the `controle` characters that end it (the check
  // character just read): the frame just completed (empty when there is no STX within the
  // longest frame a header announces).
  std::string TrameCourante(std::size_t controle) const;
  // Every character read, in order; past a bound, the newest ones only, after a line saying
  // how many of the first were not kept.
  const std::string& Trace() const { return trace_; }
  const std::string& DerniereTrame() const { return derniereTrame_; }

  Console& console;

 private:
  // The listener's result, or the failure that ended it.
  Resultat<std::string> Mener(Ecouteur& ecouteur);
  // True when it ended on the listener's time limit.
  Resultat<bool> Derouler(Ecouteur& ecouteur);
  // Handles the read `lu`; true stops the listening.
  SuiteEcoute Traiter(Ecouteur& ecouteur, const std::string& lu);
  Resultat<std::string> ReleverFinDeBloc(Ecouteur& ecouteur);
  // `lu` at the end of the trace, the oldest characters let go past the bound.
  void Consigner(std::string_view lu);

  std::string trace_;
  std::size_t note_ = 0;       // length of the line at the front of trace_ saying what went
  std::size_t nonGardes_ = 0;  // characters let go
  std::string derniereTrame_;
};

// Runs a listener of kind E on a fresh listening.
template <typename E>
std::string Ecouter(Console& console) {
  E ecouteur;
  Ecoute ecoute(console);
  return ecoute.Executer(ecouteur);
}

}  // namespace zef30
