#include "about/Annonce.h"

#include "support/Erreur.h"
#include "support/clsB64.h"

#include <vector>

namespace monvalor {

namespace {

constexpr std::string_view kEmpreinte = "#sha256=";

int Chiffre(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> Hexadecimal(std::string_view texte) {
    if (texte.size() != 64) {
        return std::nullopt;
    }
    std::string octets;
    for (std::size_t i = 0; i < texte.size(); i += 2) {
        const int fort = Chiffre(texte[i]), faible = Chiffre(texte[i + 1]);
        if (fort < 0 || faible < 0) {
            return std::nullopt;
        }
        octets.push_back(static_cast<char>(fort * 16 + faible));
    }
    return octets;
}

} // namespace

std::optional<Annonce> LireAnnonce(std::string_view texte) {
    if (texte.size() > MaxAnnonce) {
        return std::nullopt;
    }
    std::vector<std::string_view> lignes;
    for (std::size_t debut = 0;;) {
        const std::size_t fin = texte.find("\r\n", debut);
        lignes.push_back(texte.substr(debut, fin == std::string_view::npos ? fin : fin - debut));
        if (fin == std::string_view::npos) {
            break;
        }
        debut = fin + 2;
    }
    if (lignes.back().empty()) {
        lignes.pop_back();
    }
    if (lignes.size() < 3) {
        return std::nullopt;
    }
    const std::string_view ligne2 = lignes[1];
    const std::size_t diese = ligne2.find('#');
    if (diese == std::string_view::npos || !ligne2.starts_with("https://") ||
        !ligne2.substr(diese).starts_with(kEmpreinte)) {
        return std::nullopt;
    }
    std::optional<std::string> empreinte = Hexadecimal(ligne2.substr(diese + kEmpreinte.size()));
    if (!empreinte) {
        return std::nullopt;
    }
    Annonce annonce{
        std::string(lignes[0]), std::string(ligne2.substr(0, diese)), std::move(*empreinte), {}};
    for (std::size_t i = 2; i < lignes.size(); ++i) {
        annonce.message.append(lignes[i]).append("\r\n");
    }
    return annonce;
}

std::string DecoderSignature(std::string_view texte) {
    std::string propre;
    for (char c : texte) {
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t') {
            propre.push_back(c);
        }
    }
    clsB64 b64;
    b64.Init();
    clsB64::Octets base64, der;
    b64.StrToAry(propre, base64);
    std::string signature;
    try {
        b64.Decode(base64, der);
        b64.AryToStr(der, signature);
    } catch (const Erreur&) {
        signature.clear();
    }
    return signature;
}

} // namespace monvalor
