// Feeds arbitrary bytes to the Base64 decoder and to the line joiner. Neither may crash or
// fail other than with its own error numbers, and whatever decodes must encode back.
#include "dialogs/clsB64.h"
#include "support/Erreur.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using monvalor::clsB64;
using monvalor::Erreur;
using Octets = clsB64::Octets;

namespace {

void Verifier(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void Decoder(const clsB64& b, const Octets& entree) {
    const std::size_t n = entree.size();
    Octets sortie, code;
    try {
        b.Decode(entree, sortie);
    } catch (const Erreur& e) {
        Verifier(e.Numero() == monvalor::ErrIndice && (n % 4 != 0 || n < 4));
        return;
    }
    Verifier(n % 4 == 0);
    const std::size_t pads = n > 0 && entree[n - 1] == '=' ? (entree[n - 2] == '=' ? 2 : 1) : 0;
    Verifier(sortie.size() == n / 4 * 3 - pads);
    b.Encode(sortie, code);
    Verifier(code.size() == n);
    // Text of the alphabet only encodes back to itself, but for the unused bits of the last
    // character before the padding.
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto fin = entree.end() - static_cast<std::ptrdiff_t>(pads);
    if (std::all_of(entree.begin(), fin, [&](std::uint8_t c) {
            return c != 0 && std::strchr(alphabet, c) != nullptr;
        })) {
        for (std::size_t i = 0; i + pads < n; ++i) {
            Verifier(code[i] == entree[i] || (pads > 0 && i + pads + 1 == n));
        }
    }
}

// Long inputs take another road through the encoder: the bytes repeated past it must round
// trip, and their start must encode as the bytes alone do.
void EncoderPuisDecoder(const clsB64& b, const Octets& entree) {
    Octets longue = entree;
    while (!entree.empty() && longue.size() < 20000) {
        longue.insert(longue.end(), entree.begin(), entree.end());
    }
    for (const Octets& clair : {entree, longue}) {
        Octets code, retour;
        b.Encode(clair, code);
        Verifier(code.size() == (clair.size() + 2) / 3 * 4);
        b.Decode(code, retour);
        Verifier(retour == clair);
    }
    Octets codeLong, codeDebut;
    b.Encode(longue, codeLong);
    b.Encode(Octets(entree.begin(), entree.end() - entree.size() % 3), codeDebut);
    Verifier(std::equal(codeDebut.begin(), codeDebut.end(), codeLong.begin()));
}

// The first bytes choose SpanSize (large ones only cost memory) and the separator; the rest is
// cut into lines at '\n'.
void Joindre(const clsB64& b, const std::uint8_t* data, std::size_t size) {
    if (size < 3 || size - 3 < data[2] % 4u) {
        return;
    }
    std::int16_t taille = static_cast<std::int16_t>((data[0] << 8) | data[1]);
    if (taille > 512) {
        taille = static_cast<std::int16_t>(taille % 512);
    }
    const std::string separateur(reinterpret_cast<const char*>(data) + 3, data[2] % 4u);
    clsB64::Lignes lignes(1);
    for (std::size_t i = 3 + separateur.size(); i < size; ++i) {
        if (data[i] == '\n') {
            lignes.emplace_back();
        } else {
            lignes.back().push_back(static_cast<char>(data[i]));
        }
    }
    const std::int16_t donnee = taille;
    Octets sortie;
    try {
        b.Unspan(lignes, sortie, taille, separateur);
    } catch (const Erreur& e) {
        Verifier(e.Numero() == monvalor::ErrIndice || e.Numero() == monvalor::ErrArgument);
        Verifier(donnee < 0 || taille == (donnee == 0 ? 76 : donnee));
        return;
    }
    Verifier(taille == (donnee == 0 ? 76 : donnee));
    // Cutting again and joining back is stable unless the bytes hold the separator's first
    // character, where it would be found earlier than Span put it.
    if (separateur.empty() || std::find(sortie.begin(), sortie.end(),
                                        static_cast<std::uint8_t>(separateur[0])) == sortie.end()) {
        clsB64::Lignes recoupees;
        Octets rejointes;
        b.Span(sortie, recoupees, taille, separateur);
        b.Unspan(recoupees, rejointes, taille, separateur);
        Verifier(rejointes == sortie);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clsB64 b;
    b.Init();
    const Octets entree(data, data + size);
    Decoder(b, entree);
    EncoderPuisDecoder(b, entree);
    Joindre(b, data, size);
    return 0;
}
