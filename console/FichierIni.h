#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Resultat.h"
#include "console/Fenetre.h"
#include "link/FichierRegulier.h"

namespace zef30 {

// Settings files in the profile format: "[Section]" lines, then "key=value" lines. Section and
// key names compare without regard to case; blanks around names and values do not count.
// Files may end their lines with LF or CR LF; what we write ends every line with CR LF.

// The value of `cle` in `section` of the profile text `contenu`, blanks around it removed and
// one pair of matching quotes taken off; nothing when the section or the key is missing.
std::optional<std::string> LireValeurIni(std::string_view contenu, std::string_view section,
                                         std::string_view cle);

// `contenu` with `cle` set to `valeur` in `section`: the key's line is rewritten where it
// stands, or added at the end of its section, or the section is added at the end of the text.
// Every other line is kept as it was.
std::string ModifierIni(std::string_view contenu, std::string_view section, std::string_view cle,
                        std::string_view valeur);

// A value read as a whole number the way the profile reading does it: an optional sign, then
// the digits up to the first other character; no digit at all reads as 0. Held within 32 bits.
std::int32_t LireEntierIni(std::string_view valeur);

// The whole number of `ligne` in `section` of `fichierIni`; `defaut` when the file, the section
// or the key is missing, or when the key holds nothing. A value that is not a number reads 0.
std::int32_t LireIniInteger(const std::string& fichierIni, const std::string& section,
                            const std::string& ligne, std::int16_t defaut);
// The same on the profile text `contenu` already read.
std::int32_t LireEntierDansIni(std::string_view contenu, std::string_view section,
                               std::string_view cle, std::int32_t defaut);

// Writes `ligne`=`valeur` into `section` of `fichierIni`, creating the file, the section or the
// key as needed. The new file replaces the old one in a single step, so a crash leaves either
// the old file or the new one, never a cut one. On any error the window shows the error box
// (title "EcrireIniString") and the file is left as it was. True when the value is written.
bool EcrireIniString(Fenetre& fenetre, const std::string& fichierIni, const std::string& section,
                     const std::string& ligne, const std::string& valeur);

// Writes the whole text to a new file beside `chemin`, forces it to the disk, then puts it in
// place by rename: a reader sees the old file or the new one, never a cut one. A file made
// read-only is left as it is, and so is anything at `chemin` that is not a regular file (a
// link is replaced neither by the file nor at its target). A failure has the error number, and
// says why in words.
Resultat<void> RemplacerFichier(const std::string& chemin, std::string_view contenu);

// The whole text written in place of what the file open for writing at `fd` holds, then forced
// to the disk: for a file whose folder refuses the new file that RemplacerFichier puts beside
// it. The text goes in one write before the file is cut to its length, so a reader sees the old
// text or the new one, with at worst the end of the old one after it.
Resultat<void> EcrireEnPlace(int fd, std::string_view contenu);

// Removes the copies that consoles killed while replacing `chemin` left beside it (named
// after `chemin`, the process and ".tmp"): those of a process that no longer runs.
void RetirerCopiesAbandonnees(const std::string& chemin);

// The same write without the box: a failure has the system's error number, for the caller to
// show once it holds nothing that others wait for.
Resultat<void> EcrireValeurIni(const std::string& fichierIni, const std::string& section,
                               const std::string& ligne, const std::string& valeur);
// The same, on the file's content `contenu` already read.
Resultat<void> EcrireValeurIni(const std::string& fichierIni, std::string_view contenu,
                               const std::string& section, const std::string& ligne,
                               const std::string& valeur);

// Whether `contenu` is a settings file that the console may rewrite: at most 1 MiB, no NUL
// byte, and each line blank, a ";" comment, a "[Section]" header, or a "key=value" line under
// a section. A text of another kind (a system file, a script, a document) is never rewritten.
bool EstAuFormatProfil(std::string_view contenu);

// The whole regular file open at `fd`, read from its start; a failure has the error number
// (EFBIG past the size of a settings file).
Resultat<std::string> LireContenu(int fd);

// The file that `chemin` names once its symbolic links are followed (a settings file shared
// between folders through a link is written at its target, never replaced by a local copy).
std::string SuivreLiens(const std::string& chemin);

// The text of the error box for the system error `numeroErreur`: four lines joined by CR.
std::string FormaterErreur(int numeroErreur);

}  // namespace zef30
