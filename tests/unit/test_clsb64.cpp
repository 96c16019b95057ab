#include "dialogs/clsB64.h"
#include "support/Erreur.h"

#include "DossierTemporaire.h"
#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::ErreurLevee;
using Octets = clsB64::Octets;
using Lignes = clsB64::Lignes;
using namespace std::literals;

namespace {

Octets O(std::string_view s) {
    return Octets(s.begin(), s.end());
}
std::string S(const Octets& o) {
    return std::string(o.begin(), o.end());
}

clsB64 Pret() {
    clsB64 b;
    b.Init();
    b.Init(); // a second run must change nothing
    return b;
}

Octets Hasard(std::mt19937& gen, std::size_t n) {
    std::uniform_int_distribution<int> octet(0, 255);
    Octets o(n);
    for (auto& x : o) {
        x = static_cast<std::uint8_t>(octet(gen));
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

std::string TousLesOctets() {
    std::string tous;
    for (int i = 0; i < 256; ++i) {
        tous.push_back(static_cast<char>(i));
    }
    return tous;
}

} // namespace

TEST(ClsB64, EncodesAndDecodesKnownVectors) {
    const clsB64 b = Pret();
    // RFC 4648 section 10, plus texts whose encodings use "+" and "/".
    const std::pair<std::string_view, std::string_view> vecteurs[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xFB\xFF", "+/8="},
        {"\xFF\xFF\xFF", "////"},
        {"\xFB\xEF\xBE", "++++"},
        {"\0"sv, "AA=="},
    };
    for (const auto& [clair, code] : vecteurs) {
        EXPECT_EQ(S(Encode(b, O(clair))), code) << clair;
        EXPECT_EQ(S(Decode(b, code)), clair) << code;
    }
}

TEST(ClsB64, RoundTripsEveryLengthAndByteWithTheRightPadding) {
    const clsB64 b = Pret();
    std::mt19937 gen(42);
    std::vector<Octets> entrees{O(TousLesOctets()), Hasard(gen, 100000)};
    for (std::size_t n = 1; n <= 200; ++n) {
        entrees.push_back(Hasard(gen, n));
    }
    for (const Octets& entree : entrees) {
        const std::size_t n = entree.size();
        const std::string code = S(Encode(b, entree));
        ASSERT_EQ(code.size(), 4 * ((n + 2) / 3)) << n;
        const std::size_t pads = (3 - n % 3) % 3;
        const auto etranger = code.find_first_not_of(
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
        EXPECT_EQ(std::min(etranger, code.size()), code.size() - pads) << n;
        EXPECT_EQ(code.substr(code.size() - pads), std::string(pads, '=')) << n;
        ASSERT_EQ(Decode(b, code), entree) << n;
    }
}

TEST(ClsB64, LongInputsEncodeAsTheirSlices) {
    // Long inputs take a faster road; it must write what the short one writes, tables or not.
    std::mt19937 gen(9);
    const Octets clair = Hasard(gen, 3 * 40000 + 2);
    for (const clsB64& b : {Pret(), clsB64{}}) {
        const Octets entier = Encode(b, clair);
        Octets parTranches;
        for (std::size_t debut = 0; debut < clair.size(); debut += 300) {
            const auto fin = clair.begin() + std::min(debut + 300, clair.size());
            const Octets code = Encode(b, Octets(clair.begin() + debut, fin));
            parTranches.insert(parTranches.end(), code.begin(), code.end());
        }
        EXPECT_EQ(entier, parTranches);
    }
}

TEST(ClsB64, ForeignCharactersDecodeLikeAAndPaddingIsOnlyAtTheEnd) {
    const clsB64 b = Pret();
    const Octets avecA = Decode(b, "QUJAAEVG");
    EXPECT_NE(avecA, Decode(b, "QUJDREVG"));
    // "=" before the last two positions is one more foreign character.
    for (const char etranger : {' ', '\n', '=', '*', '\0', '\x80', '\xE9', '\xFF'}) {
        for (const std::size_t position : {3, 4}) {
            std::string code = "QUJAAEVG";
            code[position] = etranger;
            EXPECT_EQ(Decode(b, code), avecA) << static_cast<int>(etranger) << " " << position;
        }
    }
    EXPECT_EQ(Decode(b, "Q=JDRA=="), Decode(b, "QAJDRA=="));
    // "=" second to last but not last: no padding at all.
    EXPECT_EQ(Decode(b, "QUJDRA=A").size(), 6u);
    // A line break is not skipped: lines must be joined before decoding.
    EXPECT_EQ(ErreurLevee([&] { Decode(b, "QUJD\r\nREVG"); }), ErrIndice);
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
                         Cas{"QUJDREVGRUhJS==", 7, "ABCDEF"}, Cas{"=", 5, "#####"}}) {
        Octets sortie(5, '#');
        EXPECT_EQ(ErreurLevee([&] { b.Decode(O(c.code), sortie); }), ErrIndice) << c.code;
        ASSERT_EQ(sortie.size(), c.taille) << c.code;
        EXPECT_EQ(S(sortie).substr(0, std::string(c.debut).size()), c.debut) << c.code;
    }
}

TEST(ClsB64, WithoutInitTheTablesAreZero) {
    const clsB64 brut;
    EXPECT_EQ(Encode(brut, O("ABCD")), (Octets{0, 0, 0, 0, 0, 0, '=', '='}));
    EXPECT_EQ(Encode(brut, O("ABCDE")), (Octets{0, 0, 0, 0, 0, 0, 0, '='}));
    EXPECT_EQ(Decode(brut, "QUJDRA=="), Octets(4, 0));
}

TEST(ClsB64, StrToAryAndAryToStrCopyEveryByte) {
    const clsB64 b;
    Octets octets{9};
    b.StrToAry(TousLesOctets(), octets);
    EXPECT_EQ(octets, O(TousLesOctets()));
    std::string retour = "old";
    b.AryToStr(octets, retour);
    EXPECT_EQ(retour, TousLesOctets());
    b.StrToAry("", octets);
    EXPECT_TRUE(octets.empty());
}

TEST(ClsB64, SpanCutsIntoLinesThatUnspanJoinsBack) {
    const clsB64 b = Pret();
    std::mt19937 gen(3);
    for (const std::int16_t taille : {0, 1, 3, 4, 64, 76}) {
        const std::size_t pas = taille == 0 ? 76 : static_cast<std::size_t>(taille);
        for (const char* separateur : {"", "\r\n", "|", "\n\n\n"}) {
            for (std::size_t k = 0; k <= 3; ++k) {
                for (const std::size_t n : {k * pas, k * pas + 1, k * pas + pas - 1}) {
                    SCOPED_TRACE(testing::Message() << taille << " " << separateur << " " << n);
                    // Encoded text never holds the separators used here.
                    Octets code = Encode(b, Hasard(gen, n));
                    code.resize(n);
                    Lignes lignes(8, "old");
                    std::int16_t aller = taille;
                    b.Span(code, lignes, aller, separateur);
                    EXPECT_EQ(aller, static_cast<std::int16_t>(pas));
                    // Each line is the next `pas` characters followed by the separator.
                    Lignes attendu;
                    for (std::size_t debut = 0; debut < n; debut += pas) {
                        attendu.push_back(S(code).substr(debut, pas) + separateur);
                    }
                    EXPECT_EQ(lignes, attendu);
                    Octets retour{'#'};
                    std::int16_t retourTaille = taille;
                    b.Unspan(lignes, retour, retourTaille, separateur);
                    EXPECT_EQ(retour, code);
                    EXPECT_EQ(retourTaille, static_cast<std::int16_t>(pas));
                }
            }
        }
    }
}

TEST(ClsB64, UnspanKeepsWhatStandsBeforeTheFirstSeparatorOrFails) {
    const clsB64 b;
    struct Cas {
        Lignes lignes;
        std::int16_t taille;
        const char* separateur;
        int erreur;
        std::string sortie; // or, after an error, only its size matters
    };
    const Cas cas[] = {
        // Full lines give their first SpanSize characters; anything after is dropped.
        {{"abcXY|", "def|zz|", "gh|"}, 3, "|", 0, "abcdefgh"},
        // With no separator the whole line counts.
        {{"abcd", "efg", "h"}, 3, "", 0, "abcefgh"},
        // A last line as long as a full one is a full line; one holding only the separator
        // adds nothing.
        {{"abc|", "def|"}, 3, "|", 0, "abcdef"},
        {{"abc|", "|"}, 3, "|", 0, "abc"},
        // A line without the separator.
        {{"abc", "def|"}, 3, "|", ErrArgument, std::string(6, '?')},
        {{"abc|", "de"}, 3, "|", ErrArgument, std::string(4, '?')},
        // A full line too short before its separator, or with a separator inside.
        {{"ab|", "cde|", "f|"}, 3, "|", ErrIndice, std::string(7, '?')},
        {{"abc", "d", "efg"}, 3, "", ErrIndice, std::string(9, '?')},
        {{"abc|", "d|e|"}, 3, "|", ErrIndice, std::string(6, '?')},
        // A last line shorter than the separator leaves no room for the full lines.
        {{"abc\r\n", ""}, 3, "\r\n", ErrIndice, std::string(1, '?')},
        {{""}, 3, "\r\n", ErrIndice, std::string(99, '?')},
        // A negative size fails before the output is sized.
        {{"abc|"}, -1, "|", ErrIndice, std::string(99, '?')},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(&c - cas);
        Octets sortie(99, '#');
        std::int16_t taille = c.taille;
        EXPECT_EQ(ErreurLevee([&] { b.Unspan(c.lignes, sortie, taille, c.separateur); }), c.erreur);
        if (c.erreur == 0) {
            EXPECT_EQ(S(sortie), c.sortie);
        } else {
            EXPECT_EQ(sortie.size(), c.sortie.size());
        }
        EXPECT_EQ(taille, c.taille);
    }

    Lignes lignes{"x"};
    std::int16_t negatif = -76;
    EXPECT_EQ(ErreurLevee([&] { b.Span(O("abc"), lignes, negatif, "\r\n"); }), ErrIndice);
    EXPECT_EQ(lignes, Lignes{"x"});
    EXPECT_EQ(negatif, -76);
}

TEST(ClsB64Fichiers, SaveThenLoadGivesTheSameBytes) {
    const DossierTemporaire dossier;
    const clsB64 b;
    std::mt19937 gen(5);
    const std::string chemin = dossier.Fichier("f.bin");
    // Load reads in blocks of 1024; each Save replaces a longer file.
    for (const std::size_t n : {70000u, 1025u, 1024u, 1u, 0u}) {
        const Octets octets = Hasard(gen, n);
        b.Save(octets, chemin);
        EXPECT_EQ(O(monvalor::test::LireFichier(chemin)), octets);
        Octets lu{'#'};
        b.Load(chemin, lu);
        EXPECT_EQ(lu, octets);
    }
    // Paths are Windows-1252; on disk the name is Unicode.
    b.Save(O("contenu"), dossier.Fichier("caf\xE9.bin"));
    EXPECT_TRUE(std::filesystem::exists(dossier.Chemin() / std::u8string(u8"café.bin")));
    Octets lu;
    b.Load(dossier.Fichier("caf\xE9.bin"), lu);
    EXPECT_EQ(S(lu), "contenu");
}

TEST(ClsB64Fichiers, FileErrors) {
    const DossierTemporaire dossier;
    const std::string rep = dossier.Chemin().string();
    const clsB64 b;
    Octets lu{'#'};
    EXPECT_EQ(ErreurLevee([&] { b.Load(dossier.Fichier("absent.bin"), lu); }),
              ErrFichierIntrouvable);
    EXPECT_EQ(ErreurLevee([&] { b.Load(dossier.Fichier("absent/x.bin"), lu); }),
              ErrFichierIntrouvable);
    EXPECT_EQ(ErreurLevee([&] { b.Load(rep, lu); }), ErrAccesChemin);
    EXPECT_EQ(lu, Octets{'#'});
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), dossier.Fichier("absent/x.bin")); }),
              ErrAccesChemin);
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), rep); }), ErrAccesChemin);
}
