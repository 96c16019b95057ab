#include "converter/Conversions.h"

#include "support/Erreur.h"
#include "support/TexteSource.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace monvalor {

namespace {

constexpr char Euro = u8"€"_ansi[0];
constexpr char EspaceInsecable = '\xA0';

bool EstBlanc(char c) {
    return c == ' ' || c == EspaceInsecable;
}

// What surrounds a number copied from a spreadsheet cell or a web page.
bool EstEspace(char c) {
    return EstBlanc(c) || c == '\t' || c == '\r' || c == '\n';
}

bool EstChiffre(char c) {
    return c >= '0' && c <= '9';
}

// Length of the run of digits starting at `debut`.
std::size_t Chiffres(std::string_view t, std::size_t debut) {
    std::size_t fin = debut;
    while (fin < t.size() && EstChiffre(t[fin])) {
        ++fin;
    }
    return fin - debut;
}

// Checks the text against the reading rule and, when it matches, gives the value. The digits
// are gathered into a plain "-123.45" copy so that the standard conversion does the rounding.
std::optional<double> Analyser(std::string_view texte) {
    std::size_t debut = 0;
    std::size_t fin = texte.size();
    while (fin > debut && EstEspace(texte[fin - 1])) {
        --fin;
    }
    while (debut < fin && EstEspace(texte[debut])) {
        ++debut;
    }

    // One euro sign, in front or behind, with at most one blank between it and the number.
    if (debut < fin && texte[debut] == Euro) {
        ++debut;
        if (debut < fin && EstBlanc(texte[debut])) {
            ++debut;
        }
    } else if (fin > debut && texte[fin - 1] == Euro) {
        --fin;
        if (fin > debut && EstBlanc(texte[fin - 1])) {
            --fin;
        }
    }
    const std::string_view t = texte.substr(debut, fin - debut);

    std::string propre;
    propre.reserve(t.size() + 3);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        if (t[i] == '-') {
            propre.push_back('-');
        }
        ++i;
    }

    // Integer part, possibly grouped by threes.
    const std::size_t debutEntiers = propre.size();
    std::size_t n = Chiffres(t, i);
    propre.append(t.substr(i, n));
    i += n;
    if (n >= 1 && n <= 3 && i < t.size() && EstBlanc(t[i])) {
        const char separateur = t[i];
        while (i < t.size() && t[i] == separateur) {
            n = Chiffres(t, i + 1);
            if (n != 3) {
                return std::nullopt;
            }
            propre.append(t.substr(i + 1, 3));
            i += 1 + n;
        }
    }
    const std::size_t nbEntiers = propre.size() - debutEntiers;

    // Fraction.
    std::size_t nbDecimales = 0;
    if (i < t.size() && t[i] == ',') {
        ++i;
        nbDecimales = Chiffres(t, i);
        i += nbDecimales;
    }
    if (i != t.size() || nbEntiers + nbDecimales == 0) {
        return std::nullopt;
    }
    if (nbEntiers == 0) {
        propre.push_back('0');
    }
    propre.push_back('.');
    if (nbDecimales == 0) {
        propre.push_back('0');
    } else {
        propre.append(t.substr(t.size() - nbDecimales));
    }

    double valeur = 0.0;
    const char* const premier = propre.data();
    const char* const dernier = premier + propre.size();
    const auto [fin_lue, erreur] =
        std::from_chars(premier, dernier, valeur, std::chars_format::fixed);
    if (fin_lue != dernier) {
        return std::nullopt;
    }
    if (erreur == std::errc::result_out_of_range) {
        // Too small to be told from zero is zero; too large is not a number we can hold.
        const std::string_view entiers = std::string_view(propre).substr(debutEntiers, nbEntiers);
        if (entiers.find_first_not_of('0') != std::string_view::npos) {
            return std::nullopt;
        }
        return propre[0] == '-' ? -0.0 : 0.0;
    }
    if (erreur != std::errc()) {
        return std::nullopt;
    }
    return valeur;
}

// An overflow or a division by zero gives an infinity and 0 / 0 a NaN. The inputs are finite,
// no later operation of a figure turns either back into a finite value, and Arrondir refuses
// both: checking there fails the figure exactly when one of its operations failed.
template <typename Calcul> std::optional<std::string> Figure(const Calcul& calcul) {
    try {
        return EcrireNombre(Arrondir(calcul()));
    } catch (const Erreur&) {
        return std::nullopt;
    }
}

} // namespace

std::string NormaliserMontant(std::string_view texte) {
    std::string resultat(texte);
    for (char& c : resultat) {
        if (c == '.') {
            c = ',';
        }
    }
    return resultat;
}

bool EstMontant(std::string_view texte) {
    return Analyser(texte).has_value();
}

std::optional<double> EssayerLireNombre(std::string_view texte) {
    return Analyser(texte);
}

double LireNombre(std::string_view texte) {
    const auto valeur = Analyser(texte);
    if (!valeur) {
        Lever(ErrType);
    }
    return *valeur;
}

std::string EcrireNombre(double valeur) {
    if (!std::isfinite(valeur)) {
        Lever(ErrDepassement);
    }
    if (valeur == 0.0) {
        return "0"; // -0 included
    }

    // d.dddddddddddddde±x: the standard conversion rounds to 15 significant digits, and a
    // rounding that carries into a new digit already shows in the exponent.
    char tampon[40];
    const auto r =
        std::to_chars(tampon, tampon + sizeof tampon, valeur, std::chars_format::scientific, 14);
    const std::string_view sci(tampon, static_cast<std::size_t>(r.ptr - tampon));
    const bool negatif = sci[0] == '-';
    const std::size_t posE = sci.find('e');
    std::string chiffres;
    for (std::size_t k = negatif ? 1 : 0; k < posE; ++k) {
        if (sci[k] != '.') {
            chiffres.push_back(sci[k]);
        }
    }
    while (chiffres.size() > 1 && chiffres.back() == '0') {
        chiffres.pop_back();
    }
    const int exposant = std::atoi(std::string(sci.substr(posE + 1)).c_str());

    std::string texte;
    if (negatif) {
        texte.push_back('-');
    }
    if (exposant >= 15 || exposant < -4) {
        texte.push_back(chiffres[0]);
        if (chiffres.size() > 1) {
            texte.push_back(',');
            texte.append(chiffres, 1);
        }
        texte.push_back('E');
        texte.push_back(exposant < 0 ? '-' : '+');
        const int absolu = std::abs(exposant);
        if (absolu < 10) {
            texte.push_back('0');
        }
        texte.append(std::to_string(absolu));
    } else if (exposant >= 0) {
        const auto nbEntiers = static_cast<std::size_t>(exposant) + 1;
        if (chiffres.size() <= nbEntiers) {
            texte.append(chiffres);
            texte.append(nbEntiers - chiffres.size(), '0');
        } else {
            texte.append(chiffres, 0, nbEntiers);
            texte.push_back(',');
            texte.append(chiffres, nbEntiers);
        }
    } else {
        texte.append("0,");
        texte.append(static_cast<std::size_t>(-exposant - 1), '0');
        texte.append(chiffres);
    }
    return texte;
}

double Arrondir(double valeur) {
    const double centimes = valeur * 100.0;
    if (!std::isfinite(centimes)) {
        Lever(ErrDepassement);
    }
    // A product that is an exact half goes to the even cent whatever the floating point
    // rounding mode (std::round ignores it; the product itself, like any product, follows
    // it). The difference is exact: below 2^52 the product's spacing divides 0.5, above it
    // the product is already whole.
    double entier = std::round(centimes);
    if (std::fabs(entier - centimes) == 0.5 && std::fmod(entier, 2.0) != 0.0) {
        entier -= std::copysign(1.0, centimes);
    }
    return entier / 100.0;
}

Conversions CalculerConversions(std::string_view montant, std::string_view taux) {
    const std::optional<double> m = EssayerLireNombre(montant);
    const std::optional<double> t = EssayerLireNombre(taux);
    const auto lire = [](const std::optional<double>& v) {
        if (!v) {
            Lever(ErrType);
        }
        return *v;
    };

    Conversions c;
    c.euros = Figure([&] { return lire(m) / TauxEuro; });
    c.francs = Figure([&] { return lire(m) * TauxEuro; });
    c.tva = Figure([&] { return (lire(t) * lire(m)) / 100.0; });
    c.montantHT = Figure([&] { return lire(m) / ((lire(t) / 100.0) + 1.0); });
    c.montantTTC = Figure([&] { return ((lire(t) / 100.0) + 1.0) * lire(m); });
    c.reduction = Figure([&] { return (1.0 - (lire(t) / 100.0)) * lire(m); });
    return c;
}

} // namespace monvalor
