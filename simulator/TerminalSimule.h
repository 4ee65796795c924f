#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "simulator/Deroulement.h"
#include "simulator/Familles.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/Scenario.h"

namespace zef30::simulateur {

// The ZEF30 terminal played on its own thread at the end of a serial line: a pseudo-terminal
// for a console on the same machine, or a real device.
class TerminalSimule {
 public:
  explicit TerminalSimule(Scenario scenario = {});
  ~TerminalSimule();  // stops the thread, closes the descriptors
  TerminalSimule(const TerminalSimule&) = delete;
  TerminalSimule& operator=(const TerminalSimule&) = delete;

  // Opens a pseudo-terminal (posix_openpt, grantpt, unlockpt, raw mode) and returns the path of
  // its slave side for the console to open, or why it cannot. A console
  // that goes away from it without giving up its exclusive mode does not keep the next one out
  // (GardeExclusivite).
  Resultat<std::string> OuvrirPseudoTerminal();
  // A real serial line, set to 9600 bauds, 8N1, raw, no flow control.
  Resultat<void> OuvrirPeripherique(const std::string& chemin);

  // Plays the terminal on its own thread (nothing happens until a line is open).
  void Demarrer();
  void Arreter();
  // True from Demarrer until Arreter, or until the line is gone.
  bool EnMarche() const;

  void ModifierScenario(const std::function<void(Scenario&)>& modification);  // thread-safe
  // One more family of requests, before Demarrer.
  void AjouterFamille(std::string debut, Famille famille);
  // Traffic the terminal starts by itself (display frames, restart EOTs, reports): played as
  // soon as the line is idle. Thread-safe.
  void EmettreSpontanement(Deroulement deroulement);

  // Everything the console sent so far, as bytes (thread-safe; beyond 2 MiB, the last MiB).
  std::string Recu() const;
  // Everything the terminal sent so far, as bytes (the same).
  std::string Emis() const;
  // Requests whose exchange the terminal has finished: closing character sent, refusal ended
  // by EOT, or EOT answered otherwise than by ENQ.
  int RequetesServies() const;
  // How many times a console went away leaving the line in exclusive mode, and we lifted it.
  int LignesRendues() const;
  // Waits, at most `limite`, until that has happened `nombre` times.
  bool AttendreLignesRendues(int nombre, std::chrono::milliseconds limite) const;

  // Waits, at most `limite`, until `nombre` requests have been served.
  bool AttendreRequetesServies(int nombre, std::chrono::milliseconds limite) const;
  // Waits, at most `limite`, until `nombre` bytes have been received and every reply to them
  // has been written.
  bool AttendreRecu(std::size_t nombre, std::chrono::milliseconds limite) const;

 private:
  void Jouer();
  void Executer(const std::string& octets, bool rafale, int bauds);
  bool PatienterJusqua(std::chrono::steady_clock::time_point instant);
  void Reveiller();
  void Fermer();

  mutable std::mutex verrou_;
  mutable std::condition_variable changement_;
  Scenario scenario_;
  TableFamilles familles_;
  std::deque<Deroulement> spontanes_;
  std::string recu_;
  std::string emis_;
  std::size_t recusTotal_ = 0;
  std::size_t repondus_ = 0;  // bytes received whose replies have all been written
  int servies_ = 0;
  int rendues_ = 0;
  bool arret_ = false;
  bool enMarche_ = false;

  int fd_ = -1;       // our side of the line: the pseudo-terminal's master, or the device
  int esclave_ = -1;  // kept open so that the master never sees a hang-up between two users
  int reveil_[2] = {-1, -1};
  GardeExclusivite garde_;  // used by the thread once started
  std::thread fil_;
};

}  // namespace zef30::simulateur
