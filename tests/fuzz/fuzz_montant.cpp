// Amount texts from anywhere: the readers agree on every input, and what they read writes back.
#include "converter/Conversions.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace monvalor;

static void Exiger(bool condition) {
    if (!condition) {
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view texte(reinterpret_cast<const char*>(data), size);
    const auto essai = EssayerLireNombre(texte);
    double valeur = 0.0;
    try {
        valeur = LireNombre(texte);
        Exiger(essai.has_value() && *essai == valeur && std::isfinite(valeur));
    } catch (const Erreur& e) {
        Exiger(e.Numero() == ErrType && !essai.has_value());
    }
    Exiger(EstMontant(texte) == essai.has_value());

    const std::string normalise = NormaliserMontant(texte);
    Exiger(normalise.size() == texte.size() && normalise.find('.') == std::string::npos);

    if (essai) {
        // Written in full or with an exponent (where that starts is test_conversions'), it has
        // no point and no "-0"; written in full it reads back and then writes the same.
        const std::string ecrit = EcrireNombre(valeur);
        Exiger(!ecrit.empty() && ecrit != "-0" && ecrit.find('.') == std::string::npos);
        const auto relu = EssayerLireNombre(ecrit);
        Exiger(ecrit.find('E') != std::string::npos || (relu && EcrireNombre(*relu) == ecrit));
    }

    // Taken in as UTF-8 from the clipboard: never longer, and a text that reads keeps its value
    // when the blanks programs write come in its place (as the no-break space they become).
    const std::string recu = Utf8VersAnsiApproche(std::string(texte));
    Exiger(recu.size() <= texte.size());
    if (essai && texte.find('\xA0') == std::string_view::npos &&
        texte.find('\x80') == std::string_view::npos) {
        std::string etroit;
        for (char c : texte) {
            etroit += c == ' ' ? std::string("\xE2\x80\xAF") : std::string(1, c);
        }
        Exiger(EssayerLireNombre(Utf8VersAnsiApproche(etroit)) == essai);
    }

    // The figures never fail loudly, whatever the texts.
    (void)CalculerConversions(texte.substr(0, size / 2), texte.substr(size / 2));
    (void)CalculerConversions(texte, "19,6");
    return 0;
}
