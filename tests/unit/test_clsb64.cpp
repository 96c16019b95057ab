#include "support/Erreur.h"
#include "support/clsB64.h"

#include "DossierTemporaire.h"
#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::ErreurLevee;
using Octets = clsB64::Octets;
using Lignes = clsB64::Lignes;
using namespace std::literals;

namespace {

const auto O = [](std::string_view s) { return Octets(s.begin(), s.end()); };
const auto S = [](const Octets& o) { return std::string(o.begin(), o.end()); };

// n bytes going through every value.
std::string Suite(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>(i * 7 + i / 256);
    }
    return s;
}

// The outputs start with a byte of their own: the call must size them.
std::string Encode(const clsB64& b, std::string_view clair) {
    Octets sortie{'#'};
    b.Encode(O(clair), sortie);
    return S(sortie);
}
std::string Decode(const clsB64& b, std::string_view code) {
    Octets sortie{'#'};
    b.Decode(O(code), sortie);
    return S(sortie);
}

struct V {
    std::string clair, code;
};

} // namespace

TEST(ClsB64, EncodesAndDecodes) {
    clsB64 b;
    b.Init(), b.Init(); // a second run must change nothing
    // RFC 4648 section 10, texts whose encodings use "+" and "/", a NUL.
    for (const V& v :
         {V{"", ""}, V{"f", "Zg=="}, V{"fo", "Zm8="}, V{"foo", "Zm9v"}, V{"foob", "Zm9vYg=="},
          V{"fooba", "Zm9vYmE="}, V{"foobar", "Zm9vYmFy"}, V{"\xFB\xFF", "+/8="},
          V{"\xFF\xFF\xFF", "////"}, V{"\xFB\xEF\xBE", "++++"}, V{"\0"s, "AA=="}}) {
        EXPECT_EQ(Encode(b, v.clair), v.code) << v.clair;
        EXPECT_EQ(Decode(b, v.code), v.clair) << v.code;
    }
    EXPECT_EQ(Decode(b, Encode(b, Suite(256))), Suite(256)); // every byte value
    // Without Init the tables are zero.
    EXPECT_EQ(Encode(clsB64{}, "ABCD"), "\0\0\0\0\0\0=="s);
    EXPECT_EQ(Decode(clsB64{}, "QUJDRA=="), "\0\0\0\0"s);
    // A foreign character decodes like "A", and so does "=" before the last two positions.
    for (const std::string_view code :
         {"QUJAAEVG"sv, "QUJ AEVG"sv, "QUJA\nEVG"sv, "QUJ=AEVG"sv, "QUJA=EVG"sv, "QUJ*AEVG"sv,
          "QUJA\0EVG"sv, "QUJ\200AEVG"sv, "QUJA\351EVG"sv, "QUJ\377AEVG"sv}) {
        EXPECT_EQ(Decode(b, code), "AB@\0EF"s) << code;
    }
    EXPECT_EQ(Decode(b, "Q=JDRA=="), "@\002CD");
    // "=" second to last but not last: no padding at all.
    EXPECT_EQ(Decode(b, "QUJDRA=A"), "ABCD\0\0"s);
    // Incomplete groups fail with the whole groups decoded in the sized output. A line break is
    // not skipped: lines must be joined first.
    for (const V& v :
         {V{"", "QU"}, V{"ABC", "QUJDREV"}, V{"#", "=="}, V{"##", "Q="}, V{"##", "QUJDR="},
          V{"ABC##", "QUJDRUZH="}, V{"ABCDEF\0"s, "QUJDREVGRUhJS=="}, V{"#####", "="},
          V{"ABC\0\4D"s, "QUJD\r\nREVG"}}) {
        Octets sortie(5, '#');
        EXPECT_EQ(ErreurLevee([&] { b.Decode(O(v.code), sortie); }), ErrIndice) << v.code;
        EXPECT_EQ(S(sortie), v.clair) << v.code;
    }
}

TEST(ClsB64, SpanCutsIntoLinesAndUnspanKeepsWhatStandsBeforeTheFirstSeparator) {
    const clsB64 b;
    struct Cas {
        Lignes lignes;
        std::int16_t taille;
        const char* separateur;
        int erreur;
        std::string octets; // or, after an error, only its size matters
        bool span;          // the lines are what Span makes of the bytes
    };
    const std::string l76(76, 'x');
    const Cas cas[] = {
        // Each line is the next SpanSize characters followed by the separator; 0 means 76.
        {{"abc\r\n", "def\r\n", "g\r\n"}, 3, "\r\n", 0, "abcdefg", true},
        {{}, 3, "|", 0, "", true},
        {{l76 + "\n", "yz\n"}, 0, "\n", 0, l76 + "yz", true},
        // A last line as long as a full one is a full line.
        {{"abc|", "def|"}, 3, "|", 0, "abcdef", true},
        // Full lines give their first SpanSize characters, the whole line without separator.
        {{"abcXY|", "def|zz|", "gh|"}, 3, "|", 0, "abcdefgh", false},
        {{"abcd", "efg", "h"}, 3, "", 0, "abcefgh", false},
        // A line without the separator; a full line too short before it.
        {{"abc", "def|"}, 3, "|", ErrArgument, "??????", false},
        {{"ab|", "cde|", "f|"}, 3, "|", ErrIndice, "???????", false},
        {{"abc|", "d|e|"}, 3, "|", ErrIndice, "??????", false},
        // A last line shorter than the separator leaves no room for the full lines.
        {{"abc\r\n", ""}, 3, "\r\n", ErrIndice, "?", false},
        {{""}, 3, "\r\n", ErrIndice, std::string(99, '?'), false},
        // A negative size fails before the output is sized.
        {{"abc|"}, -1, "|", ErrIndice, std::string(99, '?'), false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(&c - cas);
        const std::int16_t stockee = c.taille == 0 ? 76 : c.taille;
        Octets octets(99, '#');
        std::int16_t taille = c.taille;
        EXPECT_EQ(ErreurLevee([&] { b.Unspan(c.lignes, octets, taille, c.separateur); }), c.erreur);
        EXPECT_EQ(c.erreur == 0 ? S(octets) : std::string(octets.size(), '?'), c.octets);
        EXPECT_EQ(taille, stockee);
        Lignes lignes(8, "old");
        taille = c.taille;
        EXPECT_EQ(ErreurLevee([&] { b.Span(O(c.octets), lignes, taille, c.separateur); }),
                  c.taille < 0 ? ErrIndice : 0);
        EXPECT_EQ(taille, stockee);
        if (c.span) {
            EXPECT_EQ(lignes, c.lignes);
        }
    }
}

TEST(ClsB64Fichiers, TextsAndFilesKeepEveryByte) {
    const DossierTemporaire dossier;
    const std::string rep = dossier.Chemin().string(), chemin = dossier.Fichier("f.bin");
    const clsB64 b;
    Octets lu{9};
    std::string texte = "old";
    b.StrToAry(Suite(256), lu);
    b.AryToStr(lu, texte);
    EXPECT_EQ(texte, Suite(256));
    // Load reads in blocks of 1024; each Save replaces a longer file.
    for (const std::size_t n : {3000u, 1025u, 1024u, 0u}) {
        b.Save(O(Suite(n)), chemin);
        lu.assign(1, '#');
        b.Load(chemin, lu);
        EXPECT_EQ(S(lu), Suite(n));
    }
    // Paths are Windows-1252; on disk the name is Unicode.
    b.Save(O("contenu"), dossier.Fichier("caf\xE9.bin"));
    EXPECT_TRUE(std::filesystem::exists(dossier.Chemin() / std::u8string(u8"café.bin")));
    b.Load(dossier.Fichier("caf\xE9.bin"), lu);
    EXPECT_EQ(S(lu), "contenu");
    // 53 for a file not found, 75 for a path that cannot be used; the output is left alone.
    EXPECT_EQ(ErreurLevee([&] { b.Load(dossier.Fichier("absent.bin"), lu); }), 53);
    EXPECT_EQ(ErreurLevee([&] { b.Load(rep, lu); }), 75);
    EXPECT_EQ(S(lu), "contenu");
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), dossier.Fichier("absent/x.bin")); }), 75);
}
