#pragma once

#include <cstddef>
#include <cstdint>
#include <locale>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zef30 {

// The `longueur` bytes that start at `position` (counted from 1). A position beyond the text
// reads as empty and a field running past its end comes back shortened: never out of bounds.
std::string Extraire(std::string_view texte, long position, long longueur);

// The byte at `position` (from 1) as a one-character text, or the empty text beyond the end.
std::string Caractere(std::string_view texte, long position);

// The pieces of `texte` between any of the `separateurs`, in order; a separator at the very end
// opens no empty last piece.
std::vector<std::string_view> Decouper(std::string_view texte, std::string_view separateurs);
// The lines of a text, without their ends (LF or CR LF).
std::vector<std::string_view> DecouperLignes(std::string_view texte);

// `texte` without the `blancs` at its start and end.
std::string_view SansBlancs(std::string_view texte, std::string_view blancs = " \t");

// Appends the code point `c` to `sortie` in UTF-8; beyond U+10FFFF, U+FFFD.
void AjouterUtf8(std::string& sortie, char32_t c);
// Terminal bytes are Windows-1252; every text meant for people is UTF-8.
std::string Cp1252VersUtf8(std::string_view octets);
// A text of unknown origin as UTF-8: what already is valid UTF-8 stays as it is, and every other
// byte is taken as Windows-1252, the terminal's own.
std::string VersUtf8Valide(std::string_view octets);
// The characters of a UTF-8 text, whatever their bytes: the columns it takes on a terminal.
std::size_t NombreCaracteres(std::string_view utf8);
// A word given by the operator or a file, as a message quotes it: in UTF-8 (VersUtf8Valide), its
// first 40 characters, then "…" when there were more, whatever its length; its control
// characters named (NommerControles), so that a quote is one line and shows what is there.
std::string Citer(std::string_view mot);

// Bytes as people read them: printable ASCII as it is, control characters of the line's
// handshake by their names (<STX>, <ACK>...), any other byte as <HH>.
std::string TexteLisible(std::string_view octets);
// The same for a UTF-8 text meant for people: only control characters are named, every other
// byte is left as it is.
std::string NommerControles(std::string_view texte);
// Two hexadecimal digits of `octet`, added at the end of `texte`.
void AjouterHexa(std::string& texte, unsigned char octet);

// `texte` without the UTF-8 byte order mark some editors put in front of a file.
std::string_view SansBom(std::string_view texte);

// A whole number made of decimal digits only (no blank, no sign), within 32 bits.
std::optional<std::int32_t> LireEntierStrict(std::string_view texte);

// The usual reading of a number typed or sent as text: surrounding blanks and one sign are
// accepted, then decimal digits with an optional fraction. Anything else is not a number.
std::optional<double> LireNombre(std::string_view texte);

// The user's locale for dates and decimal separators, or the classic one when the environment
// names a locale the system does not have.
std::locale LocaleUtilisateur();

}  // namespace zef30
