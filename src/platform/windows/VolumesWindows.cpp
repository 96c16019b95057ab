#include "platform/windows/VolumesWindows.h"

#include "support/Ansi.h"
#include "support/TexteSource.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace monvalor {

namespace {

// A drive with no disk in it must answer with an error, not with the system's "insert a disk"
// box in front of the user.
class SansBoiteErreurCritique {
public:
    SansBoiteErreurCritique() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &ancien_); }
    ~SansBoiteErreurCritique() { SetThreadErrorMode(ancien_, nullptr); }
    SansBoiteErreurCritique(const SansBoiteErreurCritique&) = delete;
    SansBoiteErreurCritique& operator=(const SansBoiteErreurCritique&) = delete;

private:
    DWORD ancien_ = 0;
};

class Recherche {
public:
    explicit Recherche(HANDLE h) : h_(h) {}
    ~Recherche() {
        if (h_ != INVALID_HANDLE_VALUE) {
            FindClose(h_);
        }
    }
    Recherche(const Recherche&) = delete;
    Recherche& operator=(const Recherche&) = delete;
    HANDLE Handle() const { return h_; }

private:
    HANDLE h_;
};

bool EstLettre(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char Majuscule(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}
bool EstSeparateur(char c) {
    return c == '\\' || c == '/';
}

bool EstRacine(std::string_view chemin) {
    return chemin.size() == 3 && EstLettre(chemin[0]) && chemin[1] == ':' &&
           EstSeparateur(chemin[2]);
}

// Where "\\server\share" ends in a path that starts with two separators.
std::size_t FinRacineReseau(std::string_view chemin) {
    std::size_t i = 2;
    for (int pas = 0; pas < 2 && i < chemin.size(); ++pas) {
        while (i < chemin.size() && !EstSeparateur(chemin[i])) {
            ++i;
        }
        if (pas == 0 && i < chemin.size()) {
            ++i;
        }
    }
    return i;
}

std::string Raison(std::uint32_t code) {
    switch (code) {
    case ERROR_NOT_READY:
        return "aucun disque dans le lecteur";
    case ERROR_ACCESS_DENIED:
        return std::string(u8"accès refusé"_ansi);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return "introuvable";
    case ERROR_INVALID_DRIVE:
        return "lecteur inexistant";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_REM_NOT_LIST:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_SEM_TIMEOUT:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
        return "serveur injoignable";
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return std::string(u8"erreur d'entrée-sortie"_ansi);
    case ERROR_UNRECOGNIZED_MEDIA:
    case ERROR_NOT_DOS_DISK:
        return "support illisible";
    default:
        return std::string(u8"erreur système "_ansi) + std::to_string(code);
    }
}

} // namespace

Erreur EchecDossierWindows(std::uint32_t code, const std::string& dossier, bool racine) {
    const bool absent = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ||
                        code == ERROR_DIRECTORY || code == ERROR_INVALID_NAME ||
                        code == ERROR_BAD_PATHNAME;
    if (racine || (!absent && code != ERROR_ACCESS_DENIED)) {
        return Erreur(ErrPeripherique, DescriptionErreur(ErrPeripherique) + " : " + dossier + " (" +
                                           Raison(code) + ")");
    }
    const int n = absent ? ErrCheminIntrouvable : ErrPermission;
    return Erreur(n, DescriptionErreur(n) + " : " + dossier);
}

std::string ResoudreCheminWindows(const std::string& base, const std::string& texte) {
    std::string t = texte;
    for (char& c : t) {
        c = c == '/' ? '\\' : c;
    }
    std::string b = base;
    for (char& c : b) {
        c = c == '/' ? '\\' : c;
    }
    // The root of an absolute path, and what follows it.
    const auto scinder = [](const std::string& p, std::string& racine, std::string& reste) {
        if (p.size() >= 2 && EstLettre(p[0]) && p[1] == ':') {
            racine = {Majuscule(p[0]), ':', '\\'};
            reste = p.substr(2);
        } else if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
            const std::size_t fin = FinRacineReseau(p);
            racine = p.substr(0, fin);
            reste = p.substr(fin);
        } else {
            racine.clear();
            reste = p;
        }
    };
    std::string racineBase, resteBase;
    scinder(b, racineBase, resteBase);
    std::string racine, reste;
    if (t.size() >= 2 && t[0] == '\\' && t[1] == '\\') {
        scinder(t, racine, reste);
    } else if (t.size() >= 2 && EstLettre(t[0]) && t[1] == ':') {
        scinder(t, racine, reste);
        // "D:x" is relative to the folder the user stands in on D:, known only for base's drive.
        if ((reste.empty() || reste[0] != '\\') && racine == racineBase) {
            reste = resteBase + '\\' + reste;
        }
    } else if (!t.empty() && t[0] == '\\') {
        racine = racineBase;
        reste = t;
    } else {
        racine = racineBase;
        reste = resteBase + '\\' + t;
    }

    std::vector<std::string_view> pas;
    std::string_view r = reste;
    while (!r.empty()) {
        const std::size_t fin = std::min(r.find('\\'), r.size());
        std::string_view p = r.substr(0, fin);
        r.remove_prefix(std::min(fin + 1, r.size()));
        if (p == "..") {
            if (!pas.empty()) {
                pas.pop_back();
            }
            continue;
        }
        while (!p.empty() && (p.back() == '.' || p.back() == ' ')) {
            p.remove_suffix(1);
        }
        if (!p.empty()) {
            pas.push_back(p);
        }
    }
    std::string chemin = racine;
    for (std::string_view p : pas) {
        if (!chemin.empty() && chemin.back() != '\\') {
            chemin += '\\';
        }
        chemin += p;
    }
    return chemin;
}

std::vector<Volume> VolumesWindows::Lecteurs() {
    const SansBoiteErreurCritique garde;
    wchar_t windows[MAX_PATH + 1] = {};
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    const wchar_t lettreSysteme = n >= 2 && windows[1] == L':' ? windows[0] & ~0x20 : 0;

    std::vector<Volume> lecteurs;
    const DWORD masque = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((masque & (1u << i)) == 0) {
            continue;
        }
        const char lettre = static_cast<char>('A' + i);
        const wchar_t racine[] = {static_cast<wchar_t>(lettre), L':', L'\\', 0};
        Volume v{{lettre, ':', '\\'}, "", GenreVolume::Disque};
        switch (GetDriveTypeW(racine)) {
        case DRIVE_NO_ROOT_DIR:
            continue;
        case DRIVE_REMOVABLE:
        case DRIVE_CDROM:
            v.genre = GenreVolume::Amovible;
            break;
        case DRIVE_REMOTE:
            v.genre = GenreVolume::Reseau;
            break;
        default:
            break;
        }
        if (static_cast<wchar_t>(lettre) == lettreSysteme) {
            v.genre = GenreVolume::Systeme;
        }
        // Floppies take seconds to answer and a server that is gone much longer: the list
        // shows them by their letter only. A drive that is not ready has no label either; it
        // stays in the list and says so when it is opened.
        const bool lent = v.genre == GenreVolume::Reseau ||
                          (v.genre == GenreVolume::Amovible && (lettre == 'A' || lettre == 'B'));
        wchar_t nom[MAX_PATH + 1] = {};
        if (!lent && GetVolumeInformationW(racine, nom, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                           nullptr, 0)) {
            std::string etroit;
            for (const wchar_t* c = nom; *c != 0; ++c) {
                const int octet = OctetAnsi(static_cast<char32_t>(*c));
                etroit.push_back(octet < 0 ? '?' : static_cast<char>(octet));
            }
            v.nom = std::move(etroit);
        }
        lecteurs.push_back(std::move(v));
    }
    return lecteurs;
}

std::string VolumesWindows::RepertoireCourant() {
    std::wstring tampon(MAX_PATH + 1, L'\0');
    for (int essai = 0; essai < 3; ++essai) {
        const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(tampon.size()), tampon.data());
        if (n == 0) {
            break;
        }
        if (n < tampon.size()) {
            tampon.resize(n);
            if (auto chemin = AnsiExactDepuisLarge(tampon)) {
                return *chemin;
            }
            break;
        }
        tampon.assign(n + 1, L'\0');
    }
    // The user's own folder, else the system's drive: somewhere the lists can stand.
    wchar_t profil[MAX_PATH + 1] = {};
    const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", profil, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH) {
        if (auto chemin = AnsiExactDepuisLarge(std::wstring_view(profil, n));
            chemin && EstAbsolu(*chemin)) {
            return *chemin;
        }
    }
    return "C:\\";
}

bool VolumesWindows::EstAbsolu(const std::string& chemin) {
    return (chemin.size() >= 3 && EstLettre(chemin[0]) && chemin[1] == ':' &&
            EstSeparateur(chemin[2])) ||
           (chemin.size() >= 2 && EstSeparateur(chemin[0]) && EstSeparateur(chemin[1]));
}

std::string VolumesWindows::Resoudre(const std::string& base, const std::string& texte) {
    return ResoudreCheminWindows(EstAbsolu(base) ? base : RepertoireCourant(), texte);
}

std::vector<std::string> VolumesWindows::SousDossiers(const std::string& dossier) {
    const bool racine = EstRacine(dossier);
    // A NUL would cut the name short and a wildcard would match other folders than this one.
    if (dossier.empty() ||
        dossier.find_first_of(std::string_view("\0*?", 3)) != std::string::npos) {
        throw EchecDossierWindows(ERROR_INVALID_NAME, dossier, racine);
    }
    const SansBoiteErreurCritique garde;
    std::wstring motif = LargeDepuisAnsi(dossier);
    if (motif.back() != L'\\' && motif.back() != L'/') {
        motif.push_back(L'\\');
    }
    motif.push_back(L'*');
    WIN32_FIND_DATAW entree{};
    const Recherche recherche(FindFirstFileW(motif.c_str(), &entree));
    if (recherche.Handle() == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // Only a drive's root can hold nothing at all, not even "." and "..".
        const DWORD attributs = GetFileAttributesW(LargeDepuisAnsi(dossier).c_str());
        if (code == ERROR_FILE_NOT_FOUND && attributs != INVALID_FILE_ATTRIBUTES &&
            (attributs & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return {};
        }
        throw EchecDossierWindows(code, dossier, racine);
    }
    std::vector<std::string> noms;
    do {
        const std::wstring_view nom = entree.cFileName;
        if ((entree.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (entree.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0 ||
            nom == L"." || nom == L"..") {
            continue;
        }
        if (auto ansi = AnsiExactDepuisLarge(nom)) {
            noms.push_back(std::move(*ansi));
        }
    } while (FindNextFileW(recherche.Handle(), &entree));
    if (const DWORD code = GetLastError(); code != ERROR_NO_MORE_FILES) {
        throw EchecDossierWindows(code, dossier, racine);
    }
    return noms;
}

} // namespace monvalor
