#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Horloge.h"
#include "link/PortSerie.h"

namespace zef30 {

// Waits of the handshake that do not depend on the request, in seconds.
inline constexpr double kDelaiReponse = 10.0;

// The terminal link: the port, its opening on first use, and the request/answer handshake.
class Liaison {
 public:
  // `numeroPortCom` is read each time the port has to be opened, so a choice made before the
  // first request takes effect; once open, the port is never re-configured.
  Liaison(PortSerie& port, const Horloge& horloge, const std::int32_t& numeroPortCom);

  // Told why the port could not be opened (device and the system's reason), or that its line
  // was lost.
  void SurErreurPort(std::function<void(const std::string&)> signaler);

  // Makes sure the port is open, opening it again if its line was lost. Each request begins here
  // (through the readiness probe), as do the listeners.
  bool OuvrirPort();
  // True once the line opened for the current request has gone (the port then closed itself);
  // told once through SurErreurPort. Until the next OuvrirPort, nothing more is sent: the rest of
  // a handshake must not reach a terminal plugged back in the meantime.
  bool LignePerdue();

  // Discards what is waiting, sends `message` (and its check character when asked), waits until
  // `attendu` characters are waiting or `delai` seconds have passed, and returns all waiting.
  std::string EnvoyerTrame(std::string_view message, bool avecLrc, int attendu, double delai);

  // The request/answer exchange: the answer frame exactly as received, or ERR_MESSAGE.
  std::string Echanger(std::string_view message, int attendu, double delai);

  // The readiness probe: ENQ answered by ACK alone.
  bool AttendreTerminalPret();

  // Receive operations that read a frame by its length field (positions 4 to 6): the first six
  // characters, then exactly the rest (L + `supplement` in all). One start time bounds both waits;
  // the count of the second wait is written back into `attendu`.
  std::string EnvoyerTrameLongueurLue(std::string_view message, bool avecLrc, int& attendu,
                                      double delai, int supplement);
  // The same, never beyond the end of the first block.
  std::string EnvoyerTrameBloc(std::string_view message, bool avecLrc, int& attendu, double delai,
                               int supplement);
  // The same as EnvoyerTrameBloc, with a short read when the first data character is "9".
  std::string EnvoyerTrameBlocCourt(std::string_view message, bool avecLrc, int& attendu,
                                    double delai, int supplement);

  // Exchanges that differ from Echanger only in how they read the answer.
  std::string EchangerListeDossiers(std::string_view message, int& attendu, double delai);
  std::string EchangerEnregistrement(std::string_view message, int attendu, double delai);
  std::string EchangerReponseLongue(std::string_view message, int attendu, double delai);
  std::string EchangerValiditeForfait(std::string_view message, int attendu, double delai);

  // Opening shared by every exchange: the frame, sent again while the terminal answers NAK (three
  // sends at most), then EOT. Returns the reply to EOT, waited for within `delaiEnq`, or nullopt
  // when the third send was refused too (EOT then sent and its reply read, within 10 s).
  std::optional<std::string> OuvrirEchange(std::string_view message, double delaiEnq);

  // Opening, ENQ required, the caller's way of reading the answer, then the final ACK.
  using LectureReponse = std::function<std::string()>;
  std::string EchangerAvecLecture(std::string_view message, double delaiEnq,
                                  const LectureReponse& lireReponse);

  PortSerie& Port() { return port_; }
  const Horloge& HorlogeLiaison() const { return horloge_; }

 private:
  bool OuvrirSiFerme();
  // Opens the port if need be, discards what is waiting and sends; the deadline `delai` seconds
  // after the send, or nullopt when there was nothing to send or no port to send it on.
  std::optional<Horloge::Instant> Emettre(std::string_view message, bool avecLrc, double delai);
  enum class LectureParLongueur { Entiere, Bloc, BlocCourt };
  std::string EnvoyerTrameParLongueur(LectureParLongueur lecture, std::string_view message,
                                      bool avecLrc, int& attendu, double delai, int supplement);
  // ACK, then the first block (or the whole frame when it fits in one) read by its length field.
  std::string LirePremierBloc();
  std::string LireDeuxBlocs();

  PortSerie& port_;
  const Horloge& horloge_;
  const std::int32_t& numeroPortCom_;
  std::function<void(const std::string&)> signalerErreurPort_;
  bool enService_ = false;  // the link opened the port and has not seen it close
  bool perdue_ = false;
};

}  // namespace zef30
