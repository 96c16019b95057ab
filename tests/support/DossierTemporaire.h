// A fresh folder for one test, removed with everything in it at the end; and whole-file reads
// and writes for comparing bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace monvalor::test {

class DossierTemporaire {
public:
    DossierTemporaire() {
        std::random_device alea;
        const auto base = std::filesystem::temp_directory_path();
        for (;;) {
            chemin_ = base / ("monvalor-test-" + std::to_string(alea()) + std::to_string(alea()));
            if (std::filesystem::create_directory(chemin_)) {
                break;
            }
        }
    }
    ~DossierTemporaire() {
        std::error_code erreur;
        std::filesystem::remove_all(chemin_, erreur);
    }
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;

    const std::filesystem::path& Chemin() const { return chemin_; }
    // The path of a file in the folder, as the core's text (the folder name is plain ASCII).
    std::string Fichier(std::string_view nom) const { return (chemin_ / nom).string(); }

private:
    std::filesystem::path chemin_;
};

inline std::string LireFichier(const std::filesystem::path& chemin) {
    std::ifstream entree(chemin, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>());
}

inline void EcrireFichier(const std::filesystem::path& chemin, std::string_view octets) {
    std::ofstream sortie(chemin, std::ios::binary | std::ios::trunc);
    sortie.write(octets.data(), static_cast<std::streamsize>(octets.size()));
}

// Number of entries in a folder: catches temporary files left behind.
inline int NombreEntrees(const std::filesystem::path& dossier) {
    int n = 0;
    for ([[maybe_unused]] const auto& entree : std::filesystem::directory_iterator(dossier)) {
        ++n;
    }
    return n;
}

} // namespace monvalor::test
