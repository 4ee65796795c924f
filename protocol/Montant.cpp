#include "protocol/Montant.h"

#include <cmath>
#include <cstdint>
#include <locale>

#include "base/Texte.h"

namespace zef30 {

FormatMontant LireFormatMontantUtilisateur() {
  FormatMontant format;
  const char separateur = std::use_facet<std::numpunct<char>>(LocaleUtilisateur()).decimal_point();
  // A separator outside printable ASCII would not be valid UTF-8 on its own.
  if (separateur > ' ' && separateur < 0x7F && (separateur < '0' || separateur > '9')) {
    format.SeparateurDecimal = separateur;
  }
  return format;
}

std::optional<std::string> FormaterMontant(std::string_view centimes, const FormatMontant& format) {
  // Beyond 2^53 a double no longer holds every whole number: no field of 8 characters gets near.
  constexpr double kPlusGrandExact = 9007199254740992.0;
  const auto nombre = LireNombre(centimes);
  if (!nombre || std::fabs(*nombre) > kPlusGrandExact) return std::nullopt;
  // Two decimals of units: a fraction of a cent is rounded, a half away from zero.
  const auto valeur = static_cast<std::int64_t>(std::round(*nombre));
  const std::uint64_t absolue =
      valeur < 0 ? static_cast<std::uint64_t>(-valeur) : static_cast<std::uint64_t>(valeur);
  const auto reste = static_cast<unsigned>(absolue % 100);
  std::string texte = valeur < 0 ? "-" : "";
  texte += std::to_string(absolue / 100);
  texte += format.SeparateurDecimal;
  texte += static_cast<char>('0' + reste / 10);
  texte += static_cast<char>('0' + reste % 10);
  return texte;
}

}  // namespace zef30
