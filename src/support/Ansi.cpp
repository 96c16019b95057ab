#include "support/Ansi.h"

#include <array>

namespace monvalor {

namespace {

// Code points of 0x80..0x9F in Windows-1252; undefined slots keep their C1 value.
constexpr std::array<char32_t, 32> kHaut = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

// Reads one UTF-8 sequence at `i`; returns false on a malformed, overlong or surrogate one.
bool LireUtf8(std::string_view s, size_t& i, char32_t& c) {
    const auto o = static_cast<unsigned char>(s[i]);
    int suite = 0;
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
    if (i + static_cast<size_t>(suite) >= s.size()) {
        return false;
    }
    for (int k = 1; k <= suite; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[suite] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return false;
    }
    i += static_cast<size_t>(suite) + 1;
    return true;
}

} // namespace

char32_t CodeUnicode(unsigned char octet) {
    if (octet >= 0x80 && octet <= 0x9F) {
        return kHaut[octet - 0x80];
    }
    return octet;
}

int OctetAnsi(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
        return static_cast<int>(code);
    }
    for (size_t k = 0; k < kHaut.size(); ++k) {
        if (kHaut[k] == code) {
            return static_cast<int>(0x80 + k);
        }
    }
    return -1;
}

std::string AnsiVersUtf8(std::string_view ansi) {
    std::string sortie;
    sortie.reserve(ansi.size() + ansi.size() / 4);
    for (char ch : ansi) {
        AjouterUtf8(sortie, CodeUnicode(static_cast<unsigned char>(ch)));
    }
    return sortie;
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
            std::string sortie;
            size_t i = 0;
            while (i < corps.size()) {
                char32_t c = 0;
                if (!LireUtf8(corps, i, c)) {
                    sortie.push_back('?');
                    ++i;
                    continue;
                }
                const int o = OctetAnsi(c);
                sortie.push_back(o < 0 ? '?' : static_cast<char>(o));
            }
            if (etaitUtf8) {
                *etaitUtf8 = true;
            }
            return sortie;
        }
    }
    if (etaitUtf8) {
        *etaitUtf8 = false;
    }
    return std::string(octets);
}

} // namespace monvalor
