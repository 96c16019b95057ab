// Amount texts from anywhere: the recogniser and the reader must agree on every input, and a
// number read must write and read back.
#include "converter/Conversions.h"
#include "support/Erreur.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace monvalor;

namespace {

void Exiger(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view texte(reinterpret_cast<const char*>(data), size);

    const bool montant = EstMontant(texte);
    bool lu = true;
    double valeur = 0.0;
    try {
        valeur = LireNombre(texte);
    } catch (const Erreur& e) {
        lu = false;
        Exiger(e.Numero() == ErrType);
    }
    Exiger(montant == lu);
    Exiger(EssayerLireNombre(texte).has_value() == lu);

    const std::string normalise = NormaliserMontant(texte);
    Exiger(normalise.size() == texte.size());
    Exiger(normalise.find('.') == std::string::npos);

    if (lu) {
        Exiger(std::isfinite(valeur));
        const std::string ecrit = EcrireNombre(valeur);
        Exiger(!ecrit.empty() && ecrit != "-0" && ecrit.find('.') == std::string::npos);
        const double absolu = std::fabs(valeur);
        if (ecrit.find('E') == std::string::npos) {
            // Written in full: it reads back, and then writes the same.
            Exiger(absolu == 0.0 || (absolu >= 9e-5 && absolu < 1e15));
            const auto relu = EssayerLireNombre(ecrit);
            Exiger(relu.has_value());
            Exiger(EcrireNombre(*relu) == ecrit);
        } else {
            Exiger(absolu >= 9e14 || absolu < 1e-4);
        }
    }

    // The figures never fail loudly, whatever the texts.
    const std::size_t moitie = size / 2;
    (void)CalculerConversions(texte.substr(0, moitie), texte.substr(moitie));
    (void)CalculerConversions(texte, "19,6");
    return 0;
}
