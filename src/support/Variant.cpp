#include "support/Variant.h"

#include "support/Erreur.h"

#include <charconv>
#include <cmath>
#include <ostream>
#include <system_error>

namespace monvalor {

namespace {

// Largest size written in plain decimal notation; from there on the exponent form is shorter
// and is what the classic runtime shows.
constexpr double kLimiteDecimale = 1e15;
constexpr double kPlusPetitDecimal = 1e-5;

std::string EcrireNombre(double x) {
    if (x == 0.0) {
        return "0"; // also for -0, which nobody wants to see written
    }
    char tampon[64];
    const double taille = std::fabs(x);
    std::to_chars_result r{};
    if (std::isfinite(x) && taille < kLimiteDecimale && std::trunc(x) == x) {
        r = std::to_chars(tampon, tampon + sizeof tampon, x, std::chars_format::fixed, 0);
    } else if (std::isfinite(x) && taille >= kPlusPetitDecimal && taille < kLimiteDecimale) {
        r = std::to_chars(tampon, tampon + sizeof tampon, x, std::chars_format::fixed);
    } else {
        r = std::to_chars(tampon, tampon + sizeof tampon, x, std::chars_format::scientific);
    }
    std::string texte(tampon, r.ptr);
    for (char& c : texte) {
        if (c == '.') {
            c = ',';
        } else if (c == 'e') {
            c = 'E';
        }
    }
    return texte;
}

} // namespace

double Variant::Nombre() const {
    if (const double* x = std::get_if<double>(&valeur_)) {
        return *x;
    }
    ErreurType();
}

bool Variant::Booleen() const {
    if (const bool* b = std::get_if<bool>(&valeur_)) {
        return *b;
    }
    ErreurType();
}

const std::string& Variant::Chaine() const {
    if (const std::string* s = std::get_if<std::string>(&valeur_)) {
        return *s;
    }
    ErreurType();
}

const Variant::Reference& Variant::ReferenceOuErreur() const {
    if (const Reference* r = std::get_if<Reference>(&valeur_)) {
        return *r;
    }
    ErreurType();
}

void Variant::ErreurType() {
    throw Erreur(ErrType);
}

std::string Variant::Texte() const {
    switch (Genre()) {
    case GenreVariant::Vide:
    case GenreVariant::Nul:
        return {};
    case GenreVariant::Nombre:
        return EcrireNombre(std::get<double>(valeur_));
    case GenreVariant::Booleen:
        return std::get<bool>(valeur_) ? "Vrai" : "Faux";
    case GenreVariant::Texte:
        return std::get<std::string>(valeur_);
    case GenreVariant::Objet:
        break;
    }
    ErreurType();
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.valeur_.index() != b.valeur_.index()) {
        return false;
    }
    if (const auto* ra = std::get_if<Variant::Reference>(&a.valeur_)) {
        return ra->objet == std::get<Variant::Reference>(b.valeur_).objet;
    }
    return std::visit(
        [&b](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, Variant::Reference>) {
                return false; // handled above
            } else {
                return x == std::get<T>(b.valeur_);
            }
        },
        a.valeur_);
}

std::ostream& operator<<(std::ostream& flux, const Variant& v) {
    switch (v.Genre()) {
    case GenreVariant::Vide:
        return flux << "Vide";
    case GenreVariant::Nul:
        return flux << "Null";
    case GenreVariant::Nombre:
        return flux << "Nombre(" << v.Texte() << ")";
    case GenreVariant::Booleen:
        return flux << "Booleen(" << v.Texte() << ")";
    case GenreVariant::Texte:
        return flux << "Texte(\"" << v.Chaine() << "\")";
    case GenreVariant::Objet:
        return flux << "Objet";
    }
    return flux;
}

} // namespace monvalor
