// What the path routines and the INI engine need of the operating system's files: native
// paths, the drive roots, and the steps of a replacement that never leaves a half-written file.
// Each system has its realisation (posix/, windows/), chosen by the build.
#pragma once

#include <filesystem>
#include <string_view>

namespace monvalor {

// The separator that the path routines look for and put between a folder and a name.
inline constexpr char SeparateurChemin = MONVALOR_SEPARATEUR_CHEMIN;

namespace systeme {

// The native path of a Windows-1252 path, for std::filesystem and the OS calls.
std::filesystem::path CheminNatif(std::string_view chemin);
// True when the path is a drive's root ("C:\"), which keeps its separator.
bool EstRacineLecteur(std::string_view chemin);
// True when a file name carries a folder of its own.
bool AUnRepertoire(std::string_view fichier);
// The file can be written by this process.
bool Inscriptible(const std::filesystem::path& chemin);
// What ends the name of a program file: ".exe" on Windows, nothing elsewhere.
std::string_view SuffixeProgramme();
// Where, under the product's site, this system's updates are announced.
std::string_view AnnonceMiseAJour();
// True when the program in that folder is kept up to date by the system's packages and not by
// our own updater (on Linux: a folder the user cannot write).
bool MiseAJourParPaquets(const std::filesystem::path& repertoireProgramme);

// Creates a new file for writing only, readable and writable by its owner alone whatever the
// umask; -1 when it exists or cannot be made (errno tells).
int OuvrirExclusif(const std::filesystem::path& chemin);
// Creates the folder and any missing parent, each private to its owner whatever the umask;
// folders already there are left as they are. False when it cannot.
bool CreerDossierPrive(const std::filesystem::path& chemin);
bool EcrireTout(int fd, std::string_view octets);
// The new file takes the permissions (and, where allowed, the owner) of the regular file it
// replaces; never special bits, and nothing through a link planted at the name.
bool CopierDroits(int fd, const std::filesystem::path& original);
bool Synchroniser(int fd);
bool Fermer(int fd);
// Makes a rename in the folder durable.
void SynchroniserRepertoire(const std::filesystem::path& repertoire);

} // namespace systeme

} // namespace monvalor
