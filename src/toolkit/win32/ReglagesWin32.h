// The per-user settings store in the registry, where the classic runtime keeps it:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one REG_SZ
// value per key. Names and values are Windows-1252 on the core's side, UTF-16 in the registry.
#pragma once

#include "services/Services.h"

#include <string>

namespace monvalor {

// The registry key of a section, under HKEY_CURRENT_USER. A registry key cannot be named ""
// and takes '\' for a level of its own, so those are escaped ('%' too): each name stays one
// level and no two names meet.
std::wstring CleSection(const std::string& application, const std::string& section);

class MagasinReglagesWin32 final : public IMagasinReglages {
public:
    std::optional<std::string> Lire(const std::string& application, const std::string& section,
                                    const std::string& cle) override;
    // Throws Erreur 75 when the store cannot be written.
    void Ecrire(const std::string& application, const std::string& section, const std::string& cle,
                const std::string& valeur) override;
    // Removes the value, then the section's key and the application's key when nothing is
    // left in them, so that a program that takes its settings back leaves no trace.
    void Supprimer(const std::string& application, const std::string& section,
                   const std::string& cle) override;
};

} // namespace monvalor
