#include "services/FichiersSysteme.h"

#include "support/Ansi.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace monvalor::systeme {

namespace fs = std::filesystem;

fs::path CheminNatif(std::string_view chemin) {
    return fs::path(AnsiVersUtf8(chemin));
}

bool EstRacineLecteur(std::string_view) {
    return false;
}

bool AUnRepertoire(std::string_view fichier) {
    return fichier.find(SeparateurChemin) != std::string_view::npos;
}

bool Inscriptible(const fs::path& chemin) {
    return ::access(chemin.c_str(), W_OK) == 0;
}

std::string_view SuffixeProgramme() {
    return "";
}

std::string_view AnnonceMiseAJour() {
    return "linux/version.txt";
}

bool MiseAJourParPaquets(const fs::path& repertoireProgramme) {
    return !Inscriptible(repertoireProgramme);
}

bool CreerDossierPrive(const fs::path& chemin) {
    fs::path partiel;
    for (const fs::path& element : chemin) {
        partiel /= element;
        if (::mkdir(partiel.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat infos {};
    return ::stat(chemin.c_str(), &infos) == 0 && S_ISDIR(infos.st_mode);
}

int OuvrirExclusif(const fs::path& chemin) {
    int fd = -1;
    do {
        fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
bool EcrireTout(int fd, std::string_view octets) {
    while (!octets.empty()) {
        const ssize_t n = ::write(fd, octets.data(), octets.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        octets.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
bool Synchroniser(int fd) {
    return ::fsync(fd) == 0;
}
bool Fermer(int fd) {
    return ::close(fd) == 0;
}
bool CopierDroits(int fd, const fs::path& original) {
    struct stat infos {};
    if (::lstat(original.c_str(), &infos) != 0) {
        return false;
    }
    if (!S_ISREG(infos.st_mode)) {
        return true; // a link or anything else lends nothing: the file stays private
    }
    if (::fchmod(fd, infos.st_mode & 0777) != 0) {
        return false;
    }
    struct stat actuels {};
    if (::fstat(fd, &actuels) == 0 &&
        (actuels.st_uid != infos.st_uid || actuels.st_gid != infos.st_gid)) {
        // Only a privileged user may give the file away; anyone else keeps it as their own.
        [[maybe_unused]] const int ignore = ::fchown(fd, infos.st_uid, infos.st_gid);
    }
    return true;
}
void SynchroniserRepertoire(const fs::path& repertoire) {
    const int fd = ::open(repertoire.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace monvalor::systeme
