#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/Montant.h"

namespace zef30 {

// The merchant receipts printed from accepted answers. Each builder returns the whole receipt
// text (UTF-8, lines joined by CR LF, the last line "A CONSERVER" without one), made of the
// answer's fields as they stand, converted from the terminal's Windows-1252. A field beyond the
// end of a short answer is empty; a line whose amount is not a number is left out.

// Accepted validity answer in dossier form.
std::string ConstruireTicketValidite(std::string_view reponse,
                                     const FormatMontant& format = LireFormatMontantUtilisateur());

// Accepted registration answer with dossier, whose receipt fields begin at `debut` (29).
std::string ConstruireTicketEnregistrement(
    std::string_view reponse, std::int16_t debut,
    const FormatMontant& format = LireFormatMontantUtilisateur());

// Accepted registration answer without dossier.
std::string ConstruireTicketEnregistrementSimple(
    std::string_view reponse, const FormatMontant& format = LireFormatMontantUtilisateur());

// Accepted dossier information answer, whose receipt fields begin at `debut` (32).
std::string ConstruireTicketDossier(std::string_view reponse, std::int16_t debut,
                                    const FormatMontant& format = LireFormatMontantUtilisateur());

}  // namespace zef30
