#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zef30 {

// How receipts print an amount: the decimal separator of the user's regional settings.
struct FormatMontant {
  char SeparateurDecimal = '.';
};

// The separator of the user's locale, or '.' when that locale cannot be made or its separator
// is not a plain character.
FormatMontant LireFormatMontantUtilisateur();

// An amount field of the answer (a whole number of cents, blanks and a sign allowed around its
// digits) printed in units with exactly two decimals and no thousands separator: "00001250"
// gives "12.50". A field that is not a whole number of cents gives nothing.
std::optional<std::string> FormaterMontant(std::string_view centimes, const FormatMontant& format);

}  // namespace zef30
