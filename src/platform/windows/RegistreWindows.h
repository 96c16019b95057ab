// The Windows registry, read through advapi32's "A" functions: texts come back in the system's
// ANSI code page, as the callers expect.
#pragma once

#include "services/Services.h"

#include <cstdint>
#include <optional>
#include <string>

namespace monvalor {

class RegistreWindows final : public IRegistre {
public:
    // The value as the registry holds it, whatever its size; nullopt when the key cannot be
    // opened, the value is not there or it cannot be read whole.
    std::optional<ValeurRegistre> LireValeur(std::uintptr_t racine, const std::string& cle,
                                             const std::string& nomValeur) override;
};

} // namespace monvalor
