#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Horloge.h"

namespace zef30 {

// The serial port as the link uses it: what the terminal sends is counted and read as bytes.
class PortSerie {
 public:
  virtual ~PortSerie() = default;

  // Opens port `numero` (1 = the first port) with settings such as "9600,N,8,1".
  // On failure returns false, and DerniereErreur() says why in words for the operator; it is
  // empty from a successful open until the line is lost.
  virtual bool Ouvrir(int numero, std::string_view parametres) = 0;
  virtual bool EstOuvert() const = 0;
  virtual void Fermer() = 0;
  virtual std::string DerniereErreur() const = 0;
  // Whether port `numero` is there and is a serial line, without taking it and without changing
  // anything of it: the line may be another program's, or a login prompt.
  virtual bool Essayer(int numero) = 0;
  // The line behind port `numero` as the operator knows it ("/dev/ttyUSB0", "/dev/pts/2
  // (terminal simulé)", "rfc2217://bench-7:4001"); empty when the port cannot say.
  virtual std::string DecrireLigne(int /*numero*/) const { return {}; }

  // 0: a read takes everything waiting; 1: a read takes one character.
  virtual void DefinirTailleLecture(int taille) = 0;
  virtual void Ecrire(std::string_view octets) = 0;
  virtual int NombreEnAttente() = 0;
  virtual std::string Lire() = 0;

  // Returns as soon as at least `nombre` characters are waiting, or once `echeance` has passed.
  // A line found gone by a read, a write or a wait (hang-up, EIO, ENXIO) closes the port, and
  // DerniereErreur() says so; on a closed port these operations return at once.
  virtual void AttendreAuMoins(int nombre, Horloge::Instant echeance) = 0;

  // The system's descriptor of the open line, for a window that waits on it together with its
  // own events; -1 when there is none (closed, or a port that is not a system line).
  virtual int Descripteur() const { return -1; }
  // For such a wait: the moment (on the port's clock) by which it must ask the port again, by
  // any operation, when the port has work of its own due then (the line trace writing out what
  // it held back); none when the wait may sleep as long as it needs.
  virtual std::optional<Horloge::Instant> ReveilAvant() const { return std::nullopt; }
};

}  // namespace zef30
