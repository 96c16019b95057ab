#include "dialogs/clsB64.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;
using Octets = clsB64::Octets;
using Lignes = clsB64::Lignes;

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

struct Vecteur {
    std::string_view clair;
    std::string_view code;
};

// RFC 4648 section 10, plus texts whose encodings use "+" and "/".
const Vecteur kVecteurs[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {"Many hands make light work.", "TWFueSBoYW5kcyBtYWtlIGxpZ2h0IHdvcmsu"},
    {"\xFB\xFF", "+/8="},
    {"\xFF\xFF\xFF", "////"},
    {"\xFB\xEF\xBE", "++++"},
    {std::string_view("\0", 1), "AA=="},
};

} // namespace

TEST(ClsB64, EncodesAndDecodesKnownVectors) {
    const clsB64 b = Pret();
    for (const Vecteur& v : kVecteurs) {
        const std::string clair(v.clair);
        Octets code{'?'};
        b.Encode(O(clair), code);
        EXPECT_EQ(S(code), v.code) << clair;
        Octets retour{'?'};
        b.Decode(O(v.code), retour);
        EXPECT_EQ(S(retour), clair) << v.code;
    }
}

TEST(ClsB64, EncodedLengthAndPaddingFollowTheRemainder) {
    const clsB64 b = Pret();
    std::mt19937 gen(7);
    for (std::size_t n = 1; n <= 40; ++n) {
        Octets code;
        b.Encode(Hasard(gen, n), code);
        ASSERT_EQ(code.size(), 4 * ((n + 2) / 3)) << n;
        const std::size_t pads = (3 - n % 3) % 3;
        const std::string texte = S(code);
        EXPECT_EQ(texte.find('='), pads == 0 ? std::string::npos : texte.size() - pads) << n;
        for (std::size_t i = 0; i < texte.size() - pads; ++i) {
            const char c = texte[i];
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/')
                << texte;
        }
    }
}

TEST(ClsB64, RoundTripsEveryLengthAndByte) {
    const clsB64 b = Pret();
    std::mt19937 gen(42);
    Octets tous(256);
    for (int i = 0; i < 256; ++i) {
        tous[i] = static_cast<std::uint8_t>(i);
    }
    std::vector<Octets> entrees{tous};
    for (std::size_t n = 1; n <= 200; ++n) {
        entrees.push_back(Hasard(gen, n));
    }
    entrees.push_back(Hasard(gen, 100000));
    for (const Octets& entree : entrees) {
        Octets code;
        Octets retour;
        b.Encode(entree, code);
        b.Decode(code, retour);
        ASSERT_EQ(retour, entree) << entree.size();
    }
}

TEST(ClsB64, LongInputsEncodeAsTheirSlices) {
    // Long inputs take a faster road; it must write what the short one writes.
    std::mt19937 gen(9);
    const Octets clair = Hasard(gen, 3 * 40000 + 2);
    for (const bool init : {true, false}) {
        clsB64 b;
        if (init) {
            b.Init();
        }
        Octets entier;
        b.Encode(clair, entier);
        Octets parTranches;
        for (std::size_t debut = 0; debut < clair.size(); debut += 300) {
            const Octets tranche(
                clair.begin() + static_cast<std::ptrdiff_t>(debut),
                clair.begin() + static_cast<std::ptrdiff_t>(std::min(debut + 300, clair.size())));
            Octets code;
            b.Encode(tranche, code);
            parTranches.insert(parTranches.end(), code.begin(), code.end());
        }
        EXPECT_EQ(entier, parTranches) << init;
    }
}

TEST(ClsB64, DecodedLengthFollowsThePadding) {
    const clsB64 b = Pret();
    struct Cas {
        const char* code;
        const char* clair;
    };
    for (const Cas& c :
         {Cas{"QQ==", "A"}, Cas{"QUI=", "AB"}, Cas{"QUJD", "ABC"}, Cas{"QUJDRA==", "ABCD"},
          Cas{"QUJDREU=", "ABCDE"}, Cas{"QUJDREVG", "ABCDEF"}}) {
        Octets sortie;
        b.Decode(O(c.code), sortie);
        EXPECT_EQ(S(sortie), c.clair) << c.code;
    }
}

TEST(ClsB64, ForeignCharactersDecodeLikeA) {
    const clsB64 b = Pret();
    Octets attendu;
    b.Decode(O("QUJDREVG"), attendu);
    Octets avecA;
    b.Decode(O("QUJDAEVG"), avecA);
    // A character outside the alphabet stands in its group and counts as value 0.
    for (const char etranger :
         {' ', '\n', '\r', '\t', '=', '*', '-', '_', '.', '\0', '\x80', '\xE9', '\xFF'}) {
        std::string code = "QUJDAEVG";
        code[4] = etranger;
        Octets sortie;
        b.Decode(O(code), sortie);
        EXPECT_EQ(sortie, avecA) << static_cast<int>(etranger);
        EXPECT_NE(sortie, attendu);
    }
    // A line break is not skipped: lines must be joined before decoding.
    EXPECT_EQ(ErreurLevee([&] {
                  Octets sortie;
                  b.Decode(O("QUJD\r\nREVG"), sortie);
              }),
              ErrIndice);
}

TEST(ClsB64, PaddingIsLookedForInTheLastTwoCharactersOnly) {
    const clsB64 b = Pret();
    // "=" before the last two positions is an ordinary foreign character.
    Octets sortie;
    b.Decode(O("Q=JDRA=="), sortie);
    Octets avecA;
    b.Decode(O("QAJDRA=="), avecA);
    EXPECT_EQ(sortie, avecA);
    EXPECT_EQ(sortie.size(), 4u);
    // "=" second to last but not last: no padding at all.
    b.Decode(O("QUJDRA=A"), sortie);
    EXPECT_EQ(sortie.size(), 6u);
}

TEST(ClsB64, IncompleteGroupsFailAfterTheOutputIsSized) {
    const clsB64 b = Pret();
    struct Cas {
        const char* code;
        std::size_t taille; // size the output has reached when the error comes
        const char* debut;  // whole groups decoded before it
    };
    for (const Cas& c :
         {Cas{"Q", 0, ""}, Cas{"QU", 0, ""}, Cas{"QUJ", 0, ""}, Cas{"QUJDR", 3, "ABC"},
          Cas{"QUJDREV", 3, "ABC"}, Cas{"==", 1, ""}, Cas{"Q=", 2, ""}, Cas{"QU=", 2, ""},
          Cas{"QUJDR=", 2, ""}, Cas{"QUJDRA=", 2, ""}, Cas{"QUJDRUZH=", 5, "ABC"},
          Cas{"QUJDREVGRUhJS==", 7, "ABCDEF"}}) {
        Octets sortie(50, '#');
        EXPECT_EQ(ErreurLevee([&] { b.Decode(O(c.code), sortie); }), ErrIndice) << c.code;
        ASSERT_EQ(sortie.size(), c.taille) << c.code;
        EXPECT_EQ(S(sortie).substr(0, std::string(c.debut).size()), c.debut) << c.code;
    }
    // A lone "=" fails before the output is touched.
    Octets sortie(5, '#');
    EXPECT_EQ(ErreurLevee([&] { b.Decode(O("="), sortie); }), ErrIndice);
    EXPECT_EQ(S(sortie), "#####");
}

TEST(ClsB64, EmptyInputsGiveEmptyOutputs) {
    const clsB64 b = Pret();
    Octets sortie{1, 2, 3};
    b.Encode({}, sortie);
    EXPECT_TRUE(sortie.empty());
    sortie = {1, 2, 3};
    b.Decode({}, sortie);
    EXPECT_TRUE(sortie.empty());
    Lignes lignes{"x"};
    std::int16_t taille = 0;
    b.Span({}, lignes, taille, "\r\n");
    EXPECT_TRUE(lignes.empty());
    EXPECT_EQ(taille, 76);
    sortie = {1, 2, 3};
    b.Unspan({}, sortie, taille, "\r\n");
    EXPECT_TRUE(sortie.empty());
}

TEST(ClsB64, WithoutInitTheTablesAreZero) {
    const clsB64 brut;
    Octets code;
    brut.Encode(O("ABCD"), code);
    EXPECT_EQ(code, (Octets{0, 0, 0, 0, 0, 0, '=', '='}));
    brut.Encode(O("ABCDE"), code);
    EXPECT_EQ(code, (Octets{0, 0, 0, 0, 0, 0, 0, '='}));
    Octets clair;
    brut.Decode(O("QUJDRA=="), clair);
    EXPECT_EQ(clair, Octets(4, 0));

    // Init may run any number of times.
    clsB64 b;
    b.Init();
    b.Init();
    b.Encode(O("foobar"), code);
    EXPECT_EQ(S(code), "Zm9vYmFy");
}

TEST(ClsB64, StrToAryAndAryToStrCopyEveryByte) {
    const clsB64 b;
    std::string tous;
    for (int i = 0; i < 256; ++i) {
        tous.push_back(static_cast<char>(i));
    }
    Octets octets{9};
    b.StrToAry(tous, octets);
    ASSERT_EQ(octets.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(octets[i], i);
    }
    std::string retour = "old";
    b.AryToStr(octets, retour);
    EXPECT_EQ(retour, tous);
    b.StrToAry("", octets);
    EXPECT_TRUE(octets.empty());
}

TEST(ClsB64, SpanCutsIntoLinesEachFollowedByTheSeparator) {
    const clsB64 b;
    struct Cas {
        std::size_t n;
        std::int16_t taille;
        const char* separateur;
        std::vector<std::size_t> longueurs; // characters before the separator, line by line
        std::int16_t tailleApres;
    };
    const Cas cas[] = {
        {100, 0, "\r\n", {76, 24}, 76},  {152, 76, "\r\n", {76, 76}, 76},
        {153, 76, "|", {76, 76, 1}, 76}, {151, 76, "", {76, 75}, 76},
        {5, 1, "-", {1, 1, 1, 1, 1}, 1}, {7, 3, "ab", {3, 3, 1}, 3},
        {76, 0, "", {76}, 76},
    };
    for (const Cas& c : cas) {
        Octets entree(c.n);
        for (std::size_t i = 0; i < c.n; ++i) {
            entree[i] = static_cast<std::uint8_t>('A' + i % 26);
        }
        Lignes lignes{"old", "old", "old", "old", "old", "old", "old", "old"};
        std::int16_t taille = c.taille;
        b.Span(entree, lignes, taille, c.separateur);
        EXPECT_EQ(taille, c.tailleApres);
        ASSERT_EQ(lignes.size(), c.longueurs.size()) << c.n;
        const std::string sep = c.separateur;
        std::string rejoint;
        for (std::size_t k = 0; k < lignes.size(); ++k) {
            ASSERT_EQ(lignes[k].size(), c.longueurs[k] + sep.size()) << c.n << " " << k;
            EXPECT_EQ(lignes[k].substr(c.longueurs[k]), sep);
            rejoint += lignes[k].substr(0, c.longueurs[k]);
        }
        EXPECT_EQ(rejoint, S(entree));
    }
}

TEST(ClsB64, SpanThenUnspanGivesTheBytesBack) {
    const clsB64 b = Pret();
    std::mt19937 gen(3);
    for (const std::int16_t taille : {0, 1, 3, 4, 64, 76}) {
        const std::size_t pas = taille == 0 ? 76 : static_cast<std::size_t>(taille);
        for (const char* separateur : {"", "\r\n", "|", "\n\n\n"}) {
            for (std::size_t k = 0; k <= 3; ++k) {
                for (const std::size_t n : {k * pas, k * pas + 1, k * pas + pas - 1}) {
                    // Encoded text never holds the separators used here.
                    Octets code;
                    b.Encode(Hasard(gen, n), code);
                    code.resize(n);
                    Lignes lignes;
                    std::int16_t aller = taille;
                    b.Span(code, lignes, aller, separateur);
                    Octets retour{'#'};
                    std::int16_t retourTaille = taille;
                    b.Unspan(lignes, retour, retourTaille, separateur);
                    EXPECT_EQ(retour, code) << taille << " " << separateur << " " << n;
                    EXPECT_EQ(retourTaille, static_cast<std::int16_t>(pas));
                }
            }
        }
    }
}

TEST(ClsB64, SpannedTextDecodesOnceJoined) {
    const clsB64 b = Pret();
    std::mt19937 gen(11);
    const Octets clair = Hasard(gen, 1000);
    Octets code;
    b.Encode(clair, code);
    Lignes lignes;
    std::int16_t taille = 0;
    b.Span(code, lignes, taille, "\r\n");
    Octets joint;
    b.Unspan(lignes, joint, taille, "\r\n");
    Octets retour;
    b.Decode(joint, retour);
    EXPECT_EQ(retour, clair);
}

TEST(ClsB64, UnspanKeepsWhatStandsBeforeTheFirstSeparator) {
    const clsB64 b;
    std::int16_t taille = 3;
    Octets sortie;
    // Full lines give their first SpanSize characters; anything after is dropped.
    b.Unspan({"abcXY|", "def|zz|", "gh|"}, sortie, taille, "|");
    EXPECT_EQ(S(sortie), "abcdefgh");
    // With no separator the whole line counts.
    b.Unspan({"abcd", "efg", "h"}, sortie, taille, "");
    EXPECT_EQ(S(sortie), "abcefgh");
    // A last line as long as a full one is a full line.
    b.Unspan({"abc|", "def|"}, sortie, taille, "|");
    EXPECT_EQ(S(sortie), "abcdef");
    // A last line holding only the separator adds nothing.
    b.Unspan({"abc|", "|"}, sortie, taille, "|");
    EXPECT_EQ(S(sortie), "abc");
}

TEST(ClsB64, UnspanAndSpanErrors) {
    const clsB64 b;
    struct Cas {
        Lignes lignes;
        std::int16_t taille;
        const char* separateur;
        int erreur;
        std::size_t tailleSortie; // size reached by the output when the error comes
    };
    const Cas cas[] = {
        // A line without the separator.
        {{"abc", "def|"}, 3, "|", ErrArgument, 6},
        {{"abc|", "de"}, 3, "|", ErrArgument, 4},
        // A full line too short before its separator.
        {{"ab|", "cde|", "f|"}, 3, "|", ErrIndice, 7},
        {{"abc", "d", "efg"}, 3, "", ErrIndice, 9},
        // A separator met before the end of a line.
        {{"abc|", "d|e|"}, 3, "|", ErrIndice, 6},
        // A last line shorter than the separator leaves no room for the full lines.
        {{"abc\r\n", ""}, 3, "\r\n", ErrIndice, 1},
        {{""}, 3, "\r\n", ErrIndice, 99},
        // A negative size fails before the output is sized.
        {{"abc|"}, -1, "|", ErrIndice, 99},
    };
    for (const Cas& c : cas) {
        Octets sortie(99, '#');
        std::int16_t taille = c.taille;
        EXPECT_EQ(ErreurLevee([&] { b.Unspan(c.lignes, sortie, taille, c.separateur); }), c.erreur)
            << c.lignes.size() << c.separateur;
        EXPECT_EQ(sortie.size(), c.tailleSortie) << c.lignes.size() << c.separateur;
        EXPECT_EQ(taille, c.taille);
    }

    Lignes lignes{"x"};
    std::int16_t negatif = -76;
    EXPECT_EQ(ErreurLevee([&] { b.Span(O("abc"), lignes, negatif, "\r\n"); }), ErrIndice);
    EXPECT_EQ(lignes, Lignes{"x"});
    EXPECT_EQ(negatif, -76);
}

TEST(ClsB64, UnspanPutsTheDefaultSizeBack) {
    const clsB64 b;
    const std::string ligne(76, 'Q');
    std::int16_t taille = 0;
    Octets sortie;
    b.Unspan({ligne + "\r\n", "QQ\r\n"}, sortie, taille, "\r\n");
    EXPECT_EQ(taille, 76);
    EXPECT_EQ(S(sortie), ligne + "QQ");
}

namespace {

class ClsB64Fichiers : public ::testing::Test {
protected:
    void SetUp() override {
        dossier_ = std::filesystem::temp_directory_path() /
                   ("monvalor_b64_" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dossier_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dossier_, ec);
    }
    std::string Chemin(const std::string& nom) const { return (dossier_ / nom).string(); }
    static Octets LireDisque(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Octets(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dossier_;
};

} // namespace

TEST_F(ClsB64Fichiers, SaveThenLoadGivesTheSameBytes) {
    const clsB64 b;
    std::mt19937 gen(5);
    for (const std::size_t n : {0u, 1u, 1023u, 1024u, 1025u, 4096u, 70000u}) {
        const Octets octets = Hasard(gen, n);
        const std::string chemin = Chemin("f" + std::to_string(n) + ".bin");
        b.Save(octets, chemin);
        EXPECT_EQ(LireDisque(chemin), octets);
        Octets lu{'#'};
        b.Load(chemin, lu);
        EXPECT_EQ(lu.size(), n);
        EXPECT_EQ(lu, octets);
    }
}

TEST_F(ClsB64Fichiers, SaveReplacesALongerFile) {
    const clsB64 b;
    const std::string chemin = Chemin("court.bin");
    b.Save(Octets(5000, 'x'), chemin);
    b.Save(O("abc"), chemin);
    EXPECT_EQ(S(LireDisque(chemin)), "abc");
}

TEST_F(ClsB64Fichiers, PathsAreWindows1252) {
    const clsB64 b;
    b.Save(O("contenu"), Chemin("caf\xE9.bin"));
    // On disk the name is Unicode.
    EXPECT_TRUE(std::filesystem::exists(dossier_ / std::u8string(u8"café.bin")));
    Octets lu;
    b.Load(Chemin("caf\xE9.bin"), lu);
    EXPECT_EQ(S(lu), "contenu");
}

TEST_F(ClsB64Fichiers, FileErrors) {
    const clsB64 b;
    Octets lu{'#'};
    EXPECT_EQ(ErreurLevee([&] { b.Load(Chemin("absent.bin"), lu); }), ErrFichierIntrouvable);
    EXPECT_EQ(lu, Octets{'#'});
    EXPECT_EQ(ErreurLevee([&] { b.Load(Chemin("absent/x.bin"), lu); }), ErrFichierIntrouvable);
    EXPECT_EQ(ErreurLevee([&] { b.Load(dossier_.string(), lu); }), ErrAccesChemin);
    EXPECT_EQ(lu, Octets{'#'});
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), Chemin("absent/x.bin")); }), ErrAccesChemin);
    EXPECT_EQ(ErreurLevee([&] { b.Save(O("x"), dossier_.string()); }), ErrAccesChemin);
}
