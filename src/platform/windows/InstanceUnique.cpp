#include "services/InstanceUnique.h"

#include <windows.h>

#include <string>

namespace monvalor {

namespace {

// A named mutex of the user's session: the kernel arbitrates simultaneous starts and drops the
// mutex with the process, however it ends.
class VerrouWindows final : public VerrouInstance {
public:
    explicit VerrouWindows(const std::string& nom) {
        SetLastError(ERROR_SUCCESS);
        mutex_ = CreateMutexA(nullptr, FALSE, nom.c_str());
        // A mutex that cannot be made at all leaves this copy as the only one.
        acquis_ = mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
    }
    ~VerrouWindows() override {
        if (mutex_) {
            CloseHandle(mutex_);
        }
    }
    bool Acquis() const override { return acquis_; }

private:
    HANDLE mutex_ = nullptr;
    bool acquis_ = false;
};

} // namespace

std::unique_ptr<VerrouInstance> PrendreVerrouInstance(const std::string& nom) {
    // "Local\": one lock per session, as each desktop has its own clipboard.
    std::string propre = "Local\\";
    for (char c : nom) {
        propre.push_back(c == '\\' ? '_' : c);
    }
    return std::make_unique<VerrouWindows>(propre);
}

} // namespace monvalor
