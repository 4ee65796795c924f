#pragma once

#include <signal.h>
#include <termios.h>

namespace zef30 {

// SIGINT, SIGTERM, SIGHUP and every other signal whose default action ends a program (SIGQUIT,
// SIGUSR1, SIGALRM, SIGXCPU, SIGPROF, the real-time ones...) end the console at once, window or
// not, with the exit code 128 + the signal: the request under way is abandoned, and the line the
// console holds (ConfierLigne) is first given back as it was found: its settings, its exclusive
// mode, its low latency. The end comes on the main thread between two of its system calls, and
// every record the console writes goes out in one write (the counter in a file renamed into place),
// so no file is left with a torn record. Other threads (the simulated terminal's, the window
// system's) pass the signal on to the main thread rather than end the console themselves.
// SIGPIPE and SIGXFSZ are ignored: a write to a closed socket or pipe, or past the session's file
// size limit, fails and is reported by its writer. Installed once, by the program, before it
// starts any thread.
void TerminerSurSignaux();

// From now on, for a campaign that must end with its reports written: the first SIGINT (Ctrl-C)
// only asks the run to stop (ArretDemande() turns true, the request under way runs to its end,
// standard error says so);
// the next one, and SIGTERM and SIGHUP, end the console at once as above.
void ArreterEnDouceurSurSigint();
bool ArretDemande();

// From now on, for a run without a window: a signal that ends the console says so on standard
// error, with the last request that ended ("arrêtée par SIGTERM après la requête 3"), as
// NoterRequeteFinie has it.
void DireArretSurSignal();
void NoterRequeteFinie(int rang);

// Those signals wait, in this thread, for as long as the object lives: what is taken or given
// back as a whole (the line and what a signal must know of it) is never seen half done.
class SignauxRetenus {
 public:
  SignauxRetenus();
  ~SignauxRetenus();
  SignauxRetenus(const SignauxRetenus&) = delete;
  SignauxRetenus& operator=(const SignauxRetenus&) = delete;

 private:
  sigset_t avant_;
};

// The line to give back if such a signal ends the console: its descriptor, the settings it had
// when it was opened, and whether low latency was asked of its driver. One line: the console's.
// Called with the signals held.
void ConfierLigne(int fd, const termios& trouves, bool faibleLatence);
// Its owner gives it back itself: nothing left for a signal to do with `fd`.
void ReprendreLigne(int fd);

}  // namespace zef30
