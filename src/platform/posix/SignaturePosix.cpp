#include "services/Signature.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace monvalor {

namespace {

struct LibererBio {
    void operator()(BIO* b) const { BIO_free(b); }
};
struct LibererCle {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct LibererContexte {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

// Only the curve the updates are signed with: a weaker key offered instead must not pass.
bool EstP256(EVP_PKEY* cle) {
    if (EVP_PKEY_get_base_id(cle) != EVP_PKEY_EC) {
        return false;
    }
    char courbe[64] = {};
    std::size_t longueur = 0;
    return EVP_PKEY_get_utf8_string_param(cle, "group", courbe, sizeof courbe, &longueur) == 1 &&
           std::string_view(courbe, longueur) == "prime256v1";
}

} // namespace

bool SignatureValable(std::string_view octets, std::string_view signature,
                      std::string_view clePem) noexcept {
    if (signature.empty() || clePem.size() > 1 << 16) {
        return false;
    }
    const std::unique_ptr<BIO, LibererBio> bio(
        BIO_new_mem_buf(clePem.data(), static_cast<int>(clePem.size())));
    if (!bio) {
        return false;
    }
    const std::unique_ptr<EVP_PKEY, LibererCle> cle(
        PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
    if (!cle || !EstP256(cle.get())) {
        return false;
    }
    const std::unique_ptr<EVP_MD_CTX, LibererContexte> contexte(EVP_MD_CTX_new());
    return contexte &&
           EVP_DigestVerifyInit(contexte.get(), nullptr, EVP_sha256(), nullptr, cle.get()) == 1 &&
           EVP_DigestVerify(contexte.get(),
                            reinterpret_cast<const unsigned char*>(signature.data()),
                            signature.size(), reinterpret_cast<const unsigned char*>(octets.data()),
                            octets.size()) == 1;
}

std::string Sha256(std::string_view octets) {
    unsigned char empreinte[EVP_MAX_MD_SIZE];
    unsigned int taille = 0;
    if (EVP_Digest(octets.data(), octets.size(), empreinte, &taille, EVP_sha256(), nullptr) != 1) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(empreinte), taille);
}

} // namespace monvalor
