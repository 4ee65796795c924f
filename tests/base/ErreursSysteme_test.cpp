#include "base/ErreursSysteme.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <system_error>

namespace zef30 {
namespace {

// Whatever the environment's language, the console's errors come in French.
TEST(DecrireErreurSysteme, TheErrorsTheConsoleMeetsAreSaidInFrench) {
  // Texts kept as copies: strerror's text of an unknown number lives only until its next call.
  const struct {
    int numero;
    std::string texte;
  } cas[] = {
      {ENOENT, "fichier ou dossier absent"},
      {EACCES, "permission refusée"},
      {EBUSY, "déjà utilisé"},
      {EIO, "erreur d’entrée-sortie"},
      {ENOSPC, "plus de place"},
      {EFBIG, "fichier trop grand"},
      {EROFS, "disque en lecture seule"},
      {ENXIO, "périphérique absent"},
      {ENOTDIR, "pas un dossier"},
      {ECONNREFUSED, "connexion refusée"},
      {ETIMEDOUT, "délai dépassé"},
      {EHOSTUNREACH, "hôte injoignable"},
      {ECONNRESET, "connexion coupée par le serveur"},
      {EPIPE, "l’autre bout est fermé"},
      // Beyond the table, the system's own text rather than nothing.
      {EDOM, std::strerror(EDOM)},
      {-7, std::strerror(-7)},
  };
  for (const auto& c : cas) EXPECT_EQ(DecrireErreurSysteme(c.numero), c.texte) << c.numero;
}

TEST(DecrireException, ASystemErrorIsSaidByItsNumber) {
  const struct {
    std::exception_ptr exception;
    const char* texte;
  } cas[] = {
      {std::make_exception_ptr(std::system_error(ENOSPC, std::generic_category())),
       "plus de place"},
      {std::make_exception_ptr(std::filesystem::filesystem_error(
           "x", std::make_error_code(std::errc::permission_denied))),
       "permission refusée"},
      {std::make_exception_ptr(std::bad_alloc()), "mémoire insuffisante"},
      {std::make_exception_ptr(std::runtime_error("trame tronquée")), "trame tronquée"},
  };
  for (const auto& c : cas) {
    try {
      std::rethrow_exception(c.exception);
    } catch (const std::exception& e) {
      EXPECT_EQ(DecrireException(e), c.texte);
    }
  }
}

}  // namespace
}  // namespace zef30
