// Splits arbitrary text at an arbitrary separator: the pieces must join back into the text,
// none may hold the separator, and the count must agree with what Remplacer finds.
#include "support/Chaines.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

using namespace monvalor;

namespace {

void Verifier(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // First byte: separator length (0 to 3) and case flag; then the separator, then the text.
    const std::size_t longueurSep = data[0] % 4;
    const bool casseExacte = (data[0] & 0x80) != 0;
    if (size < 1 + longueurSep) {
        return 0;
    }
    const std::string_view tout(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view donne = tout.substr(0, longueurSep);
    const std::string_view texte = tout.substr(longueurSep);

    const TableauChaines t = Scinder(texte, donne);
    const std::string separateur = donne.empty() ? std::string(1, '\t') : std::string(donne);
    if (texte.empty()) {
        Verifier(t.LBound() == 0 && t.UBound() == 0 && t[0].empty() && t.begin() == t.end());
        return 0;
    }
    Verifier(t.LBound() == 1 && t.UBound() >= 1);
    Verifier(std::distance(t.begin(), t.end()) == t.UBound());

    std::string rejoint;
    for (int i = 1; i <= t.UBound(); ++i) {
        if (i > 1) {
            rejoint += separateur;
        }
        rejoint += t[i];
        Verifier(t[i].find(separateur) == std::string::npos);
    }
    Verifier(rejoint == texte);

    // Remplacer scans the same way: replacing each separator by one marker character that the
    // text lacks leaves exactly UBound() - 1 markers.
    const char marqueur = '\x01';
    if (texte.find(marqueur) == std::string_view::npos &&
        separateur.find(marqueur) == std::string::npos) {
        std::string compte(texte);
        Remplacer(compte, separateur, std::string_view(&marqueur, 1), true);
        Verifier(std::count(compte.begin(), compte.end(), marqueur) == t.UBound() - 1);
    }

    // Without regard to case, replacing by the search text itself folds nothing else.
    std::string copie(texte);
    Remplacer(copie, separateur, separateur, casseExacte);
    Verifier(copie.size() == texte.size());
    if (casseExacte) {
        Verifier(copie == texte);
    } else {
        for (std::size_t i = 0; i < copie.size(); ++i) {
            Verifier(MinusculeAnsi(static_cast<unsigned char>(copie[i])) ==
                     MinusculeAnsi(static_cast<unsigned char>(texte[i])));
        }
    }
    return 0;
}
