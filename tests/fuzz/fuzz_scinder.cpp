// Splits any text at any separator: the pieces join back into the text and hold no separator.
#include "support/Chaines.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

using namespace monvalor;

static void Verifier(bool condition) {
    if (!condition) {
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // First byte: separator length (0 to 3); then the separator, then the text.
    if (size < 1 || size < 1u + data[0] % 4) {
        return 0;
    }
    const std::string_view tout(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view donne = tout.substr(0, data[0] % 4);
    const std::string_view texte = tout.substr(donne.size());

    const TableauChaines t = Scinder(texte, donne);
    const std::string separateur = donne.empty() ? std::string(1, '\t') : std::string(donne);
    if (texte.empty()) {
        Verifier(t.LBound() == 0 && t.UBound() == 0 && t[0].empty() && t.begin() == t.end());
        return 0;
    }
    Verifier(t.LBound() == 1 && std::distance(t.begin(), t.end()) == t.UBound());
    std::string rejoint;
    for (int i = 1; i <= t.UBound(); ++i) {
        rejoint += (i > 1 ? separateur : "") + t[i];
        Verifier(t[i].find(separateur) == std::string::npos);
    }
    Verifier(rejoint == texte);
    return 0;
}
