#include "support/clsB64.h"

#include "support/Ansi.h"
#include "support/Erreur.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace monvalor {

namespace {

constexpr std::uint8_t kPad = '=';
constexpr std::size_t kTailleBloc = 1024;
constexpr std::size_t kSeuilPaires = 16384;

// Paths are Windows-1252 in the core; the OS gets them as Unicode.
std::filesystem::path CheminNatif(const std::string& ansi) {
    const std::string utf8 = AnsiVersUtf8(ansi);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace

void clsB64::Init() {
    for (int c = 'A'; c <= 'Z'; ++c) {
        aryEncode[c - 65] = static_cast<std::uint8_t>(c);
        aryDecode[c] = static_cast<std::uint8_t>(c - 65);
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        aryEncode[c - 71] = static_cast<std::uint8_t>(c);
        aryDecode[c] = static_cast<std::uint8_t>(c - 71);
    }
    for (int c = '0'; c <= '9'; ++c) {
        aryEncode[c + 4] = static_cast<std::uint8_t>(c);
        aryDecode[c] = static_cast<std::uint8_t>(c + 4);
    }
    aryEncode[62] = '+';
    aryDecode['+'] = 62;
    aryEncode[63] = '/';
    aryDecode['/'] = 63;
}

void clsB64::Load(const std::string& strPathName, Octets& aryOut) const {
    const std::filesystem::path chemin = CheminNatif(strPathName);
    std::error_code ec;
    const auto etat = std::filesystem::status(chemin, ec);
    if (etat.type() == std::filesystem::file_type::not_found) {
        throw Erreur(ErrFichierIntrouvable);
    }
    if (ec || std::filesystem::is_directory(etat)) {
        throw Erreur(ErrAccesChemin);
    }
    const auto longueur = std::filesystem::file_size(chemin, ec);
    if (ec) {
        throw Erreur(ErrAccesChemin);
    }
    std::ifstream fichier(chemin, std::ios::binary);
    if (!fichier.is_open()) {
        throw Erreur(ErrAccesChemin);
    }
    aryOut.assign(static_cast<std::size_t>(longueur), 0);
    // A file that grew since its length was read gives only the bytes counted then; one that
    // shrank leaves zeros at the end.
    std::size_t lus = 0;
    while (lus < aryOut.size()) {
        const std::size_t voulus = std::min(kTailleBloc, aryOut.size() - lus);
        fichier.read(reinterpret_cast<char*>(aryOut.data() + lus),
                     static_cast<std::streamsize>(voulus));
        const auto obtenus = static_cast<std::size_t>(fichier.gcount());
        lus += obtenus;
        if (obtenus < voulus) {
            if (fichier.bad()) {
                throw Erreur(ErrAccesChemin);
            }
            break;
        }
    }
}

void clsB64::Save(const Octets& aryIn, const std::string& strPathName) const {
    // The old content is cut away: bytes of a longer previous file left behind the new ones
    // would corrupt it.
    std::ofstream fichier(CheminNatif(strPathName),
                          std::ios::binary | std::ios::out | std::ios::trunc);
    if (!fichier.is_open()) {
        throw Erreur(ErrAccesChemin);
    }
    fichier.write(reinterpret_cast<const char*>(aryIn.data()),
                  static_cast<std::streamsize>(aryIn.size()));
    fichier.close();
    if (fichier.fail()) {
        throw Erreur(ErrAccesChemin);
    }
}

void clsB64::StrToAry(std::string_view strIn, Octets& aryOut) const {
    aryOut.assign(strIn.begin(), strIn.end());
}

void clsB64::AryToStr(const Octets& aryIn, std::string& strOut) const {
    strOut.assign(aryIn.begin(), aryIn.end());
}

void clsB64::Encode(const Octets& aryIn, Octets& aryOut) const {
    const std::size_t n = aryIn.size();
    const std::size_t r = n % 3;
    aryOut.resize((n - r) / 3 * 4 + (r > 0 ? 4 : 0));
    if (n == 0) {
        return;
    }

    // A local copy of the table lets the compiler keep it out of reach of the output stores.
    std::uint8_t table[64];
    std::memcpy(table, aryEncode.data(), sizeof table);
    const std::uint8_t* src = aryIn.data();
    const std::uint8_t* const finGroupes = src + (n - r);
    std::uint8_t* dst = aryOut.data();

    // On long inputs, a table of the character pairs for every 12-bit value, made from the
    // instance's table, halves the look-ups; on short ones its making would cost more than it
    // saves.
    if (n >= kSeuilPaires) {
        std::uint16_t paires[4096];
        for (int v = 0; v < 4096; ++v) {
            const std::uint8_t deux[2] = {table[v >> 6], table[v & 63]};
            std::memcpy(&paires[v], deux, 2);
        }
        while (finGroupes - src >= 12) {
            for (int g = 0; g < 4; ++g) {
                const std::uint32_t v = (std::uint32_t{src[3 * g]} << 16) |
                                        (std::uint32_t{src[3 * g + 1]} << 8) |
                                        std::uint32_t{src[3 * g + 2]};
                std::memcpy(dst + 4 * g, &paires[v >> 12], 2);
                std::memcpy(dst + 4 * g + 2, &paires[v & 4095], 2);
            }
            src += 12;
            dst += 16;
        }
    }
    while (src != finGroupes) {
        const std::uint32_t v =
            (std::uint32_t{src[0]} << 16) | (std::uint32_t{src[1]} << 8) | std::uint32_t{src[2]};
        dst[0] = table[v >> 18];
        dst[1] = table[(v >> 12) & 63];
        dst[2] = table[(v >> 6) & 63];
        dst[3] = table[v & 63];
        src += 3;
        dst += 4;
    }

    if (r == 1) {
        const std::uint8_t b0 = src[0];
        dst[0] = table[b0 >> 2];
        dst[1] = table[(b0 & 3) << 4];
        dst[2] = kPad;
        dst[3] = kPad;
    } else if (r == 2) {
        const std::uint8_t b0 = src[0];
        const std::uint8_t b1 = src[1];
        dst[0] = table[b0 >> 2];
        dst[1] = table[((b0 & 3) << 4) | (b1 >> 4)];
        dst[2] = table[(b1 & 15) << 2];
        dst[3] = kPad;
    }
}

void clsB64::Decode(const Octets& aryIn, Octets& aryOut) const {
    const std::size_t n = aryIn.size();
    if (n == 0) {
        aryOut.clear();
        return;
    }
    // Only the last two characters can be padding; m is the length of the whole groups that
    // come before a padded last group.
    std::size_t m = n;
    std::size_t p = 0;
    if (aryIn[n - 1] == kPad) {
        if (n < 2) {
            throw Erreur(ErrIndice);
        }
        p = aryIn[n - 2] == kPad ? 1 : 2;
        m = n >= 4 ? n - 4 : 0;
    }
    aryOut.resize(m / 4 * 3 + p);

    std::uint8_t table[256];
    std::memcpy(table, aryDecode.data(), sizeof table);
    const std::uint8_t* src = aryIn.data();
    const std::uint8_t* const finGroupes = src + (m - m % 4);
    std::uint8_t* dst = aryOut.data();
    // Four characters, 24 bits, three bytes.
    const auto DecoderGroupe = [&] {
        const std::uint32_t v = (std::uint32_t{table[src[0]]} << 18) |
                                (std::uint32_t{table[src[1]]} << 12) |
                                (std::uint32_t{table[src[2]]} << 6) | table[src[3]];
        dst[0] = static_cast<std::uint8_t>(v >> 16);
        dst[1] = static_cast<std::uint8_t>(v >> 8);
        dst[2] = static_cast<std::uint8_t>(v);
        src += 4;
        dst += 3;
    };

    while (finGroupes - src >= 16) {
        for (int g = 0; g < 4; ++g) {
            DecoderGroupe();
        }
    }
    while (src != finGroupes) {
        DecoderGroupe();
    }

    // An incomplete group, padded or not, cannot be decoded: the text was cut or mangled.
    // Decoding the last four characters anyway would hand back wrong bytes as a success.
    if (m % 4 != 0 || (p > 0 && n < 4)) {
        throw Erreur(ErrIndice);
    }
    if (p > 0) {
        const std::uint8_t* dernier = aryIn.data() + (n - 4);
        const std::uint32_t d0 = table[dernier[0]];
        const std::uint32_t d1 = table[dernier[1]];
        dst[0] = static_cast<std::uint8_t>((d0 << 2) | ((d1 >> 4) & 3));
        if (p == 2) {
            const std::uint32_t d2 = table[dernier[2]];
            dst[1] = static_cast<std::uint8_t>(((d1 & 15) << 4) | ((d2 >> 2) & 15));
        }
    }
}

void clsB64::Span(const Octets& aryIn, Lignes& aryOut, std::int16_t& SpanSize,
                  std::string_view SpanSeparator) const {
    if (SpanSize < 0) {
        throw Erreur(ErrIndice);
    }
    if (SpanSize == 0) {
        SpanSize = 76;
    }
    const auto taille = static_cast<std::size_t>(SpanSize);
    const std::size_t n = aryIn.size();
    const std::size_t r = n % taille;
    aryOut.assign(n / taille + (r > 0 ? 1 : 0), std::string());

    const char* const octets = reinterpret_cast<const char*>(aryIn.data());
    std::size_t debut = 0;
    for (std::string& ligne : aryOut) {
        const std::size_t longueur = std::min(taille, n - debut);
        ligne.reserve(longueur + SpanSeparator.size());
        ligne.assign(octets + debut, longueur);
        ligne.append(SpanSeparator);
        debut += longueur;
    }
}

void clsB64::Unspan(const Lignes& aryIn, Octets& aryOut, std::int16_t& SpanSize,
                    std::string_view SpanSeparator) const {
    if (SpanSize < 0) {
        throw Erreur(ErrIndice);
    }
    if (SpanSize == 0) {
        SpanSize = 76;
    }
    // No lines is what Span makes of no bytes.
    if (aryIn.empty()) {
        aryOut.clear();
        return;
    }
    const auto taille = static_cast<std::int64_t>(SpanSize);
    const auto u = static_cast<std::int64_t>(aryIn.size()) - 1;
    std::int64_t pleines = u + 1;
    std::int64_t reste = 0;
    const std::int64_t dernier = static_cast<std::int64_t>(aryIn.back().size()) -
                                 static_cast<std::int64_t>(SpanSeparator.size());
    if (dernier < taille) {
        pleines = u;
        reste = dernier;
    }
    const std::int64_t total = pleines * taille + reste;
    if (total < 0) {
        throw Erreur(ErrIndice);
    }
    aryOut.assign(static_cast<std::size_t>(total), 0);

    const auto copier = [&](const std::string& ligne, std::size_t debut, std::size_t voulus) {
        std::size_t gardes = ligne.size();
        if (!SpanSeparator.empty()) {
            gardes = ligne.find(SpanSeparator);
            if (gardes == std::string::npos) {
                throw Erreur(ErrArgument);
            }
        }
        const std::size_t place = aryOut.size() > debut ? aryOut.size() - debut : 0;
        const std::size_t copies = std::min({gardes, voulus, place});
        if (copies > 0) {
            std::memcpy(aryOut.data() + debut, ligne.data(), copies);
        }
        if (copies < voulus) {
            throw Erreur(ErrIndice);
        }
    };
    for (std::int64_t k = 0; k < pleines; ++k) {
        copier(aryIn[static_cast<std::size_t>(k)], static_cast<std::size_t>(k * taille),
               static_cast<std::size_t>(taille));
    }
    if (reste >= 1) {
        copier(aryIn[static_cast<std::size_t>(pleines)], static_cast<std::size_t>(pleines * taille),
               static_cast<std::size_t>(reste));
    }
}

} // namespace monvalor
