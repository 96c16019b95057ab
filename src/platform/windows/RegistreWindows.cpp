#include "platform/windows/RegistreWindows.h"

#include <windows.h>

namespace monvalor {

namespace {

// The rights the look-up was designed with: read rights and every key-specific right.
constexpr REGSAM kDroitsConcus = 0x2003F;
// A registry value is at most about a megabyte; anything claiming more is not read.
constexpr DWORD kTailleMaximale = 1 << 21;

// The root keys are small negative numbers cast to a handle: on 64-bit Windows the 32-bit
// value the callers pass must be sign-extended to name the same key.
HKEY Racine(std::uintptr_t racine) {
    if (racine >= 0x80000000u && racine <= 0x800000FFu) {
        return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(
            static_cast<std::int32_t>(static_cast<std::uint32_t>(racine))));
    }
    return reinterpret_cast<HKEY>(racine);
}

class Cle {
public:
    Cle(HKEY racine, const std::string& chemin) {
        LONG r = RegOpenKeyExA(racine, chemin.c_str(), 0, kDroitsConcus, &cle_);
        // A user who may read the machine's keys but not change them still gets the value.
        if (r == ERROR_ACCESS_DENIED) {
            r = RegOpenKeyExA(racine, chemin.c_str(), 0, KEY_QUERY_VALUE, &cle_);
        }
        if (r != ERROR_SUCCESS) {
            cle_ = nullptr;
        }
    }
    ~Cle() {
        if (cle_ != nullptr) {
            RegCloseKey(cle_);
        }
    }
    Cle(const Cle&) = delete;
    Cle& operator=(const Cle&) = delete;
    HKEY Handle() const { return cle_; }

private:
    HKEY cle_ = nullptr;
};

} // namespace

std::optional<ValeurRegistre> RegistreWindows::LireValeur(std::uintptr_t racine,
                                                          const std::string& cle,
                                                          const std::string& nomValeur) {
    // A name cut short by a NUL would look up some other key or value.
    if (cle.find('\0') != std::string::npos || nomValeur.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    const Cle ouverte(Racine(racine), cle);
    if (ouverte.Handle() == nullptr) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD taille = 0;
    if (RegQueryValueExA(ouverte.Handle(), nomValeur.c_str(), nullptr, &type, nullptr, &taille) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The value may grow between the two calls: ask again with the size it now has.
    for (int essai = 0; essai < 4 && taille <= kTailleMaximale; ++essai) {
        std::string octets(taille, '\0');
        DWORD lu = taille;
        const LONG r = RegQueryValueExA(ouverte.Handle(), nomValeur.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(octets.data()), &lu);
        if (r == ERROR_SUCCESS) {
            octets.resize(lu < taille ? lu : taille);
            return ValeurRegistre{static_cast<std::uint32_t>(type), std::move(octets)};
        }
        if (r != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        taille = lu > taille ? lu : taille + 256;
    }
    return std::nullopt;
}

} // namespace monvalor
