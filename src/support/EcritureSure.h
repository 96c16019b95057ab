// A file written whole or not at all: the bytes go to a temporary file beside the target, which
// replaces the target only once everything is written and on the disk. Until then, and after
// any failure, the target keeps what it held.
#pragma once

#include <filesystem>
#include <string_view>

namespace monvalor {

class EcritureSure {
public:
    // Erreur 75 when the temporary file cannot be made beside the target.
    explicit EcritureSure(std::filesystem::path cible);
    // Abandons the writing unless it was validated.
    ~EcritureSure();
    EcritureSure(const EcritureSure&) = delete;
    EcritureSure& operator=(const EcritureSure&) = delete;

    // Erreur 75 when the bytes cannot be written (a full disk, say).
    void Ecrire(std::string_view octets);
    // Puts the file on the disk and in the target's place, with the rights of the file it
    // replaces; Erreur 75 when it cannot, the target then untouched.
    void Valider();
    // Drops the temporary file; the target keeps what it held.
    void Abandonner() noexcept;

private:
    void Effacer() noexcept;

    std::filesystem::path cible_;
    std::filesystem::path temporaire_;
    int fd_ = -1;
};

// Replaces the file with the bytes in one step; false, the file untouched, when it cannot.
bool RemplacerFichier(const std::filesystem::path& cible, std::string_view octets) noexcept;

} // namespace monvalor
