#include "dialogs/clsB64.h"
#include "support/Erreur.h"

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

clsB64 Pret() {
    clsB64 b;
    b.Init();
    b.Init(); // a second run must change nothing
    return b;
}

// n bytes going through every value.
Octets Suite(std::size_t n) {
    Octets o(n);
    for (std::size_t i = 0; i < n; ++i) {
        o[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    return o;
}

// The outputs start with a byte of their own: the call must size them.
Octets Encode(const clsB64& b, const Octets& clair) {
    Octets sortie{'#'};
    b.Encode(clair, sortie);
    return sortie;
}
Octets Decode(const clsB64& b, std::string_view code) {
    Octets sortie{'#'};
    b.Decode(O(code), sortie);
    return sortie;
}

struct V {
    std::string clair, code;
};

} // namespace

TEST(ClsB64, EncodesAndDecodesKnownVectors) {
    const clsB64 b = Pret();
    // RFC 4648 section 10, texts whose encodings use "+" and "/", a NUL.
    for (const V& v :
         {V{"", ""}, V{"f", "Zg=="}, V{"fo", "Zm8="}, V{"foo", "Zm9v"}, V{"foob", "Zm9vYg=="},
          V{"fooba", "Zm9vYmE="}, V{"foobar", "Zm9vYmFy"}, V{"\xFB\xFF", "+/8="},
          V{"\xFF\xFF\xFF", "////"}, V{"\xFB\xEF\xBE", "++++"}, V{"\0"s, "AA=="}}) {
        EXPECT_EQ(S(Encode(b, O(v.clair))), v.code) << v.clair;
        EXPECT_EQ(S(Decode(b, v.code)), v.clair) << v.code;
    }
    // Every byte value.
    for (const std::size_t n : {254u, 255u, 256u}) {
        const Octets code = Encode(b, Suite(n));
        EXPECT_EQ(code.size(), (n + 2) / 3 * 4);
        EXPECT_EQ(Decode(b, S(code)), Suite(n)) << n;
    }
}

TEST(ClsB64, ForeignCharactersDecodeLikeAAndPaddingIsOnlyAtTheEnd) {
    const clsB64 b = Pret();
    // "=" before the last two positions is one more foreign character; "=" second to last but
    // not last is no padding at all.
    for (const std::string_view code :
         {"QUJAAEVG"sv, "QUJ AEVG"sv, "QUJA\nEVG"sv, "QUJ=AEVG"sv, "QUJA=EVG"sv, "QUJ*AEVG"sv,
          "QUJA\0EVG"sv, "QUJ\200AEVG"sv, "QUJA\351EVG"sv, "QUJ\377AEVG"sv}) {
        EXPECT_EQ(S(Decode(b, code)), "AB@\0EF"s) << code;
    }
    EXPECT_EQ(S(Decode(b, "Q=JDRA==")), "@\002CD");
    EXPECT_EQ(S(Decode(b, "QUJDRA=A")), "ABCD\0\0"s);
}

TEST(ClsB64, IncompleteGroupsFailAfterTheOutputIsSized) {
    const clsB64 b = Pret();
    struct Cas {
        const char* code;
        std::size_t taille; // size the output has reached when the error comes
        const char* debut;  // whole groups decoded before it
    };
    for (const Cas& c : {Cas{"QU", 0, ""}, Cas{"QUJDREV", 3, "ABC"}, Cas{"==", 1, ""},
                         Cas{"Q=", 2, ""}, Cas{"QUJDR=", 2, ""}, Cas{"QUJDRUZH=", 5, "ABC"},
                         Cas{"QUJDREVGRUhJS==", 7, "ABCDEF"}, Cas{"=", 5, "#####"},
                         // A line break is not skipped: lines must be joined first.
                         Cas{"QUJD\r\nREVG", 6, "ABC"}}) {
        Octets sortie(5, '#');
        EXPECT_EQ(ErreurLevee([&] { b.Decode(O(c.code), sortie); }), ErrIndice) << c.code;
        ASSERT_EQ(sortie.size(), c.taille) << c.code;
        EXPECT_EQ(S(sortie).substr(0, std::string(c.debut).size()), c.debut) << c.code;
    }
}

TEST(ClsB64, WithoutInitTheTablesAreZeroAndTextsAreCopied) {
    const clsB64 brut;
    EXPECT_EQ(Encode(brut, O("ABCD")), (Octets{0, 0, 0, 0, 0, 0, '=', '='}));
    EXPECT_EQ(Encode(brut, O("ABCDE")), (Octets{0, 0, 0, 0, 0, 0, 0, '='}));
    EXPECT_EQ(Decode(brut, "QUJDRA=="), Octets(4, 0));
    Octets octets{9};
    std::string texte = "old";
    brut.StrToAry(S(Suite(256)), octets);
    brut.AryToStr(octets, texte);
    EXPECT_EQ(texte, S(Suite(256)));
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
        // Each line is the next SpanSize characters followed by the separator.
        {{"abc\r\n", "def\r\n", "g\r\n"}, 3, "\r\n", 0, "abcdefg", true},
        {{"abcd", "efgh"}, 4, "", 0, "abcdefgh", true},
        {{}, 3, "|", 0, "", true},
        // 0 means 76, and is stored back.
        {{l76 + "\n", "yz\n"}, 0, "\n", 0, l76 + "yz", true},
        // A last line as long as a full one is a full line; one holding only the separator
        // adds nothing.
        {{"abc|", "def|"}, 3, "|", 0, "abcdef", true},
        {{"abc|", "|"}, 3, "|", 0, "abc", false},
        // Full lines give their first SpanSize characters; anything after is dropped.
        {{"abcXY|", "def|zz|", "gh|"}, 3, "|", 0, "abcdefgh", false},
        // With no separator the whole line counts.
        {{"abcd", "efg", "h"}, 3, "", 0, "abcefgh", false},
        // A line without the separator.
        {{"abc", "def|"}, 3, "|", ErrArgument, "??????", false},
        {{"abc|", "de"}, 3, "|", ErrArgument, "????", false},
        // A full line too short before its separator, or with a separator inside.
        {{"ab|", "cde|", "f|"}, 3, "|", ErrIndice, "???????", false},
        {{"abc", "d", "efg"}, 3, "", ErrIndice, "?????????", false},
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
        if (c.span) {
            Lignes lignes(8, "old");
            taille = c.taille;
            b.Span(O(c.octets), lignes, taille, c.separateur);
            EXPECT_EQ(lignes, c.lignes);
            EXPECT_EQ(taille, stockee);
        }
    }
    Lignes lignes{"x"};
    std::int16_t negatif = -76;
    EXPECT_EQ(ErreurLevee([&] { b.Span(O("abc"), lignes, negatif, "\r\n"); }), ErrIndice);
    EXPECT_EQ(lignes, Lignes{"x"});
    EXPECT_EQ(negatif, -76);
}

TEST(ClsB64Fichiers, SaveThenLoadGivesTheSameBytesOrTheirErrors) {
    const DossierTemporaire dossier;
    const std::string rep = dossier.Chemin().string(), chemin = dossier.Fichier("f.bin");
    const clsB64 b;
    // Load reads in blocks of 1024; each Save replaces a longer file.
    for (const std::size_t n : {3000u, 1025u, 1024u, 0u}) {
        b.Save(Suite(n), chemin);
        EXPECT_EQ(O(monvalor::test::LireFichier(chemin)), Suite(n));
        Octets lu{'#'};
        b.Load(chemin, lu);
        EXPECT_EQ(lu, Suite(n));
    }
    // Paths are Windows-1252; on disk the name is Unicode.
    b.Save(O("contenu"), dossier.Fichier("caf\xE9.bin"));
    EXPECT_TRUE(std::filesystem::exists(dossier.Chemin() / std::u8string(u8"café.bin")));
    Octets lu;
    b.Load(dossier.Fichier("caf\xE9.bin"), lu);
    EXPECT_EQ(S(lu), "contenu");

    EXPECT_EQ(ErreurLevee([&] { b.Load(dossier.Fichier("absent.bin"), lu); }),
              ErrFichierIntrouvable);
    EXPECT_EQ(ErreurLevee([&] { b.Load(dossier.Fichier("absent/x.bin"), lu); }),
              ErrFichierIntrouvable);
    EXPECT_EQ(ErreurLevee([&] { b.Load(rep, lu); }), ErrAccesChemin);
    EXPECT_EQ(S(lu), "contenu");
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), dossier.Fichier("absent/x.bin")); }),
              ErrAccesChemin);
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), rep); }), ErrAccesChemin);
}
