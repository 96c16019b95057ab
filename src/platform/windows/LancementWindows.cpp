#include "services/Lancement.h"

#include "http/Protocole.h"
#include "support/Erreur.h"

#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace monvalor::systeme {

namespace fs = std::filesystem;

namespace {

class Poignee {
public:
    explicit Poignee(HANDLE h) : h_(h) {}
    ~Poignee() { Fermer(); }
    Poignee(const Poignee&) = delete;
    Poignee& operator=(const Poignee&) = delete;
    HANDLE operator*() const { return h_; }
    bool Valide() const { return h_ != INVALID_HANDLE_VALUE; }
    void Fermer() {
        if (Valide()) {
            CloseHandle(h_);
            h_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE h_;
};

// Through our handle when we hold one: the name may already be someone else's link, the file
// behind the handle is the one we mean. By name only when the system will not.
void Supprimer(Poignee& fichier, const fs::path& nom) {
    FILE_DISPOSITION_INFO suppression{TRUE};
    const bool marque =
        fichier.Valide() &&
        SetFileInformationByHandle(*fichier, FileDispositionInfo, &suppression, sizeof suppression);
    fichier.Fermer();
    if (!marque) {
        DeleteFileW(nom.c_str());
    }
}

[[noreturn]] void Refuser(Poignee& fichier, const fs::path& nom, int numero) {
    Supprimer(fichier, nom);
    throw Erreur(numero);
}

// A plain file with this one name: not a link, a folder or a device, and no second name
// through which it could have been prepared.
bool FichierOrdinaire(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION infos{};
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &infos) &&
           (infos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
               0 &&
           infos.nNumberOfLinks == 1;
}

// The whole file; false past the largest body a download takes.
bool LireTout(HANDLE h, std::string& octets) {
    LARGE_INTEGER taille{};
    if (!GetFileSizeEx(h, &taille) ||
        static_cast<std::uint64_t>(taille.QuadPart) > http::MaxCorps) {
        return false;
    }
    octets.reserve(static_cast<std::size_t>(taille.QuadPart));
    char tampon[1 << 16];
    while (true) {
        DWORD lus = 0;
        if (!ReadFile(h, tampon, sizeof tampon, &lus, nullptr)) {
            return false;
        }
        if (lus == 0) {
            return true;
        }
        if (octets.size() + lus > http::MaxCorps) {
            return false;
        }
        octets.append(tampon, lus);
    }
}

// Moves the held file to `cible`, replacing whatever has that name; the handle keeps it locked
// under its new name.
bool Renommer(HANDLE h, const fs::path& cible) {
    const std::wstring nom = cible.native();
    const std::size_t octetsNom = nom.size() * sizeof(wchar_t);
    std::vector<unsigned char> tampon(sizeof(FILE_RENAME_INFO) + octetsNom);
    auto* info = new (tampon.data()) FILE_RENAME_INFO{};
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(octetsNom);
    std::memcpy(info->FileName, nom.c_str(), octetsNom + sizeof(wchar_t));
    return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(tampon.size()));
}

// Whole, as the rename and CreateProcess take it, not against a current folder that may change.
fs::path Absolu(const fs::path& chemin) {
    std::error_code erreur;
    fs::path absolu = fs::absolute(chemin, erreur);
    return erreur ? chemin : absolu;
}

// Starts the program hidden, as SystemeWin32::Lancer starts one: named by itself, so that a
// folder with spaces cannot be read as the start of another, and quoted on its command line.
bool Demarrer(const fs::path& programme) {
    STARTUPINFOW depart{};
    depart.cb = sizeof depart;
    depart.dwFlags = STARTF_USESHOWWINDOW;
    depart.wShowWindow = SW_HIDE;
    std::wstring ligne = L"\"" + programme.native() + L"\"";
    PROCESS_INFORMATION processus{};
    if (!CreateProcessW(programme.c_str(), ligne.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &depart, &processus)) {
        constexpr DWORD kElevationRequise = 740; // ERROR_ELEVATION_REQUIRED, not in every SDK
        if (GetLastError() != kElevationRequise) {
            return false;
        }
        // An installer that asks for administrator rights: the shell asks the user for them.
        // The file stays held by our handle until the elevated process has been created.
        SHELLEXECUTEINFOW demande{};
        demande.cbSize = sizeof demande;
        demande.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
        demande.lpVerb = L"runas";
        demande.lpFile = programme.c_str();
        demande.nShow = SW_HIDE;
        if (!ShellExecuteExW(&demande)) {
            return false;
        }
        if (demande.hProcess) {
            CloseHandle(demande.hProcess);
        }
        return true;
    }
    CloseHandle(processus.hThread);
    CloseHandle(processus.hProcess);
    return true;
}

} // namespace

int ErreurDemarrage(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ErrFichierIntrouvable;
    case ERROR_ACCESS_DENIED:
        return ErrPermission;
    default:
        return ErrArgument; // not a program, or one this system cannot run
    }
}

bool LancerVerifie(const fs::path& chemin, const fs::path& nomFinal,
                   const std::function<bool(std::string_view)>& verifier) {
    const fs::path temporaire = Absolu(chemin), cible = Absolu(nomFinal);
    // Shared for reading only, from the check to the start: while we hold it nobody can write,
    // delete or rename the file, nor move another over its name. A link planted at the name is
    // opened as itself, and refused.
    Poignee fichier(CreateFileW(temporaire.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::string octets;
    if (!fichier.Valide() || !FichierOrdinaire(*fichier) || !LireTout(*fichier, octets)) {
        Refuser(fichier, temporaire, ErrAccesChemin);
    }
    if (!verifier(octets)) {
        Supprimer(fichier, temporaire);
        return false;
    }
    // Programs start by name here: the held file takes the name it is known by, or keeps its
    // own when that one cannot be freed (an updater of before still running).
    const fs::path& programme = Renommer(*fichier, cible) ? cible : temporaire;
    // The system opens the image to read and run it sharing reading and deletion, which our
    // handle allows (Wine as Windows); it is closed only once the process holds its image,
    // which then cannot be written either.
    if (!Demarrer(programme)) {
        const DWORD code = GetLastError();
        Refuser(fichier, programme, ErreurDemarrage(code));
    }
    return true;
}

} // namespace monvalor::systeme
