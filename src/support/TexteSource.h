// Texts of the sources, written as they read (u8"À propos de"_ansi), turned into the core's
// Windows-1252 bytes while compiling. A character that Windows-1252 has no byte for does not
// compile, so a typo can never reach a window as a '?'.
#pragma once

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

// Windows-1252 of 0x80..0x9F; the five unassigned slots keep their C1 code points.
inline constexpr char32_t kHaut1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Not constexpr on purpose: reaching it while compiling stops the build with its name.
inline void caractere_sans_octet_windows_1252() {}
inline void utf8_mal_forme() {}

consteval unsigned char Octet1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kHaut1252[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    caractere_sans_octet_windows_1252();
    return 0;
}

template <std::size_t N> struct Texte1252 {
    char octets[N]{};
    std::size_t taille = 0;
    constexpr std::string_view Vue() const { return {octets, taille}; }
};

template <std::size_t N> consteval Texte1252<N> VersAnsi(const LitteralUtf8<N>& s) {
    Texte1252<N> t;
    for (std::size_t i = 0; i + 1 < N;) {
        const auto o = static_cast<unsigned char>(s.octets[i]);
        char32_t c = 0;
        std::size_t suite = 0;
        if (o < 0x80) {
            c = o;
        } else if ((o & 0xE0) == 0xC0) {
            c = o & 0x1F;
            suite = 1;
        } else if ((o & 0xF0) == 0xE0) {
            c = o & 0x0F;
            suite = 2;
        } else if ((o & 0xF8) == 0xF0) {
            c = o & 0x07;
            suite = 3;
        } else {
            utf8_mal_forme();
        }
        for (std::size_t k = 1; k <= suite; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(s.octets[i + k]) & 0x3F);
        }
        t.octets[t.taille++] = static_cast<char>(Octet1252(c));
        i += suite + 1;
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
