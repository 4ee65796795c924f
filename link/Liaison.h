#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Horloge.h"
#include "base/Resultat.h"
#include "link/PortSerie.h"
#include "protocol/Trame.h"

namespace zef30 {

// Stands in place of an answer when the handshake failed, for the requests that read the
// answer by its positions: position 7 reads "S" (a refusal), positions 8 to 9 "SA".
inline constexpr std::string_view ERR_MESSAGE = "ERR_MESSAGE";

// Waits of the handshake that do not depend on the request.
inline constexpr Horloge::Secondes kDelaiReponse{10.0};

// The terminal link: the port, its opening on first use, and the request/answer handshake.
class Liaison {
 public:
  // Port 1 is the one the first opening takes, until ChoisirPort says another.
  Liaison(PortSerie& port, const Horloge& horloge);

  // The operator's choice of port: it holds until the port has once been opened. From then on
  // the link keeps the line it opened, and opens that one again after a loss: a later choice
  // has no effect, whatever the window shows.
  void ChoisirPort(int numero);
  // The port the next request opens: the one chosen, or once opened the one kept.
  int PortProchaineRequete() const { return numeroPort_; }
  // The line behind that port as the operator knows it ("/dev/pts/2 (terminal simulé)"); empty
  // when the port cannot say.
  std::string DecrireLigne() const { return port_.DecrireLigne(numeroPort_); }

  // Told why the port could not be opened (device and the system's reason), that its line
  // was lost, or what came instead of the terminal's ACK to the readiness probe.
  void SurErreurPort(std::function<void(const std::string&)> signaler);
  // The device behind a port number, named when the terminal is silent ("/dev/ttyS0").
  void NommerLigne(std::function<std::string(int numero)> nommer);

  // Makes sure the port is open, opening it again if its line was lost. Each request begins here
  // (through the readiness probe), as do the listeners.
  bool OuvrirPort();
  // True once the line opened for the current request has gone (the port then closed itself);
  // told once through SurErreurPort. Until the next OuvrirPort, nothing more is sent: the rest of
  // a handshake must not reach a terminal plugged back in the meantime.
  bool LignePerdue();

  // Discards what is waiting, sends `message`, waits until `attendu` characters are waiting or
  // `delai` seconds have passed, and returns all waiting.
  std::string EnvoyerTrame(std::string_view message, int attendu, Horloge::Secondes delai);

  // The request/answer exchange: the answer frame exactly as received, or an Echange failure.
  Resultat<std::string> Echanger(std::string_view message, int attendu, Horloge::Secondes delai);

  // The readiness probe: ENQ answered by ACK alone. Anything else is told through
  // SurErreurPort: what came in its place, or the silence and the line it was waited for on.
  bool AttendreTerminalPret();

  // The end of an exchange: the console's last ACK, then the terminal's closing character,
  // awaited within 10 s and not looked at. Nothing of the exchange is on its way afterwards.
  void TerminerEchange();
  // The closing character that an ACK already sent calls for: awaited within `delai` seconds,
  // nothing sent and nothing discarded; what came (empty when nothing did).
  std::string AttendreFermeture(Horloge::Secondes delai);

  // What a read by the length field returns: what was read, and the count of its second wait.
  struct LectureTrame {
    std::string lu;
    int attendu = 0;
  };
  // How a frame is read by its length field (positions 4 to 6): whole; never beyond the end of
  // the first block; the same with a short read when the first data character is "9".
  enum class LectureParLongueur { Entiere, Bloc, BlocCourt };
  // Sends `message`, then reads the first six characters and exactly the rest (L +
  // kSupplementTrame in all). One start time bounds both waits; `attendu` is the count of the
  // second wait when the first brought fewer than six.
  LectureTrame EnvoyerTrameParLongueur(LectureParLongueur lecture, std::string_view message,
                                       int attendu, Horloge::Secondes delai);

  // Exchanges that differ from Echanger only in how they read the answer.
  Resultat<LectureTrame> EchangerListeDossiers(std::string_view message, int attendu,
                                               Horloge::Secondes delai);
  Resultat<std::string> EchangerReponseLongue(std::string_view message, Horloge::Secondes delai);
  Resultat<std::string> EchangerValiditeForfait(std::string_view message, Horloge::Secondes delai);

  // Opening shared by every exchange: the frame, sent again while the terminal answers NAK (three
  // sends at most), then EOT. Returns the reply to EOT, waited for within `delaiEnq`, or nullopt
  // when the third send was refused too (EOT then sent and its reply read, within 10 s).
  std::optional<std::string> OuvrirEchange(std::string_view message, Horloge::Secondes delaiEnq);

  // For the listeners. One handshake character (ACK, ENQ), written as it is: nothing waiting is
  // discarded, no reply is awaited.
  void EnvoyerCaractere(char caractere);
  // Discards what is waiting, whatever the read size.
  void Vider();
  // Reads of `taille` characters (1: one at a time, 0: everything waiting) for as long as it
  // lives, and the size asked for before it afterwards, whatever way the caller ends. The link's
  // own exchanges read everything waiting, whatever was asked for.
  class TailleLecture {
   public:
    TailleLecture(Liaison& liaison, int taille) : liaison_(liaison), avant_(liaison.taille_) {
      liaison_.DefinirTaille(taille);
    }
    ~TailleLecture() { liaison_.DefinirTaille(avant_); }
    TailleLecture(const TailleLecture&) = delete;
    TailleLecture& operator=(const TailleLecture&) = delete;

   private:
    Liaison& liaison_;
    const int avant_;
  };
  // A listener's pause: waits on `port` until at most the moment given; false ends the wait.
  using Pause = std::function<bool(PortSerie& port, Horloge::Instant jusqua)>;
  // Waits until a character is waiting or `echeance` has come, the time between in `pause` (the
  // port's own wait when none), then reads once; nullopt when the line is closed or lost.
  std::optional<std::string> AttendreLecture(Horloge::Instant echeance, const Pause& pause = {});
  // Why the port could not be opened, or why its line was lost.
  std::string DerniereErreur() const { return port_.DerniereErreur(); }

  const Horloge& HorlogeLiaison() const { return horloge_; }

 private:
  bool OuvrirSiFerme();
  // Why the probe failed, `lu` being what answered it.
  std::string DecrireSondeManquee(std::string_view lu) const;
  void DefinirTaille(int taille) { port_.DefinirTailleLecture(taille_ = taille); }
  // Opens the port if need be, discards what is waiting and sends; the deadline `delai` seconds
  // after the send, or nullopt when there was nothing to send or no port to send it on.
  std::optional<Horloge::Instant> Emettre(std::string_view message, Horloge::Secondes delai);
  // Opening, ENQ required, the caller's way of reading the answer, then the final ACK.
  using LectureReponse = std::function<Resultat<std::string>()>;
  Resultat<std::string> EchangerAvecLecture(std::string_view message, Horloge::Secondes delaiEnq,
                                            const LectureReponse& lireReponse);
  // ACK, then the first block (or the whole frame when it fits in one) read by its length field.
  std::string LirePremierBloc();
  Resultat<std::string> LireDeuxBlocs();

  PortSerie& port_;
  const Horloge& horloge_;
  int numeroPort_ = 1;
  bool portFixe_ = false;  // opened once: the choice is made for the run
  std::function<void(const std::string&)> signalerErreurPort_;
  std::function<std::string(int)> nommerLigne_;
  bool enService_ = false;  // the link opened the port and has not seen it close
  bool perdue_ = false;
  int taille_ = 0;  // the read size a listener asked for
};

// The answer as the requests read it by its positions: the frame, or ERR_MESSAGE in its place
// when the exchange failed. The one place the failure becomes that text.
std::string TexteReponse(const Resultat<std::string>& reponse);
std::string TexteReponse(const Resultat<Liaison::LectureTrame>& lecture);

}  // namespace zef30
