// The updates' signature check against keys the test makes: only the P-256 key that signed
// these very bytes passes.
#include "platform/Signature.h"

#include <gtest/gtest.h>

#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>
#include <string>

using namespace monvalor;

namespace {

using Cle = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

Cle Creer(const char* genre, const char* parametre) {
    EVP_PKEY* cle = std::string(genre) == "RSA" ? EVP_RSA_gen(2048) : EVP_EC_gen(parametre);
    return {cle, EVP_PKEY_free};
}

std::string Publique(EVP_PKEY* cle) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    PEM_write_bio_PUBKEY(bio.get(), cle);
    char* donnees = nullptr;
    const long n = BIO_get_mem_data(bio.get(), &donnees);
    return {donnees, static_cast<std::size_t>(n)};
}

std::string Signer(EVP_PKEY* cle, const std::string& octets) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    std::size_t n = 0;
    EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, cle);
    EVP_DigestSign(ctx.get(), nullptr, &n, reinterpret_cast<const unsigned char*>(octets.data()),
                   octets.size());
    std::string signature(n, '\0');
    EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(signature.data()), &n,
                   reinterpret_cast<const unsigned char*>(octets.data()), octets.size());
    signature.resize(n);
    return signature;
}

} // namespace

TEST(Signature, OnlyTheP256KeyThatSignedTheseBytesPasses) {
    const std::string programme = std::string("#!/bin/sh\necho mise a jour\n\0\xFF", 30);
    const Cle bonne = Creer("EC", "P-256"), autre = Creer("EC", "P-256");
    const Cle p384 = Creer("EC", "P-384"), rsa = Creer("RSA", nullptr);
    const std::string signature = Signer(bonne.get(), programme);
    std::string alteree = programme;
    alteree.back() ^= 1;
    std::string signatureAlteree = signature;
    signatureAlteree[signatureAlteree.size() / 2] ^= 1;
    const struct {
        std::string octets, signature, cle;
        bool valable;
    } cas[] = {
        {programme, signature, Publique(bonne.get()), true},
        {alteree, signature, Publique(bonne.get()), false},
        {programme, signatureAlteree, Publique(bonne.get()), false},
        {programme, signature.substr(0, signature.size() - 1), Publique(bonne.get()), false},
        {programme, signature, Publique(autre.get()), false},
        {programme, Signer(p384.get(), programme), Publique(p384.get()), false},
        {programme, Signer(rsa.get(), programme), Publique(rsa.get()), false},
        {programme, "", Publique(bonne.get()), false},
        {programme, signature, "-----BEGIN PUBLIC KEY-----\nAAAA\n-----END PUBLIC KEY-----\n",
         false},
        {programme, signature, "", false},
    };
    int i = 0;
    for (const auto& c : cas) {
        EXPECT_EQ(SignatureValable(c.octets, c.signature, c.cle), c.valable) << "case " << i++;
    }
}
