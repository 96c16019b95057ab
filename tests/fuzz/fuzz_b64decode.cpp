// Feeds arbitrary bytes to the Base64 decoder and to the line joiner. Neither may crash or
// fail other than with its own error numbers, and whatever decodes must encode back.
#include "support/Erreur.h"
#include "support/clsB64.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace monvalor;
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
        Verifier(e.Numero() == ErrIndice && (n % 4 != 0 || n < 4));
        return;
    }
    Verifier(n % 4 == 0);
    const std::size_t pads = n > 0 && entree[n - 1] == '=' ? (entree[n - 2] == '=' ? 2 : 1) : 0;
    Verifier(sortie.size() == n / 4 * 3 - pads);
    b.Encode(sortie, code);
    Verifier(code.size() == n);
    // Text of the alphabet encodes back to itself, but for unused bits before the padding.
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string_view texte(reinterpret_cast<const char*>(entree.data()), n - pads);
    const auto pareils = static_cast<std::ptrdiff_t>(n - pads - (pads > 0 ? 1 : 0));
    Verifier(texte.find_first_not_of(alphabet) != std::string_view::npos ||
             std::equal(code.begin(), code.begin() + pareils, entree.begin()));
}

// The first bytes choose SpanSize (kept small: large ones only cost memory) and the separator;
// the rest is cut into lines at '\n'.
void Joindre(const clsB64& b, const std::uint8_t* data, std::size_t size) {
    if (size < 3 || size - 3 < data[2] % 4u) {
        return;
    }
    const auto brute = static_cast<std::int16_t>((data[0] << 8) | data[1]);
    const auto donnee = static_cast<std::int16_t>(brute > 512 ? brute % 512 : brute);
    const std::string separateur(reinterpret_cast<const char*>(data) + 3, data[2] % 4u);
    clsB64::Lignes lignes(1);
    for (std::size_t i = 3 + separateur.size(); i < size; ++i) {
        if (data[i] == '\n') {
            lignes.emplace_back();
        } else {
            lignes.back().push_back(static_cast<char>(data[i]));
        }
    }
    std::int16_t taille = donnee;
    Octets sortie, rejointes;
    try {
        b.Unspan(lignes, sortie, taille, separateur);
    } catch (const Erreur& e) {
        Verifier((e.Numero() == ErrIndice || e.Numero() == ErrArgument) &&
                 (donnee < 0 || taille == (donnee == 0 ? 76 : donnee)));
        return;
    }
    Verifier(taille == (donnee == 0 ? 76 : donnee));
    // Cutting again and joining back is stable unless the bytes hold the separator's start.
    if (separateur.empty() || std::find(sortie.begin(), sortie.end(),
                                        static_cast<std::uint8_t>(separateur[0])) == sortie.end()) {
        b.Span(sortie, lignes, taille, separateur);
        b.Unspan(lignes, rejointes, taille, separateur);
        Verifier(rejointes == sortie);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    clsB64 b;
    b.Init();
    const Octets entree(data, data + size);
    Decoder(b, entree);
    Joindre(b, data, size);
    // Whatever encodes decodes back, and so do the bytes repeated onto the long inputs' road.
    Octets longue = entree, code, retour;
    while (!entree.empty() && longue.size() < 20000) {
        longue.insert(longue.end(), entree.begin(), entree.end());
    }
    for (const Octets& clair : {entree, longue}) {
        b.Encode(clair, code);
        Verifier(code.size() == (clair.size() + 2) / 3 * 4);
        b.Decode(code, retour);
        Verifier(retour == clair);
    }
    return 0;
}
