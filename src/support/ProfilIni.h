// Profile files: our own reader and writer of INI files, with the conventions Windows programs
// expect of them. A file is lines, ended by CR LF, LF or a lone CR; "[section]" opens a
// section (its name runs to the last ']'); "key=value" sets a key, and a key without '=' has
// no value. Names and values end at a NUL byte, as the C strings of Windows' own functions do.
// Sections and keys match without regard to letter case (Windows-1252 letters) or to the
// spaces and tabs around them; blank lines and lines beginning with ';' never match; when a
// section appears twice, the first one is read and written. Files are Windows-1252, but a file
// saved as UTF-8 (with or without BOM) is read, and rewritten, as UTF-8; one saved as UTF-16
// (with its BOM) is read, and never written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// The key's value, without the spaces around it nor one pair of enclosing quotes (single or
// double), cut to taille - 1 characters. When the file, the section or the key is missing, the
// default (without its trailing spaces) cut alike. A file name without folder is looked for in
// the Windows directory. Never throws.
std::string LireProfil(std::string_view section, std::string_view cle, std::string_view defaut,
                       std::size_t taille, std::string_view fichier);

// Sets the key's value, creating the file, the section and the key as needed; an existing key
// line is replaced where it stands, and a null value deletes it. Every other line keeps its
// bytes. The file is replaced whole through a temporary file beside it, so that a failure at
// any moment leaves either the old or the new file. Returns false when nothing was written:
// file not writable, bad folder, or a name or value that cannot be written without corrupting
// the file (line ends or NUL anywhere, '=' in the key, a key beginning with '[' or ';', a
// UTF-16 file).
// Never throws.
bool EcrireProfil(std::string_view section, std::string_view cle,
                  const std::optional<std::string>& valeur, std::string_view fichier);

// The same two operations on the bytes of a file held in memory.
// The key's whole value as read (spaces and quotes removed), or nullopt when absent or
// without '='.
std::optional<std::string> LireProfilTexte(std::string_view octets, std::string_view section,
                                           std::string_view cle);
// The new bytes of the file, or nullopt when the change is refused as above.
std::optional<std::string> ModifierProfilTexte(std::string_view octets, std::string_view section,
                                               std::string_view cle,
                                               const std::optional<std::string>& valeur);

} // namespace monvalor
