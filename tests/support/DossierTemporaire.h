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
        do {
            chemin_ = base / ("monvalor-test-" + std::to_string(alea()) + std::to_string(alea()));
        } while (!std::filesystem::create_directory(chemin_));
    }
    ~DossierTemporaire() {
        std::error_code erreur;
        std::filesystem::remove_all(chemin_, erreur);
    }
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;

    const std::filesystem::path& Chemin() const { return chemin_; }
    // The path of a file in the folder, as the core's text: the folder's name is plain ASCII and
    // the file's is kept byte for byte, whatever code page the system would convert it with.
    std::string Fichier(std::string_view nom) const {
        return chemin_.string() + static_cast<char>(std::filesystem::path::preferred_separator) +
               std::string(nom);
    }

private:
    std::filesystem::path chemin_;
};

inline std::string LireFichier(const std::filesystem::path& chemin) {
    std::ifstream entree(chemin, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(entree), std::istreambuf_iterator<char>());
}

inline void EcrireFichier(const std::filesystem::path& chemin, std::string_view octets) {
    std::ofstream(chemin, std::ios::binary) << octets;
}

// Number of entries in a folder: catches temporary files left behind.
inline int NombreEntrees(const std::filesystem::path& dossier) {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(dossier), {}));
}

} // namespace monvalor::test
