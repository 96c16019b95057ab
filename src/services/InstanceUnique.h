// "Is another copy already running?" A lock held for the life of the process: two copies
// started at the same instant cannot both take it, and the system drops it when a copy dies,
// so a crash never blocks the next start.
#pragma once

#include <memory>
#include <string>

namespace monvalor {

class VerrouInstance {
public:
    virtual ~VerrouInstance() = default;
    // True when this process holds the lock.
    virtual bool Acquis() const = 0;
};

// Tries to take the lock named after the user and the display. Never throws; when the lock
// cannot be made at all (no writable runtime folder), the copy counts as the only one.
std::unique_ptr<VerrouInstance> PrendreVerrouInstance(const std::string& nom);

} // namespace monvalor
