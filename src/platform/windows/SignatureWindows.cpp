#include "services/Signature.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace monvalor {

namespace {

using Octets = std::basic_string<unsigned char>;

// A P-256 key in its only DER form: the algorithm (id-ecPublicKey, prime256v1) and the
// uncompressed point, whose 64 bytes of X and Y follow this header.
constexpr unsigned char kEnteteCleP256[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2A, 0x86, 0x48,
                                            0xCE, 0x3D, 0x02, 0x01, 0x06, 0x08, 0x2A, 0x86, 0x48,
                                            0xCE, 0x3D, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

int ValeurBase64(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

// The body of the first "PUBLIC KEY" block; line breaks and blanks aside, nothing but Base64
// with its padding at the very end.
std::optional<Octets> DecoderPem(std::string_view pem) {
    constexpr std::string_view debut = "-----BEGIN PUBLIC KEY-----";
    constexpr std::string_view fin = "-----END PUBLIC KEY-----";
    const std::size_t d = pem.find(debut);
    if (d == std::string_view::npos) {
        return std::nullopt;
    }
    pem.remove_prefix(d + debut.size());
    const std::size_t f = pem.find(fin);
    if (f == std::string_view::npos) {
        return std::nullopt;
    }
    pem = pem.substr(0, f);
    Octets der;
    std::uint32_t accu = 0;
    int bits = 0, remplissage = 0, chiffres = 0;
    for (char c : pem) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            continue;
        }
        if (c == '=') {
            ++remplissage;
            ++chiffres;
            continue;
        }
        const int v = ValeurBase64(c);
        if (v < 0 || remplissage > 0) {
            return std::nullopt;
        }
        ++chiffres;
        accu = (accu << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            der.push_back(static_cast<unsigned char>(accu >> bits));
            accu &= (1u << bits) - 1;
        }
    }
    if (chiffres % 4 != 0 || remplissage > 2 || accu != 0) {
        return std::nullopt;
    }
    return der;
}

// One DER INTEGER of an ECDSA signature, as 32 big-endian bytes: positive, minimally encoded,
// no wider than the curve.
bool LireEntier(std::string_view& der, unsigned char* sortie) {
    if (der.size() < 2 || der[0] != 0x02) {
        return false;
    }
    const auto longueur = static_cast<unsigned char>(der[1]);
    if (longueur == 0 || longueur > 33 || der.size() < 2u + longueur) {
        return false;
    }
    std::string_view valeur = der.substr(2, longueur);
    der.remove_prefix(2u + longueur);
    const auto premier = static_cast<unsigned char>(valeur[0]);
    if ((premier & 0x80) != 0) {
        return false; // negative
    }
    if (premier == 0 && valeur.size() > 1) {
        if ((static_cast<unsigned char>(valeur[1]) & 0x80) == 0) {
            return false; // a leading zero that was not needed
        }
        valeur.remove_prefix(1);
    }
    if (valeur.size() > 32) {
        return false;
    }
    std::fill(sortie, sortie + 32, static_cast<unsigned char>(0));
    std::copy(valeur.begin(), valeur.end(), sortie + (32 - valeur.size()));
    return true;
}

// SEQUENCE { r, s } to r‖s, nothing before, between or after.
std::optional<std::array<unsigned char, 64>> SignatureBrute(std::string_view der) {
    // The longest signature is 72 bytes, so the length always takes one byte.
    if (der.size() < 2 || der[0] != 0x30 || static_cast<unsigned char>(der[1]) >= 0x80 ||
        static_cast<unsigned char>(der[1]) != der.size() - 2) {
        return std::nullopt;
    }
    der.remove_prefix(2);
    std::array<unsigned char, 64> rs{};
    if (!LireEntier(der, rs.data()) || !LireEntier(der, rs.data() + 32) || !der.empty()) {
        return std::nullopt;
    }
    return rs;
}

class Algorithme {
public:
    explicit Algorithme(LPCWSTR nom) {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&h_, nom, nullptr, 0))) {
            h_ = nullptr;
        }
    }
    ~Algorithme() {
        if (h_ != nullptr) {
            BCryptCloseAlgorithmProvider(h_, 0);
        }
    }
    Algorithme(const Algorithme&) = delete;
    Algorithme& operator=(const Algorithme&) = delete;
    BCRYPT_ALG_HANDLE h_ = nullptr;
};

class Cle {
public:
    Cle() = default;
    ~Cle() {
        if (h_ != nullptr) {
            BCryptDestroyKey(h_);
        }
    }
    Cle(const Cle&) = delete;
    Cle& operator=(const Cle&) = delete;
    BCRYPT_KEY_HANDLE h_ = nullptr;
};

class Empreinte {
public:
    Empreinte() = default;
    ~Empreinte() {
        if (h_ != nullptr) {
            BCryptDestroyHash(h_);
        }
    }
    Empreinte(const Empreinte&) = delete;
    Empreinte& operator=(const Empreinte&) = delete;
    BCRYPT_HASH_HANDLE h_ = nullptr;
};

std::optional<std::array<unsigned char, 32>> Condenser(std::string_view octets) {
    const Algorithme sha(BCRYPT_SHA256_ALGORITHM);
    Empreinte empreinte;
    if (sha.h_ == nullptr ||
        !BCRYPT_SUCCESS(BCryptCreateHash(sha.h_, &empreinte.h_, nullptr, 0, nullptr, 0, 0))) {
        return std::nullopt;
    }
    // The system takes at most 4 GiB at a time.
    while (!octets.empty()) {
        const std::size_t morceau = std::min<std::size_t>(octets.size(), 1u << 30);
        auto* debut = reinterpret_cast<PUCHAR>(const_cast<char*>(octets.data()));
        if (!BCRYPT_SUCCESS(BCryptHashData(empreinte.h_, debut, static_cast<ULONG>(morceau), 0))) {
            return std::nullopt;
        }
        octets.remove_prefix(morceau);
    }
    std::array<unsigned char, 32> resultat{};
    if (!BCRYPT_SUCCESS(BCryptFinishHash(empreinte.h_, resultat.data(),
                                         static_cast<ULONG>(resultat.size()), 0))) {
        return std::nullopt;
    }
    return resultat;
}

bool Verifier(std::string_view octets, std::string_view signature, std::string_view clePem) {
    if (clePem.size() > 1 << 16) {
        return false;
    }
    const std::optional<Octets> der = DecoderPem(clePem);
    constexpr std::size_t tailleEntete = sizeof kEnteteCleP256;
    if (!der || der->size() != tailleEntete + 64 ||
        !std::equal(kEnteteCleP256, kEnteteCleP256 + tailleEntete, der->begin())) {
        return false;
    }
    const auto rs = SignatureBrute(signature);
    if (!rs) {
        return false;
    }
    // What BCryptImportKeyPair takes: the header, then X and Y.
    std::array<unsigned char, sizeof(BCRYPT_ECCKEY_BLOB) + 64> blob{};
    const BCRYPT_ECCKEY_BLOB entete{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::copy_n(reinterpret_cast<const unsigned char*>(&entete), sizeof entete, blob.begin());
    std::copy_n(der->begin() + tailleEntete, 64, blob.begin() + sizeof entete);

    const Algorithme ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    Cle cle;
    if (ecdsa.h_ == nullptr ||
        !BCRYPT_SUCCESS(BCryptImportKeyPair(ecdsa.h_, nullptr, BCRYPT_ECCPUBLIC_BLOB, &cle.h_,
                                            blob.data(), static_cast<ULONG>(blob.size()), 0))) {
        return false;
    }
    auto empreinte = Condenser(octets);
    if (!empreinte) {
        return false;
    }
    auto brute = *rs;
    return BCryptVerifySignature(cle.h_, nullptr, empreinte->data(),
                                 static_cast<ULONG>(empreinte->size()), brute.data(),
                                 static_cast<ULONG>(brute.size()), 0) == 0;
}

} // namespace

bool SignatureValable(std::string_view octets, std::string_view signature,
                      std::string_view clePem) noexcept {
    try {
        return Verifier(octets, signature, clePem);
    } catch (...) {
        return false;
    }
}

std::string Sha256(std::string_view octets) {
    const auto empreinte = Condenser(octets);
    if (!empreinte) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(empreinte->data()), empreinte->size());
}

} // namespace monvalor
