// The text model: in the core a text is a std::string of Windows-1252 bytes, one byte per
// character. These conversions are used only at the edges (widgets, clipboard, paths handed
// to the OS, process arguments, files saved as UTF-8 by Linux users).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// Windows-1252 bytes to UTF-8. The five code points Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so the round trip is exact.
std::string AnsiVersUtf8(std::string_view ansi);

// Latin-1 bytes (the "STRING" form of X11 clipboards) as UTF-8.
std::string Latin1VersUtf8(std::string_view latin1);

// UTF-8 to Windows-1252; nullopt when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot represent.
std::optional<std::string> Utf8VersAnsi(std::string_view utf8);

// UTF-8 to Windows-1252 as OctetAnsiApproche gives each character, with '?' for each byte that
// is not UTF-8; done in place, for texts that may be large.
std::string Utf8VersAnsiApproche(std::string texte);

// Code points of 0x80..0x9F in Windows-1252; the five undefined slots keep their C1 value.
inline constexpr char32_t kHaut1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Unicode code point of a Windows-1252 byte.
constexpr char32_t CodeUnicode(unsigned char octet) {
    return octet >= 0x80 && octet <= 0x9F ? kHaut1252[octet - 0x80] : octet;
}

// Windows-1252 byte of a code point, or -1 when it has none.
constexpr int OctetAnsi(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<int>(code);
    }
    for (int k = 0; k < 32; ++k) {
        if (kHaut1252[k] == code) {
            return 0x80 + k;
        }
    }
    return -1;
}

// The byte that stands for a code point in a text taken from outside (the clipboard, a text
// box, the command line), where nothing must be refused: the blanks that number formatting
// puts in and around amounts (U+202F narrow no-break space between French digit groups, U+2009
// thin space, U+2007 figure space) become the no-break space, the minus sign U+2212 the
// hyphen-minus it is typed as, and any other character Windows-1252 lacks a '?'.
constexpr char OctetAnsiApproche(char32_t code) {
    if (code == 0x202F || code == 0x2009 || code == 0x2007) {
        return '\xA0';
    }
    if (code == 0x2212) {
        return '-';
    }
    const int octet = OctetAnsi(code);
    return octet < 0 ? '?' : static_cast<char>(octet);
}

// Reads one UTF-8 sequence at `i` into `c` and moves past it; false on a malformed, truncated,
// overlong or surrogate one.
constexpr bool LireUtf8(std::string_view s, std::size_t& i, char32_t& c) {
    const auto o = static_cast<unsigned char>(s[i]);
    std::size_t suite = 0;
    if (o < 0x80) {
        c = o;
        ++i;
        return true;
    }
    if ((o & 0xE0) == 0xC0) {
        c = o & 0x1F;
        suite = 1;
    } else if ((o & 0xF0) == 0xE0) {
        c = o & 0x0F;
        suite = 2;
    } else if ((o & 0xF8) == 0xF0) {
        c = o & 0x07;
        suite = 3;
    } else {
        return false;
    }
    if (i + suite >= s.size()) {
        return false;
    }
    for (std::size_t k = 1; k <= suite; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (b & 0x3F);
    }
    const char32_t minimum = suite == 1 ? 0x80 : suite == 2 ? 0x800 : 0x10000;
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return false;
    }
    i += suite + 1;
    return true;
}

// Windows-1252 bytes as wide characters (UTF-16 on Windows), one unit per byte: exact.
std::wstring LargeDepuisAnsi(std::string_view ansi);

// Wide characters (UTF-16 on Windows) as OctetAnsiApproche gives each character; a pair of
// surrogates (beyond the first plane, which Windows-1252 never holds) and a lone one give '?'.
std::string AnsiDepuisLarge(std::wstring_view large);

// The same, exactly: nullopt when a character has no Windows-1252 byte (a path that could only
// be handed back as some other path).
std::optional<std::string> AnsiExactDepuisLarge(std::wstring_view large);

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence, the sign that
// a file was saved as UTF-8 rather than Windows-1252.
bool ResembleUtf8(std::string_view octets);

// Decodes the contents of a text file: a UTF-8 BOM, or valid UTF-8 with non-ASCII characters
// that all fit Windows-1252, is decoded to Windows-1252; anything else is taken as
// Windows-1252 already. `etaitUtf8` tells the caller which, so it can write back alike.
std::string DecoderFichierTexte(std::string_view octets, bool* etaitUtf8 = nullptr,
                                bool* avaitBom = nullptr);

} // namespace monvalor
