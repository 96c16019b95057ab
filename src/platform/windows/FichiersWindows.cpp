#include "services/FichiersSysteme.h"

#include "support/Ansi.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <string>
#include <sys/stat.h>

namespace monvalor::systeme {

namespace fs = std::filesystem;

fs::path CheminNatif(std::string_view chemin) {
    std::wstring large;
    large.reserve(chemin.size());
    for (char c : chemin) {
        large.push_back(static_cast<wchar_t>(CodeUnicode(static_cast<unsigned char>(c))));
    }
    return fs::path(large);
}

bool EstRacineLecteur(std::string_view chemin) {
    return chemin.size() == 3 && chemin[1] == ':' && chemin[2] == SeparateurChemin;
}

bool AUnRepertoire(std::string_view fichier) {
    return fichier.find_first_of("\\/:") != std::string_view::npos;
}

// Access lists, not attributes, decide who may write ("Program Files" is closed to users):
// the only sure answer is to try. A file is opened for writing without being changed; a
// folder gets a file that goes away as it is closed.
bool Inscriptible(const fs::path& chemin) {
    const DWORD attributs = GetFileAttributesW(chemin.c_str());
    if (attributs == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if ((attributs & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const HANDLE h = CreateFileW(chemin.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return false;
        }
        CloseHandle(h);
        return true;
    }
    for (int essai = 0; essai < 8; ++essai) {
        const fs::path sonde =
            chemin / (L".monvalor-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(essai));
        const HANDLE h = CreateFileW(
            sonde.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

std::string_view SuffixeProgramme() {
    return ".exe";
}

std::string_view AnnonceMiseAJour() {
    return "version.txt";
}

// The installer asks for the rights it needs: a folder we cannot write is still ours to update.
bool MiseAJourParPaquets(const fs::path&) {
    return false;
}

// The folders under the user's profile inherit its rights, which are the user's own.
bool CreerDossierPrive(const fs::path& chemin) {
    std::error_code erreur;
    fs::create_directories(chemin, erreur);
    return fs::is_directory(chemin, erreur);
}

bool CopierDroits(int, const fs::path&) {
    return true;
}

int OuvrirExclusif(const fs::path& chemin) {
    int fd = -1;
    if (_wsopen_s(&fd, chemin.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYRW,
                  _S_IREAD | _S_IWRITE) != 0) {
        return -1;
    }
    return fd;
}
bool EcrireTout(int fd, std::string_view octets) {
    while (!octets.empty()) {
        const unsigned morceau =
            static_cast<unsigned>(std::min<std::size_t>(octets.size(), 1 << 20));
        const int n = _write(fd, octets.data(), morceau);
        if (n <= 0) {
            return false;
        }
        octets.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
bool Synchroniser(int fd) {
    return _commit(fd) == 0;
}
bool Fermer(int fd) {
    return _close(fd) == 0;
}
void SynchroniserRepertoire(const fs::path&) {}

} // namespace monvalor::systeme
