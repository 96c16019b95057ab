// The updates' signature check against keys and signatures that OpenSSL made for this run:
// only the P-256 key that signed these very bytes passes, and only with a signature in strict
// DER.
#include "services/Signature.h"

#include "DossierTemporaire.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace monvalor;
using namespace monvalor::test;

namespace {

std::string Fixe(const char* nom) {
    const std::filesystem::path chemin = std::filesystem::path(MONVALOR_CLES_SIGNATURE) / nom;
    EXPECT_TRUE(std::filesystem::exists(chemin)) << chemin << ": made by ctest's fixture";
    return LireFichier(chemin);
}

std::string Entier(std::string octets) {
    return std::string{'\x02', static_cast<char>(octets.size())} + octets;
}

std::string Sequence(const std::string& contenu) {
    return std::string{'\x30', static_cast<char>(contenu.size())} + contenu;
}

// The two integers of a DER signature, as they are written (a leading zero kept).
std::pair<std::string, std::string> Entiers(const std::string& der) {
    const std::size_t lr = static_cast<unsigned char>(der.at(3));
    const std::size_t ls = static_cast<unsigned char>(der.at(5 + lr));
    return {der.substr(4, lr), der.substr(6 + lr, ls)};
}

// The signature with its r (premier) or its s written as `entier`.
std::string Avec(const std::pair<std::string, std::string>& rs, bool premier,
                 const std::string& entier) {
    return Sequence(Entier(premier ? entier : rs.first) + Entier(premier ? rs.second : entier));
}

} // namespace

TEST(Signature, OnlyTheP256KeyThatSignedTheseBytesPassesInStrictDer) {
    const std::string programme = Fixe("programme.bin"), bonne = Fixe("bonne.pem");
    const std::string signature = Fixe("bonne.sig");
    const std::string courte = Fixe("courte.sig"), longue = Fixe("longue.sig");
    ASSERT_FALSE(programme.empty() || bonne.empty() || signature.empty());
    std::string alteree = programme, signatureAlteree = signature;
    alteree.back() ^= 1;
    signatureAlteree[signatureAlteree.size() / 2] ^= 1;
    std::string pemCrLf;
    for (char c : bonne) {
        pemCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }

    const auto [r, s] = Entiers(signature);
    // Which integer of each is the short one, and the one with a leading zero.
    const auto rsCourt = Entiers(courte), rsLong = Entiers(longue);
    const bool rCourt = rsCourt.first.size() < 32, rLong = rsLong.first.size() == 33;
    const std::string& petit = rCourt ? rsCourt.first : rsCourt.second;
    const std::string& grand = rLong ? rsLong.first : rsLong.second;
    // The helpers write a signature back exactly: each case below differs only as it says.
    ASSERT_EQ(Avec(rsLong, rLong, grand), longue);

    const struct {
        const char* nom;
        std::string octets, signature, cle;
        bool valable;
    } cas[] = {
        {"signed", programme, signature, bonne, true},
        {"short integer", programme, courte, bonne, true},
        {"integer with a leading zero", programme, longue, bonne, true},
        {"key with CR LF and text before", programme, signature, "cle\r\n" + pemCrLf, true},
        {"other bytes", alteree, signature, bonne, false},
        {"signature altered", programme, signatureAlteree, bonne, false},
        {"signature cut", programme, signature.substr(0, signature.size() - 1), bonne, false},
        {"byte after", programme, signature + '\0', bonne, false},
        {"other key", programme, signature, Fixe("autre.pem"), false},
        {"P-384", programme, Fixe("p384.sig"), Fixe("p384.pem"), false},
        {"RSA", programme, Fixe("rsa.sig"), Fixe("rsa.pem"), false},
        {"no signature", programme, "", bonne, false},
        {"key not Base64", programme, signature,
         "-----BEGIN PUBLIC KEY-----\nAA*A\n-----END PUBLIC KEY-----\n", false},
        {"key cut", programme, signature, bonne.substr(0, bonne.size() - 30), false},
        {"no key", programme, signature, "", false},
        {"short integer padded to 32", programme,
         Avec(rsCourt, rCourt, std::string(32 - petit.size(), '\0') + petit), bonne, false},
        {"needed zero dropped", programme, Avec(rsLong, rLong, grand.substr(1)), bonne, false},
        {"zero r", programme, Sequence(Entier(std::string(1, '\0')) + Entier(s)), bonne, false},
        {"zero s", programme, Sequence(Entier(r) + Entier(std::string(1, '\0'))), bonne, false},
        {"third integer", programme, Sequence(Entier(r) + Entier(s) + Entier("\x01")), bonne,
         false},
        {"long-form length", programme, std::string("\x30\x81", 2) + signature.substr(1), bonne,
         false},
        {"set, not sequence", programme, '\x31' + signature.substr(1), bonne, false},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(SignatureValable(c.octets, c.signature, c.cle), c.valable) << c.nom;
    }
}
