// File, path and shell routines. Paths are Windows-1252 texts, like every text of the core;
// they become native paths only when handed to the operating system (CheminSysteme).
#pragma once

#include "services/FichiersSysteme.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace monvalor {

// True when the file's size can be read: an existing file, even empty. Folders, missing files,
// paths through missing folders and bad names all give false; never throws.
bool FichierExiste(std::string_view chemin);

// Opens a document, folder or web or mail address with the program the desktop associates
// with it. Returns the shell's answer: above 32 on success, 32 or less on failure. The owner
// is the native handle of the window the shell may attach its own messages to, 0 for none.
std::int32_t OuvrirDocument(std::string_view document, std::uintptr_t proprietaire = 0);

// The part after the last separator; empty when there is none or when the path ends with one.
std::string ExtraireNom(std::string_view chemin);
// Everything up to and including the last separator; empty when there is none or when the path
// ends with one.
std::string ExtraireRepertoire(std::string_view chemin);
// The folder and the name with exactly one separator between them (none when the folder is
// empty or already ends with one). The name is never examined.
std::string JoindreChemin(std::string_view repertoire, std::string_view nom);

// The program's per-user data folder (it stands for the Windows directory) and the system's
// program folder, without trailing separator; empty when the platform cannot give them.
std::string RepertoireWindows();
std::string RepertoireSysteme();

// The native path of a Windows-1252 path, for std::filesystem and the OS calls.
std::filesystem::path CheminSysteme(std::string_view chemin);

} // namespace monvalor
