#include "platform/posix/VolumesPosix.h"

#include "forms/ListesFichiers.h"
#include "support/Ansi.h"
#include "support/TexteSource.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace monvalor {

namespace {

// File systems that hold no user's files.
constexpr std::string_view kPseudos[] = {
    "autofs",   "binfmt_misc", "bpf",      "cgroup",  "cgroup2",    "configfs",   "debugfs",
    "devpts",   "devtmpfs",    "efivarfs", "fusectl", "hugetlbfs",  "mqueue",     "nsfs",
    "overlay",  "proc",        "pstore",   "ramfs",   "rpc_pipefs", "securityfs", "selinuxfs",
    "squashfs", "sysfs",       "tmpfs",    "tracefs"};
constexpr std::string_view kReseaux[] = {"nfs",   "nfs4",        "cifs",       "smb3",
                                         "smbfs", "sshfs",       "fuse.sshfs", "9p",
                                         "davfs", "fuse.davfs2", "afs"};
// Where removable media and the user's own mounts go.
constexpr std::string_view kAmovibles[] = {"/media", "/run/media", "/mnt"};
// The system's own places, never a user's drive.
constexpr std::string_view kSysteme[] = {"/proc", "/sys",  "/dev", "/run",
                                         "/boot", "/snap", "/var", "/efi"};

bool Parmi(std::span<const std::string_view> liste, std::string_view v) {
    return std::ranges::find(liste, v) != liste.end();
}

bool SousUneDe(std::span<const std::string_view> racines, std::string_view chemin) {
    return std::ranges::any_of(racines, [&](std::string_view r) { return SousRacine(chemin, r); });
}

// A mount table writes space, tab, newline and backslash as \ooo.
std::string Deschapper(std::string_view champ) {
    std::string s;
    for (std::size_t i = 0; i < champ.size(); ++i) {
        if (champ[i] == '\\' && i + 3 < champ.size()) {
            const auto chiffre = [&](std::size_t k) {
                return champ[i + k] >= '0' && champ[i + k] <= '7';
            };
            if (chiffre(1) && chiffre(2) && chiffre(3)) {
                s += static_cast<char>(((champ[i + 1] - '0') << 6) | ((champ[i + 2] - '0') << 3) |
                                       (champ[i + 3] - '0'));
                i += 3;
                continue;
            }
        }
        s += champ[i];
    }
    return s;
}

std::string_view Champ(std::string_view& ligne) {
    const std::size_t debut = std::min(ligne.find_first_not_of(" \t"), ligne.size());
    ligne.remove_prefix(debut);
    const std::size_t fin = std::min(ligne.find_first_of(" \t"), ligne.size());
    const std::string_view champ = ligne.substr(0, fin);
    ligne.remove_prefix(fin);
    return champ;
}

std::string DernierNom(std::string_view chemin) {
    return std::string(chemin.substr(chemin.rfind('/') + 1));
}

std::string Raison(int numero) {
    switch (numero) {
    case EACCES:
    case EPERM:
        return std::string(u8"accès refusé"_ansi);
    case EIO:
        return std::string(u8"erreur d'entrée-sortie"_ansi);
    case ENOENT:
    case ENOTDIR:
        return "introuvable";
    case ENOMEDIUM:
        return "aucun support dans le lecteur";
    case ENOTCONN:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ETIMEDOUT:
        return "serveur injoignable";
    case ELOOP:
        return "trop de liens symboliques";
    default:
        return u8"erreur système "_ansi.data() + std::to_string(numero);
    }
}

std::string Personnel() {
    const char* home = std::getenv("HOME");
    std::string utf8 = home != nullptr ? home : "";
    if (utf8.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
            utf8 = pw->pw_dir;
        }
    }
    return Utf8VersAnsi(utf8).value_or(std::string());
}

} // namespace

std::vector<Volume> LecteursMontes(std::string_view montages, const std::string& personnel) {
    std::vector<Volume> autres;
    while (!montages.empty()) {
        const std::size_t fin = std::min(montages.find('\n'), montages.size());
        std::string_view ligne = montages.substr(0, fin);
        montages.remove_prefix(std::min(fin + 1, montages.size()));

        const std::string source = Deschapper(Champ(ligne));
        const auto point = Utf8VersAnsi(Deschapper(Champ(ligne)));
        const std::string type(Champ(ligne));
        if (!point || point->empty() || point->front() != '/' || *point == "/" || type.empty() ||
            *point == personnel) {
            continue;
        }
        Volume v{*point, DernierNom(*point), GenreVolume::Disque};
        if (Parmi(kReseaux, type)) {
            v.genre = GenreVolume::Reseau;
            v.nom = Utf8VersAnsi(source).value_or(v.nom);
        } else if (Parmi(kPseudos, type) || type.starts_with("fuse.")) {
            continue;
        } else if (SousUneDe(kAmovibles, *point)) {
            v.genre = GenreVolume::Amovible;
        } else if (!source.starts_with("/dev/") || SousUneDe(kSysteme, *point)) {
            continue;
        }
        // A later mount on the same place hides the earlier one.
        std::erase_if(autres, [&](const Volume& a) { return a.racine == v.racine; });
        autres.push_back(std::move(v));
    }
    std::sort(autres.begin(), autres.end(), [](const Volume& a, const Volume& b) {
        return CleTriFrancaise(a.racine) < CleTriFrancaise(b.racine);
    });

    std::vector<Volume> lecteurs{{"/", std::string(u8"Système"_ansi), GenreVolume::Systeme}};
    if (!personnel.empty() && personnel != "/") {
        lecteurs.push_back({personnel, "Dossier personnel", GenreVolume::Personnel});
    }
    lecteurs.insert(lecteurs.end(), std::make_move_iterator(autres.begin()),
                    std::make_move_iterator(autres.end()));
    return lecteurs;
}

Erreur EchecDossier(int numero, const std::string& dossier, bool racine) {
    if (racine || (numero != ENOENT && numero != ENOTDIR && numero != EACCES && numero != EPERM)) {
        return Erreur(ErrPeripherique, DescriptionErreur(ErrPeripherique) + " : " + dossier + " (" +
                                           Raison(numero) + ")");
    }
    const int n = numero == ENOENT || numero == ENOTDIR ? ErrCheminIntrouvable : ErrPermission;
    return Erreur(n, DescriptionErreur(n) + " : " + dossier);
}

std::vector<Volume> VolumesPosix::Lecteurs() {
    std::ifstream table("/proc/self/mounts", std::ios::binary);
    const std::string montages((std::istreambuf_iterator<char>(table)),
                               std::istreambuf_iterator<char>());
    return LecteursMontes(montages, Personnel());
}

std::string VolumesPosix::RepertoireCourant() {
    std::array<char, PATH_MAX> tampon{};
    if (::getcwd(tampon.data(), tampon.size()) != nullptr) {
        if (auto chemin = Utf8VersAnsi(tampon.data())) {
            return *chemin;
        }
    }
    const std::string personnel = Personnel();
    return personnel.empty() ? "/" : personnel;
}

bool VolumesPosix::EstAbsolu(const std::string& chemin) {
    return !chemin.empty() && (chemin.front() == '/' || chemin.front() == '~');
}

std::string VolumesPosix::Resoudre(const std::string& base, const std::string& texte) {
    std::string brut;
    if (texte == "~" || texte.starts_with("~/")) {
        brut = Personnel() + "/" + texte.substr(1);
    } else if (!texte.empty() && texte.front() == '/') {
        brut = texte;
    } else {
        brut = base + "/" + texte;
    }
    // Tidied by the letter: "." and empty steps go, ".." climbs, never above the root.
    std::vector<std::string_view> pas;
    std::string_view reste = brut;
    while (!reste.empty()) {
        const std::size_t fin = std::min(reste.find('/'), reste.size());
        const std::string_view p = reste.substr(0, fin);
        reste.remove_prefix(std::min(fin + 1, reste.size()));
        if (p == "..") {
            if (!pas.empty()) {
                pas.pop_back();
            }
        } else if (!p.empty() && p != ".") {
            pas.push_back(p);
        }
    }
    std::string chemin;
    for (std::string_view p : pas) {
        chemin += '/';
        chemin += p;
    }
    return chemin.empty() ? "/" : chemin;
}

std::vector<std::string> VolumesPosix::SousDossiers(const std::string& dossier) {
    const std::string natif = AnsiVersUtf8(dossier);
    DIR* d = ::opendir(natif.c_str());
    if (d == nullptr) {
        const int numero = errno;
        const std::vector<Volume> lecteurs = Lecteurs();
        const bool racine = std::any_of(lecteurs.begin(), lecteurs.end(),
                                        [&](const Volume& v) { return v.racine == dossier; });
        throw EchecDossier(numero, dossier, racine);
    }
    std::vector<std::string> noms;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view nom = e->d_name;
        // Hidden by the Linux convention, like "." and "..".
        if (nom.empty() || nom.front() == '.') {
            continue;
        }
        bool dossierVu = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat infos {};
            dossierVu = ::fstatat(::dirfd(d), e->d_name, &infos, 0) == 0 && S_ISDIR(infos.st_mode);
        }
        // A name Windows-1252 cannot hold could only be handed back as another path.
        if (dossierVu) {
            if (auto ansi = Utf8VersAnsi(nom)) {
                noms.push_back(std::move(*ansi));
            }
        }
    }
    ::closedir(d);
    return noms;
}

} // namespace monvalor
