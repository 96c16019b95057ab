#include "services/Lancement.h"

#include "http/Protocole.h"
#include "support/Erreur.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace monvalor::systeme {

namespace fs = std::filesystem;

namespace {

class Descripteur {
public:
    explicit Descripteur(int fd) : fd_(fd) {}
    ~Descripteur() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descripteur(const Descripteur&) = delete;
    Descripteur& operator=(const Descripteur&) = delete;
    int operator*() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void Refuser(const fs::path& chemin, int numero) {
    ::unlink(chemin.c_str());
    throw Erreur(numero);
}

// The whole file, read from the descriptor; false past the largest body a download takes.
bool LireTout(int fd, std::string& octets) {
    char tampon[1 << 16];
    while (true) {
        const ssize_t n = ::read(fd, tampon, sizeof tampon);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (octets.size() + static_cast<std::size_t>(n) > http::MaxCorps) {
            return false;
        }
        octets.append(tampon, static_cast<std::size_t>(n));
    }
}

// Starts the open file, detached from us (its own session, reaped by init), in `dossier`, with
// the folder as its one argument. Only async-signal-safe calls between fork and exec.
void Demarrer(int fd, const std::string& nom, const std::string& dossier) {
    int tube[2];
    if (::pipe2(tube, O_CLOEXEC) != 0) {
        throw Erreur(ErrFichierIntrouvable);
    }
    char* const arguments[] = {const_cast<char*>(nom.c_str()), const_cast<char*>(dossier.c_str()),
                               nullptr};
    const pid_t enfant = ::fork();
    if (enfant == 0) {
        ::close(tube[0]);
        ::setsid();
        if (::fork() == 0) {
            sigset_t aucun;
            sigemptyset(&aucun);
            ::sigprocmask(SIG_SETMASK, &aucun, nullptr);
            // A script reads itself through /dev/fd: the descriptor stays open across exec.
            ::fcntl(fd, F_SETFD, 0);
            if (::chdir(dossier.c_str()) == 0) {
                ::fexecve(fd, arguments, environ);
            }
            const int erreur = errno;
            [[maybe_unused]] const ssize_t ignore = ::write(tube[1], &erreur, sizeof erreur);
            ::_exit(127);
        }
        ::_exit(0);
    }
    ::close(tube[1]);
    if (enfant < 0) {
        ::close(tube[0]);
        throw Erreur(ErrFichierIntrouvable);
    }
    int etat = 0;
    while (::waitpid(enfant, &etat, 0) < 0 && errno == EINTR) {
    }
    // Closed by a successful exec; an errno arrives otherwise.
    int erreur = 0;
    ssize_t n = 0;
    while ((n = ::read(tube[0], &erreur, sizeof erreur)) < 0 && errno == EINTR) {
    }
    ::close(tube[0]);
    if (n != 0) {
        throw Erreur(ErrFichierIntrouvable);
    }
}

} // namespace

bool LancerVerifie(const fs::path& chemin, const fs::path& nomFinal,
                   const std::function<bool(std::string_view)>& verifier) {
    const Descripteur fd(::open(chemin.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (*fd < 0) {
        Refuser(chemin, ErrAccesChemin);
    }
    // Ours alone: a file someone else made, or could still write, is not what we downloaded.
    struct stat infos {};
    if (::fstat(*fd, &infos) != 0 || !S_ISREG(infos.st_mode) || infos.st_uid != ::geteuid() ||
        (infos.st_mode & 0077) != 0 || infos.st_nlink != 1) {
        Refuser(chemin, ErrAccesChemin);
    }
    std::string octets;
    if (!LireTout(*fd, octets)) {
        Refuser(chemin, ErrAccesChemin);
    }
    if (!verifier(octets)) {
        ::unlink(chemin.c_str());
        return false;
    }
    // Nothing stays at the path: what starts is the open file, whatever the name holds now.
    ::unlink(chemin.c_str());
    if (::fchmod(*fd, 0700) != 0) {
        throw Erreur(ErrAccesChemin);
    }
    fs::path dossier = nomFinal.parent_path();
    Demarrer(*fd, nomFinal.filename().string(), dossier.empty() ? "." : dossier.string());
    return true;
}

} // namespace monvalor::systeme
