#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/Resultat.h"

namespace zef30 {

// Whether a file's last link is followed when it is opened.
enum class DernierLien { Refuse, Suivi };

// One regular file held open by the console, closed with the object. Every file the console
// writes is opened through it: a symbolic link in the file's place is never followed (the file it
// points to is never written), the opening never waits (a named pipe nobody reads, a device), and
// whatever is not a regular file is refused before a byte is written.
class FichierRegulier {
 public:
  FichierRegulier() = default;
  // `drapeaux`: O_RDONLY, O_WRONLY or O_RDWR, with O_APPEND, O_CREAT, O_EXCL as needed.
  FichierRegulier(const std::string& chemin, int drapeaux, mode_t mode = 0666,
                  DernierLien lien = DernierLien::Refuse);
  ~FichierRegulier() { Fermer(); }
  FichierRegulier(FichierRegulier&& autre) noexcept;
  FichierRegulier& operator=(FichierRegulier&& autre) noexcept;
  FichierRegulier(const FichierRegulier&) = delete;
  FichierRegulier& operator=(const FichierRegulier&) = delete;

  bool Ouvert() const { return fd_ >= 0; }
  int Descripteur() const { return fd_; }
  // Why it is not open: the system's error number (ELOOP for a link, EINVAL for anything else
  // that is not a regular file)...
  int Erreur() const { return erreur_; }
  // ... and in words: what stands there instead of a regular file, or the system's reason.
  const std::string& Raison() const { return raison_; }
  // True when the path holds something that is not a regular file (a link, a pipe, a device).
  bool NonRegulier() const { return nonRegulier_; }

  // What a write did: the system's error number (0 when all went), and how many of how many
  // bytes went.
  struct Ecriture {
    int erreur = 0;
    std::size_t ecrits = 0;
    std::size_t total = 0;
  };
  // Appends `octets` as one record that begins on a line of its own: after an earlier record
  // left without its line end (a console killed while writing), it begins with CR LF. A write
  // that does not complete gives the file back the size it had before, so no torn record stays.
  // Under an exclusive lock of the file, which other consoles writing it take too.
  Ecriture AjouterEnregistrement(std::string_view octets);
  // The whole file, read from its start: 0, EFBIG when it holds more than `tailleMax` bytes
  // (nothing more is read), or the system's error number.
  int LireTout(std::string& contenu, std::size_t tailleMax);
  // Closes the file: 0, or the system's error number of the close.
  int Fermer();
  // The descriptor, handed over to the caller who closes it.
  int Liberer();

 private:
  void Refuser(int erreur, std::string raison, bool nonRegulier);

  int fd_ = -1;
  int erreur_ = 0;
  std::string raison_;
  bool nonRegulier_ = false;
};

// Writes every byte of `octets` to `fd` (at `position` when one is given), whatever the system
// takes at a time, again after an interruption. A write that takes nothing is EIO. On a socket
// (`prise`), a connection the far end has closed gives EPIPE instead of ending the program.
FichierRegulier::Ecriture EcrireTout(int fd, std::string_view octets,
                                     std::optional<off_t> position = std::nullopt,
                                     bool prise = false);

// What a file of type `mode` is when it is not a regular file ("lien symbolique", "tube
// nommé"...), with ", pas un fichier ordinaire"; empty for a regular file.
std::string NatureNonReguliere(mode_t mode);

// The whole file behind `fd`, read from its start whatever its offset: 0, EFBIG when it holds
// more than `tailleMax` bytes (nothing more is read), or the system's error number.
int LireToutDescripteur(int fd, std::string& contenu, std::size_t tailleMax);

// The system's own description of an error number.
std::string DecrireErreur(int numeroErreur);
// The failure of the system's error `numeroErreur`: its number, and `raison` or else the
// system's own words.
Echec EchecSysteme(int numeroErreur, std::string raison = {});

}  // namespace zef30
