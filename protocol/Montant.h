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

// An amount field of the answer (a number of cents, blanks and a sign allowed around it) printed
// in units with exactly two decimals and no thousands separator: "00001250" gives "12.50", and
// "0001.5  " gives "0.02". A field that is not a number gives nothing.
std::optional<std::string> FormaterMontant(std::string_view centimes, const FormatMontant& format);

}  // namespace zef30
