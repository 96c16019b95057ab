// A general value as the classic runtime knows it: empty (never assigned), null, a number, a
// Boolean, a text or an object reference. Lists (`Arr`) hold these.
#pragma once

#include <concepts>
#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <variant>

namespace monvalor {

enum class GenreVariant { Vide, Nul, Nombre, Booleen, Texte, Objet };

class Variant {
public:
    // Empty: the value of a slot that was never written.
    Variant() = default;

    // Numbers: every number is kept as a double, which holds every 32-bit integer exactly.
    Variant(double nombre) : valeur_(nombre) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) Variant(T entier) : valeur_(static_cast<double>(entier)) {}

    Variant(bool booleen) : valeur_(booleen) {}

    // Texts are Windows-1252 bytes.
    Variant(std::string texte) : valeur_(std::move(texte)) {}
    Variant(std::string_view texte) : valeur_(std::string(texte)) {}
    Variant(const char* texte) : valeur_(std::string(texte)) {}

    // Object references are shared: copying the value copies the reference, never the object.
    // An empty pointer is a reference to nothing, still of the object kind.
    template <class T>
    Variant(std::shared_ptr<T> objet)
        : valeur_(Reference{std::move(objet), &typeid(std::remove_cv_t<T>)}) {}

    // Without these, any pointer or nullptr would silently turn into a Boolean.
    template <class T> Variant(T*) = delete;
    Variant(std::nullptr_t) = delete;

    static Variant Null() {
        Variant v;
        v.valeur_ = Nul{};
        return v;
    }

    GenreVariant Genre() const noexcept { return static_cast<GenreVariant>(valeur_.index()); }
    bool EstVide() const noexcept { return Genre() == GenreVariant::Vide; }
    bool EstNull() const noexcept { return Genre() == GenreVariant::Nul; }
    bool EstNombre() const noexcept { return Genre() == GenreVariant::Nombre; }
    bool EstBooleen() const noexcept { return Genre() == GenreVariant::Booleen; }
    bool EstTexte() const noexcept { return Genre() == GenreVariant::Texte; }
    bool EstObjet() const noexcept { return Genre() == GenreVariant::Objet; }

    // Strict accessors: a value of another kind fails with error 13.
    double Nombre() const;
    bool Booleen() const;
    const std::string& Chaine() const;

    // The object as the type it was stored with; any other type fails with error 13, as does
    // a value that is not an object.
    template <class T> std::shared_ptr<T> Objet() const {
        const Reference& r = ReferenceOuErreur();
        if (*r.type != typeid(std::remove_cv_t<T>)) {
            ErreurType();
        }
        return std::static_pointer_cast<T>(r.objet);
    }

    // The value written as text, as ToString and message texts need it:
    //  - empty and null give "";
    //  - Booleans give "Vrai" or "Faux";
    //  - whole numbers below 1E+15 in size are written with their digits only ("-42");
    //  - other numbers from 0,00001 to below 1E+15 in size are written in plain decimal
    //    notation, others in exponent notation ("1,5E-07", "1E+15"); the digits are the
    //    shortest that read back as the same double, and the decimal separator is the comma,
    //    as on a French system;
    //  - an object reference fails with error 13.
    std::string Texte() const;

    // Same kind and same value; numbers compare as doubles, objects by identity. Empty and
    // null are each equal only to themselves.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    struct Nul {
        bool operator==(const Nul&) const = default;
    };
    struct Reference {
        std::shared_ptr<void> objet;
        const std::type_info* type;
    };

    const Reference& ReferenceOuErreur() const;
    [[noreturn]] static void ErreurType();

    // The order of the alternatives follows GenreVariant.
    std::variant<std::monostate, Nul, double, bool, std::string, Reference> valeur_;
};

// Readable description for diagnostics and test failures, e.g. Texte("a") or Nombre(2,5).
std::ostream& operator<<(std::ostream& flux, const Variant& v);

} // namespace monvalor
