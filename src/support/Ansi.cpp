#include "support/Ansi.h"

namespace monvalor {

namespace {

void AjouterUtf8(std::string& sortie, char32_t c) {
    if (c < 0x80) {
        sortie.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        sortie.push_back(static_cast<char>(0xC0 | (c >> 6)));
        sortie.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        sortie.push_back(static_cast<char>(0xE0 | (c >> 12)));
        sortie.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        sortie.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        sortie.push_back(static_cast<char>(0xF0 | (c >> 18)));
        sortie.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        sortie.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        sortie.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

std::string AnsiVersUtf8(std::string_view ansi) {
    std::string sortie;
    sortie.reserve(ansi.size() + ansi.size() / 4);
    for (char ch : ansi) {
        AjouterUtf8(sortie, CodeUnicode(static_cast<unsigned char>(ch)));
    }
    return sortie;
}

std::string Latin1VersUtf8(std::string_view latin1) {
    std::string utf8;
    utf8.reserve(latin1.size() + latin1.size() / 4);
    for (char ch : latin1) {
        AjouterUtf8(utf8, static_cast<unsigned char>(ch));
    }
    return utf8;
}

std::optional<std::string> Utf8VersAnsi(std::string_view utf8) {
    std::string sortie;
    sortie.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = 0;
        if (!LireUtf8(utf8, i, c)) {
            return std::nullopt;
        }
        const int octet = OctetAnsi(c);
        if (octet < 0) {
            return std::nullopt;
        }
        sortie.push_back(static_cast<char>(octet));
    }
    return sortie;
}

std::string Utf8VersAnsiApproche(std::string texte) {
    // Never longer than what it reads, so it writes over the bytes it has read.
    std::size_t ecrit = 0;
    std::size_t i = 0;
    while (i < texte.size()) {
        char32_t c = 0;
        if (LireUtf8(texte, i, c)) {
            texte[ecrit++] = OctetAnsiApproche(c);
        } else {
            ++i;
            texte[ecrit++] = '?';
        }
    }
    texte.resize(ecrit);
    return texte;
}

bool ResembleUtf8(std::string_view octets) {
    bool multi = false;
    size_t i = 0;
    while (i < octets.size()) {
        char32_t c = 0;
        if (!LireUtf8(octets, i, c)) {
            return false;
        }
        multi = multi || c >= 0x80;
    }
    return multi;
}

std::string DecoderFichierTexte(std::string_view octets, bool* etaitUtf8, bool* avaitBom) {
    const bool bom = octets.size() >= 3 && octets.substr(0, 3) == "\xEF\xBB\xBF";
    if (avaitBom) {
        *avaitBom = bom;
    }
    if (bom || ResembleUtf8(octets)) {
        const auto corps = bom ? octets.substr(3) : octets;
        if (auto ansi = Utf8VersAnsi(corps)) {
            if (etaitUtf8) {
                *etaitUtf8 = true;
            }
            return *ansi;
        }
        if (bom) {
            // A BOM with characters beyond Windows-1252: keep what can be kept, a "?" for
            // the rest, rather than misreading every accent.
            if (etaitUtf8) {
                *etaitUtf8 = true;
            }
            return Utf8VersAnsiApproche(std::string(corps));
        }
    }
    if (etaitUtf8) {
        *etaitUtf8 = false;
    }
    return std::string(octets);
}

std::wstring LargeDepuisAnsi(std::string_view ansi) {
    std::wstring large(ansi.size(), L'\0');
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        large[i] = static_cast<wchar_t>(CodeUnicode(static_cast<unsigned char>(ansi[i])));
    }
    return large;
}

namespace {

// The code point of the character at `i`, moving past it; a surrogate pair gives a code point
// beyond the first plane.
char32_t LireLarge(std::wstring_view large, std::size_t& i) {
    const auto unite = static_cast<char32_t>(large[i++]);
    if (unite >= 0xD800 && unite <= 0xDBFF && i < large.size() &&
        static_cast<char32_t>(large[i]) >= 0xDC00 && static_cast<char32_t>(large[i]) <= 0xDFFF) {
        ++i;
        return 0x10000;
    }
    return unite;
}

} // namespace

std::string AnsiDepuisLarge(std::wstring_view large) {
    std::string ansi;
    ansi.reserve(large.size());
    for (std::size_t i = 0; i < large.size();) {
        ansi.push_back(OctetAnsiApproche(LireLarge(large, i)));
    }
    return ansi;
}

std::optional<std::string> AnsiExactDepuisLarge(std::wstring_view large) {
    std::string ansi;
    ansi.reserve(large.size());
    for (std::size_t i = 0; i < large.size();) {
        const int octet = OctetAnsi(LireLarge(large, i));
        if (octet < 0) {
            return std::nullopt;
        }
        ansi.push_back(static_cast<char>(octet));
    }
    return ansi;
}

} // namespace monvalor
