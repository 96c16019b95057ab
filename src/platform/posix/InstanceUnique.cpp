#include "services/InstanceUnique.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace monvalor {

namespace {

// flock() on a file of the user's runtime folder: the kernel arbitrates simultaneous starts
// and releases the lock with the process, however it ends.
class VerrouPosix final : public VerrouInstance {
public:
    explicit VerrouPosix(const std::string& chemin) {
        fd_ = ::open(chemin.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            acquis_ = true;
            return;
        }
        int r = 0;
        do {
            r = ::flock(fd_, LOCK_EX | LOCK_NB);
        } while (r != 0 && errno == EINTR);
        acquis_ = r == 0;
    }
    ~VerrouPosix() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool Acquis() const override { return acquis_; }

private:
    int fd_ = -1;
    bool acquis_ = false;
};

std::string DossierExecution() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
        struct stat st {};
        if (::stat(xdg, &st) == 0 && S_ISDIR(st.st_mode) && ::access(xdg, W_OK) == 0) {
            return xdg;
        }
    }
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? tmp : "/tmp";
}

} // namespace

std::unique_ptr<VerrouInstance> PrendreVerrouInstance(const std::string& nom) {
    std::string propre;
    for (char c : nom) {
        const bool sur = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        propre.push_back(sur ? c : '_');
    }
    const std::string chemin =
        DossierExecution() + "/" + propre + "-" + std::to_string(::getuid()) + ".lock";
    return std::make_unique<VerrouPosix>(chemin);
}

} // namespace monvalor
