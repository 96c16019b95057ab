// Texts of the sources, written as they read (u8"À propos de"_ansi), turned into the core's
// Windows-1252 bytes while compiling. A character that Windows-1252 has no byte for does not
// compile, so a typo can never reach a window as a '?'.
#pragma once

#include "support/Ansi.h"

#include <cstddef>
#include <string_view>
#include <type_traits>

namespace monvalor {

namespace detail {

// The UTF-8 literal as a template argument.
template <std::size_t N> struct LitteralUtf8 {
    char octets[N]{};
    constexpr LitteralUtf8(const char8_t (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            octets[i] = static_cast<char>(s[i]);
        }
    }
};

// Not constexpr on purpose: reaching one while compiling stops the build with its name.
inline void caractere_sans_octet_windows_1252() {}
inline void utf8_mal_forme() {}

template <std::size_t N> struct Texte1252 {
    char octets[N]{};
    std::size_t taille = 0;
    constexpr std::string_view Vue() const { return {octets, taille}; }
};

template <std::size_t N> consteval Texte1252<N> VersAnsi(const LitteralUtf8<N>& s) {
    Texte1252<N> t;
    const std::string_view texte(s.octets, N - 1);
    for (std::size_t i = 0; i < texte.size();) {
        char32_t c = 0;
        if (!LireUtf8(texte, i, c)) {
            utf8_mal_forme();
        }
        const int octet = OctetAnsi(c);
        if (octet < 0) {
            caractere_sans_octet_windows_1252();
        }
        t.octets[t.taille++] = static_cast<char>(octet);
    }
    return t;
}

template <char8_t... C>
inline constexpr auto kAnsi = VersAnsi(LitteralUtf8<sizeof...(C) + 1>({C..., u8'\0'}));

} // namespace detail

inline namespace litteraux {

// u8"Réduction"_ansi: the Windows-1252 bytes of the text, in static storage.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#if defined(__clang__)
#pragma GCC diagnostic ignored "-Wgnu-string-literal-operator-template"
#endif
template <typename T, T... C> constexpr std::string_view operator""_ansi() {
    static_assert(std::is_same_v<T, char8_t>, "write the text as u8\"...\"");
    return detail::kAnsi<C...>.Vue();
}
#pragma GCC diagnostic pop

} // namespace litteraux

} // namespace monvalor
