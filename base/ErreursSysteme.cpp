#include "base/ErreursSysteme.h"

#include <cerrno>
#include <new>
#include <string>
#include <system_error>

namespace zef30 {

namespace {

struct ErreurDite {
  int numero;
  const char* texte;
};

// Short words, as they end a sentence: "ouverture impossible : fichier ou dossier absent".
constexpr ErreurDite kErreurs[] = {
    {ENOENT, "fichier ou dossier absent"},
    {EACCES, "permission refusée"},
    {EPERM, "permission refusée"},
    {EBUSY, "déjà utilisé"},
    {EIO, "erreur d’entrée-sortie"},
    {ENOSPC, "plus de place"},
    {EDQUOT, "quota dépassé"},
    {EFBIG, "fichier trop grand"},
    {EROFS, "disque en lecture seule"},
    {ENXIO, "périphérique absent"},
    {ENODEV, "périphérique absent"},
    {ENOTDIR, "pas un dossier"},
    {EISDIR, "c’est un dossier"},
    {EEXIST, "existe déjà"},
    {ELOOP, "trop de liens symboliques"},
    {ENAMETOOLONG, "nom trop long"},
    {EMFILE, "trop de fichiers ouverts"},
    {ENFILE, "trop de fichiers ouverts"},
    {ENOMEM, "mémoire insuffisante"},
    {ENOTTY, "pas une ligne série"},
    {EINVAL, "argument refusé"},
    {EAGAIN, "ressource momentanément indisponible"},
    {EINTR, "interrompu"},
    {ECONNREFUSED, "connexion refusée"},
    {ETIMEDOUT, "délai dépassé"},
    {EHOSTUNREACH, "hôte injoignable"},
    {ENETUNREACH, "réseau injoignable"},
    {ENETDOWN, "réseau hors service"},
    {ECONNRESET, "connexion coupée par le serveur"},
    {ECONNABORTED, "connexion abandonnée"},
    {EPIPE, "l’autre bout est fermé"},
    {EADDRNOTAVAIL, "adresse indisponible"},
    {EAFNOSUPPORT, "famille d’adresses non prise en charge"},
};

}  // namespace

std::string DecrireErreurSysteme(int numeroErreur) {
  for (const ErreurDite& e : kErreurs) {
    if (e.numero == numeroErreur) return e.texte;
  }
  // The system's own text, with the error's number when even that is unknown. Through the
  // error category, which copies it at once: strerror's text of an unknown number lives only
  // until its next call, in any thread.
  return std::generic_category().message(numeroErreur);
}

std::string DecrireException(const std::exception& exception) {
  if (const auto* systeme = dynamic_cast<const std::system_error*>(&exception)) {
    const std::error_code& code = systeme->code();
    if (code.category() == std::generic_category() || code.category() == std::system_category())
      return DecrireErreurSysteme(code.value());
  }
  if (dynamic_cast<const std::bad_alloc*>(&exception) != nullptr)
    return DecrireErreurSysteme(ENOMEM);
  return exception.what();
}

}  // namespace zef30
