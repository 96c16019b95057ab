// Feeds arbitrary bytes to the Base64 decoder and to the line joiner. Neither may crash or
// fail other than with its own error numbers, and whatever decodes must encode back.
#include "dialogs/clsB64.h"
#include "support/Erreur.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using monvalor::clsB64;
using monvalor::Erreur;

namespace {

void Verifier(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool DansAlphabet(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

void Decoder(const clsB64& b, const clsB64::Octets& entree) {
    clsB64::Octets sortie;
    try {
        b.Decode(entree, sortie);
    } catch (const Erreur& e) {
        Verifier(e.Numero() == monvalor::ErrIndice);
        Verifier(entree.size() % 4 != 0 || entree.size() < 4);
        return;
    }
    const std::size_t n = entree.size();
    Verifier(n % 4 == 0);
    std::size_t pads = 0;
    if (n > 0 && entree[n - 1] == '=') {
        pads = entree[n - 2] == '=' ? 2 : 1;
    }
    Verifier(sortie.size() == n / 4 * 3 - pads);
    // Canonical text (alphabet only, zero bits under the padding) encodes back to itself.
    clsB64::Octets code;
    b.Encode(sortie, code);
    Verifier(code.size() == n);
    bool canonique = true;
    for (std::size_t i = 0; i + pads < n; ++i) {
        canonique = canonique && DansAlphabet(entree[i]);
    }
    if (canonique) {
        for (std::size_t i = 0; i + pads < n; ++i) {
            if (code[i] != entree[i]) {
                // Only the last character before the padding may differ, in its unused bits.
                Verifier(pads > 0 && i + pads + 1 == n);
            }
        }
    }
}

void EncoderPuisDecoder(const clsB64& b, const clsB64::Octets& entree) {
    clsB64::Octets code;
    b.Encode(entree, code);
    Verifier(code.size() == (entree.size() + 2) / 3 * 4);
    clsB64::Octets retour;
    b.Decode(code, retour);
    Verifier(retour == entree);
}

// Long inputs take another road through the encoder: repeat the bytes past it and check the
// round trip and that the start encodes as the bytes alone do.
void EncoderLong(const clsB64& b, const clsB64::Octets& entree) {
    if (entree.empty()) {
        return;
    }
    clsB64::Octets longue;
    while (longue.size() < 20000) {
        longue.insert(longue.end(), entree.begin(), entree.end());
    }
    EncoderPuisDecoder(b, longue);
    clsB64::Octets codeLong;
    b.Encode(longue, codeLong);
    const clsB64::Octets debut(entree.begin(), entree.end() - entree.size() % 3);
    clsB64::Octets codeDebut;
    b.Encode(debut, codeDebut);
    Verifier(std::equal(codeDebut.begin(), codeDebut.end(), codeLong.begin()));
}

// The first bytes choose SpanSize and the separator; the rest is cut into lines at '\n'.
void Joindre(const clsB64& b, const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return;
    }
    std::int16_t taille = static_cast<std::int16_t>((data[0] << 8) | data[1]);
    // Large sizes would only make each run allocate a lot before it fails.
    if (taille > 512) {
        taille = static_cast<std::int16_t>(taille % 512);
    }
    const std::size_t longueurSep = data[2] % 4;
    data += 3;
    size -= 3;
    if (size < longueurSep) {
        return;
    }
    const std::string separateur(reinterpret_cast<const char*>(data), longueurSep);
    data += longueurSep;
    size -= longueurSep;

    clsB64::Lignes lignes;
    std::string ligne;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            lignes.push_back(ligne);
            ligne.clear();
        } else {
            ligne.push_back(static_cast<char>(data[i]));
        }
    }
    lignes.push_back(ligne);

    const std::int16_t tailleDonnee = taille;
    clsB64::Octets sortie;
    try {
        b.Unspan(lignes, sortie, taille, separateur);
    } catch (const Erreur& e) {
        Verifier(e.Numero() == monvalor::ErrIndice || e.Numero() == monvalor::ErrArgument);
        Verifier(tailleDonnee < 0 || taille == (tailleDonnee == 0 ? 76 : tailleDonnee));
        return;
    }
    Verifier(taille == (tailleDonnee == 0 ? 76 : tailleDonnee));

    // Cutting the joined bytes again and joining them back is stable, as long as no
    // separator can be found earlier than where Span put it: the bytes must not hold its
    // first character.
    if (separateur.empty() ||
        std::string_view(reinterpret_cast<const char*>(sortie.data()), sortie.size())
                .find(separateur[0]) == std::string_view::npos) {
        clsB64::Lignes recoupees;
        std::int16_t t2 = taille;
        b.Span(sortie, recoupees, t2, separateur);
        clsB64::Octets rejointes;
        b.Unspan(recoupees, rejointes, t2, separateur);
        Verifier(rejointes == sortie);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clsB64 b;
    b.Init();
    const clsB64::Octets entree(data, data + size);
    Decoder(b, entree);
    EncoderPuisDecoder(b, entree);
    EncoderLong(b, entree);
    Joindre(b, data, size);
    return 0;
}
