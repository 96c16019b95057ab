// Cost of one INI read in a file of 1,000 keys, against reading the same file whole into
// memory. The INI class caches nothing, so each read is a full pass over the file; the target
// is under 50 microseconds per read.
#include "support/INI.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "Chrono.h"

using namespace monvalor;
namespace fs = std::filesystem;

namespace {

using banc::MicrosecondesParAppel;

} // namespace

int main() {
    std::random_device alea;
    const fs::path dossier =
        fs::temp_directory_path() / ("monvalor-bench-" + std::to_string(alea()));
    fs::create_directories(dossier);
    const fs::path fichier = dossier / "mille.ini";
    {
        std::ofstream sortie(fichier, std::ios::binary);
        sortie << "; 1000 cl\xE9s r\xE9parties en 10 sections\r\n";
        for (int s = 0; s < 10; ++s) {
            sortie << "[Section" << s << "]\r\n";
            for (int k = 0; k < 100; ++k) {
                sortie << "Cle" << (s * 100 + k) << " = Valeur num\xE9ro " << (s * 100 + k)
                       << "\r\n";
            }
            sortie << "\r\n";
        }
    }

    INI ini;
    ini.Path(fichier.string());
    constexpr int kTours = 20000;
    std::size_t puits = 0;

    // The last key of the last section: the whole file is scanned.
    const double ini_us =
        MicrosecondesParAppel(kTours, [&] { puits += ini.Value("Section9", "Cle999", "").size(); });
    const double premiere_us =
        MicrosecondesParAppel(kTours, [&] { puits += ini.Value("Section0", "Cle0", "").size(); });
    const double reference_us = MicrosecondesParAppel(kTours, [&] {
        std::ifstream entree(fichier, std::ios::binary | std::ios::ate);
        std::string octets(static_cast<std::size_t>(entree.tellg()), '\0');
        entree.seekg(0);
        entree.read(octets.data(), static_cast<std::streamsize>(octets.size()));
        puits += static_cast<std::size_t>(entree.gcount());
    });

    const bool juste = ini.Value("Section9", "Cle999", "") == "Valeur num\xE9ro 999";
    std::printf("Fichier de 1000 cl\xC3\xA9s : %ju octets\n",
                static_cast<std::uintmax_t>(fs::file_size(fichier)));
    std::printf("INI.Value, derni\xC3\xA8re cl\xC3\xA9    : %8.2f \xC2\xB5s par lecture\n", ini_us);
    std::printf("INI.Value, premi\xC3\xA8re cl\xC3\xA9    : %8.2f \xC2\xB5s par lecture\n",
                premiere_us);
    std::printf("R\xC3\xA9"
                "f\xC3\xA9rence (ifstream entier) : %8.2f \xC2\xB5s par lecture\n",
                reference_us);
    std::printf("Rapport INI / r\xC3\xA9"
                "f\xC3\xA9rence    : %8.2f\n",
                ini_us / reference_us);
    std::printf("Objectif < 50 \xC2\xB5s          : %s\n",
                ini_us < 50.0 ? "atteint" : "MANQU\xC3\x89");
    std::printf("Valeur relue correcte     : %s (%zu)\n", juste ? "oui" : "NON", puits % 10);

    std::error_code erreur;
    fs::remove_all(dossier, erreur);
    return juste ? 0 : 1;
}
