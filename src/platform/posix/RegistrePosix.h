// The registry of a system that has none. Every look-up fails, except the one that asks where
// the system information tool is: it answers with the first such tool found on the PATH.
#pragma once

#include "services/Services.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// The desktop tools that show what the machine is made of, best first.
inline constexpr std::array<std::string_view, 7> OutilsInfosSysteme = {
    "hardinfo2", "hardinfo", "kinfocenter", "lshw-gtk", "sysinfo", "cpu-x", "i-nex"};

// The full path of the first tool of OutilsInfosSysteme that is an executable file in one of
// the folders of the search path (folders separated by ':'), as a Windows-1252 text; nullopt
// when there is none. Relative and empty entries of the search path are ignored: a tool is
// never taken from whatever the current folder happens to be.
std::optional<std::string> TrouverOutilInfosSysteme(std::string_view cheminRecherche);

class RegistrePosix final : public IRegistre {
public:
    // Looks the tool up in the process's PATH at each look-up.
    RegistrePosix() = default;
    // Looks it up in the given search path instead.
    explicit RegistrePosix(std::string cheminRecherche);

    std::optional<ValeurRegistre> LireValeur(std::uintptr_t racine, const std::string& cle,
                                             const std::string& nomValeur) override;

private:
    std::optional<std::string> cheminRecherche_;
};

} // namespace monvalor
