#include "support/Chaines.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;

namespace {

std::string Hasard(std::mt19937& gen, std::size_t n, int min = 0, int max = 255) {
    std::uniform_int_distribution<int> octet(min, max);
    std::string s(n, '\0');
    for (char& c : s) {
        c = static_cast<char>(octet(gen));
    }
    return s;
}

std::vector<std::string> Morceaux(const TableauChaines& t) {
    return {t.begin(), t.end()};
}

} // namespace

TEST(Chaines, MinusculeAnsiFoldsTheCapitalsOfTheCodePage) {
    struct Cas {
        unsigned char majuscule;
        unsigned char minuscule;
    };
    const Cas cas[] = {
        {'A', 'a'},   {'Z', 'z'},   {0xC0, 0xE0}, {0xC7, 0xE7}, {0xC9, 0xE9}, {0xD6, 0xF6},
        {0xD8, 0xF8}, {0xDE, 0xFE}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(MinusculeAnsi(c.majuscule), c.minuscule) << int{c.majuscule};
        EXPECT_EQ(MinusculeAnsi(c.minuscule), c.minuscule) << int{c.minuscule};
    }
    // Neither letters with a capital nor the signs between the letter ranges move.
    const unsigned char fixes[] = {'@', '[', '`', '{', '1', 0xD7, 0xDF, 0xF7, 0x80, 0xB5};
    for (const unsigned char fixe : fixes) {
        EXPECT_EQ(MinusculeAnsi(fixe), fixe) << int{fixe};
    }
    int changes = 0;
    for (int c = 0; c < 256; ++c) {
        const unsigned char m = MinusculeAnsi(static_cast<unsigned char>(c));
        changes += m != c;
        EXPECT_EQ(MinusculeAnsi(m), m) << c;
    }
    EXPECT_EQ(changes, 26 + 30 + 4);
}

TEST(Chaines, Remplacer) {
    struct Cas {
        std::string texte;
        std::string recherche;
        std::string remplacement;
        bool exacte;
        std::string attendu;
    };
    const Cas cas[] = {
        {"1.234,5", ".", ",", true, "1,234,5"},
        {"Banana", "a", "o", false, "Bonono"},
        {"Banana", "a", "o", true, "Bonono"},
        {"Banana", "A", "o", true, "Banana"},
        {"Banana", "A", "o", false, "Bonono"},
        {"BANANA", "an", "_", false, "B__A"},
        {"aba", "a", "aa", true, "aabaa"},
        {"aaa", "aa", "b", true, "ba"},
        {"a-b--c", "-", "", true, "abc"},
        {"cl\xE9=val", "=", "@", true, "cl\xE9@val"},
        {"\xC9T\xC9 \xE9t\xE9", "\xE9t\xE9", "x", false, "x x"},
        {"\xC9T\xC9 \xE9t\xE9", "\xE9t\xE9", "x", true, "\xC9T\xC9 x"},
        {"\x8C"
         "uvre \x9C"
         "uvre",
         "\x9C", "oe", false, "oeuvre oeuvre"},
        {"abc", "abcd", "x", true, "abc"},
        {"", "a", "b", false, ""},
        {"abc", "", "x", true, "abc"},
        {std::string("a\0b", 3), std::string(1, '\0'), "-", true, "a-b"},
    };
    for (const Cas& c : cas) {
        std::string texte = c.texte;
        Remplacer(texte, c.recherche, c.remplacement, c.exacte);
        EXPECT_EQ(texte, c.attendu) << c.texte << " / " << c.recherche;
    }
}

TEST(Chaines, Extraire) {
    const std::string texte = "abcdefghijklmnop";
    struct Cas {
        std::int32_t premier;
        std::int32_t dernier;
        std::string attendu;
    };
    const Cas cas[] = {
        {8, 14, "hijklmn"},
        {5, 4, ""},
        {1, 1, "a"},
        {1, 16, texte},
        {1, INT32_MAX, texte},
        {16, 20, "p"},
        {17, 20, ""},
        {100, 99, ""},
        {INT32_MAX, INT32_MAX, ""},
        {INT32_MAX, INT32_MAX - 1, ""},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(Extraire(texte, c.premier, c.dernier), c.attendu)
            << c.premier << " " << c.dernier;
    }
    EXPECT_EQ(Extraire("", 1, 0), "");
    EXPECT_EQ(Extraire("", 1, 5), "");

    for (const auto& [premier, dernier] : std::vector<std::pair<std::int32_t, std::int32_t>>{
             {0, 3}, {-1, 3}, {INT32_MIN, INT32_MAX}, {5, 3}, {100, 1}, {INT32_MAX, INT32_MIN}}) {
        EXPECT_EQ(ErreurLevee([&] { Extraire(texte, premier, dernier); }), ErrArgument)
            << premier << " " << dernier;
    }
}

TEST(Chaines, Scinder) {
    struct Cas {
        std::string texte;
        std::string separateur;
        std::vector<std::string> morceaux;
    };
    const Cas cas[] = {
        {"a\tb", "", {"a", "b"}},
        {"x", ",", {"x"}},
        {"a,,b", ",", {"a", "", "b"}},
        {"a,", ",", {"a", ""}},
        {",", ",", {"", ""}},
        {",a", ",", {"", "a"}},
        {"l1\r\nl2\r\n", "\r\n", {"l1", "l2", ""}},
        {"a\rb\nc\r\nd", "\r\n", {"a\rb\nc", "d"}},
        {"aaa", "aa", {"", "a"}},
        {"a,b", "", {"a,b"}},
        {"un--deux---trois", "--", {"un", "deux", "-trois"}},
        {std::string("a\0b", 3), std::string(1, '\0'), {"a", "b"}},
    };
    for (const Cas& c : cas) {
        const TableauChaines t = Scinder(c.texte, c.separateur);
        EXPECT_EQ(t.LBound(), 1) << c.texte;
        ASSERT_EQ(t.UBound(), static_cast<int>(c.morceaux.size())) << c.texte;
        for (int i = 1; i <= t.UBound(); ++i) {
            EXPECT_EQ(t[i], c.morceaux[i - 1]) << c.texte << " " << i;
        }
        EXPECT_EQ(Morceaux(t), c.morceaux);
    }
}

TEST(Chaines, ScinderOfAnEmptyTextHasNoPieces) {
    for (const char* separateur : {"", ",", "\r\n"}) {
        const TableauChaines t = Scinder("", separateur);
        EXPECT_EQ(t.LBound(), 0);
        EXPECT_EQ(t.UBound(), 0);
        EXPECT_EQ(t[0], "");
        EXPECT_EQ(t.begin(), t.end());
        int visites = 0;
        for (int i = 1; i <= t.UBound(); ++i) {
            ++visites;
        }
        EXPECT_EQ(visites, 0);
    }
}

TEST(Chaines, TableauChainesBoundsAndWrites) {
    TableauChaines t;
    EXPECT_EQ(t.UBound(), 0);
    EXPECT_EQ(ErreurLevee([&] { (void)t[1]; }), ErrIndice);

    // The in-place form replaces whatever the array held.
    Scinder(t, "a;b;c", ";");
    for (const int hors : {0, -1, 4, INT_MAX, INT_MIN}) {
        EXPECT_EQ(ErreurLevee([&] { (void)t[hors]; }), ErrIndice) << hors;
        EXPECT_EQ(ErreurLevee([&] { (void)std::as_const(t)[hors]; }), ErrIndice) << hors;
    }
    t[2] = "B";
    EXPECT_EQ(Morceaux(t), (std::vector<std::string>{"a", "B", "c"}));
    for (std::string& morceau : t) {
        morceau += "!";
    }
    EXPECT_EQ(t[3], "c!");

    Scinder(t, "", ";");
    EXPECT_EQ(t.LBound(), 0);
    EXPECT_EQ(t.UBound(), 0);
    EXPECT_EQ(ErreurLevee([&] { (void)t[1]; }), ErrIndice);
    t[0] = "libre";
    EXPECT_EQ(t[0], "libre");
}

TEST(Chaines, ScinderPiecesJoinBackToTheText) {
    std::mt19937 gen(17);
    for (int essai = 0; essai < 500; ++essai) {
        // A small alphabet makes separators frequent, overlapping ones included.
        const std::string texte = Hasard(gen, gen() % 40, 'a', 'c');
        std::string separateur = Hasard(gen, gen() % 3, 'a', 'c');
        const TableauChaines t = Scinder(texte, separateur);
        if (separateur.empty()) {
            separateur = "\t";
        }
        std::string rejoint;
        for (int i = 1; i <= t.UBound(); ++i) {
            if (i > 1) {
                rejoint += separateur;
            }
            rejoint += t[i];
            EXPECT_EQ(t[i].find(separateur), std::string::npos);
        }
        EXPECT_EQ(rejoint, texte) << texte << " / " << separateur;
        // The number of pieces matches the occurrences that Remplacer finds.
        std::string compte = texte;
        Remplacer(compte, separateur, "\x01", true);
        const auto occurrences = std::count(compte.begin(), compte.end(), '\x01');
        EXPECT_EQ(t.UBound(), texte.empty() ? 0 : static_cast<int>(occurrences) + 1);
    }
}

TEST(Chaines, Inverser) {
    EXPECT_EQ(Inverser(""), "");
    EXPECT_EQ(Inverser("a"), "a");
    EXPECT_EQ(Inverser("abc"), "cba");
    EXPECT_EQ(Inverser("C:\\dossier\\fichier.txt"), "txt.reihcif\\reissod\\:C");
    EXPECT_EQ(Inverser(std::string("\xE9\0x", 3)), std::string("x\0\xE9", 3));
}

TEST(Chaines, BrouillerMasksWithNeighbouringKeyCharacters) {
    // Key "ABD": positions 1, 3, 4 use "A" xor "B" (3), positions 2, 5 use "B" xor "D" (6).
    EXPECT_EQ(Brouiller(std::string(6, '\0'), "ABD"), std::string("\x03\x06\x03\x03\x06\x03"));
    EXPECT_EQ(Brouiller("abcd", "AB"), "ba`g");
    // Any code may come out, NUL included.
    EXPECT_EQ(Brouiller("\x03", "AB"), std::string(1, '\0'));
    EXPECT_EQ(Brouiller("", "AB"), "");
    // Two equal neighbours give a zero mask.
    EXPECT_EQ(Brouiller("texte", "zz"), "texte");
}

TEST(Chaines, BrouillerTwiceGivesTheTextBack) {
    std::mt19937 gen(2024);
    for (int essai = 0; essai < 300; ++essai) {
        const std::string texte = Hasard(gen, gen() % 300);
        const std::string cle = Hasard(gen, 2 + gen() % 40);
        const std::string brouille = Brouiller(texte, cle);
        ASSERT_EQ(brouille.size(), texte.size());
        EXPECT_EQ(Brouiller(brouille, cle), texte);
    }
    const std::string longTexte(32767, 'x');
    EXPECT_EQ(Brouiller(Brouiller(longTexte, "cl\xE9"), "cl\xE9"), longTexte);
}

TEST(Chaines, BrouillerErrors) {
    struct Cas {
        std::string texte;
        std::string cle;
        int erreur;
    };
    const Cas cas[] = {
        {"abc", "", ErrDivision},
        {"abc", "k", ErrArgument},
        {std::string(32768, 'x'), "cle", ErrDepassement},
        {std::string(32768, 'x'), "", ErrDepassement},
        {"abc", std::string(32768, 'k'), ErrDepassement},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(ErreurLevee([&] { Brouiller(c.texte, c.cle); }), c.erreur)
            << c.texte.size() << " " << c.cle.size();
    }
    // An empty text never reaches the key.
    EXPECT_EQ(Brouiller("", ""), "");
    EXPECT_EQ(Brouiller("", "k"), "");
}

TEST(Chaines, EncodeB64AndDecodeB64) {
    struct Cas {
        std::string clair;
        std::string code;
    };
    const Cas cas[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"cl\xE9=@", "Y2zpPUA="},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(EncodeB64(c.clair), c.code) << c.clair;
        EXPECT_EQ(DecodeB64(c.code), c.clair) << c.code;
    }
    std::string tous;
    for (int i = 0; i < 256; ++i) {
        tous.push_back(static_cast<char>(i));
    }
    const std::string code = EncodeB64(tous);
    EXPECT_EQ(code.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(DecodeB64(code), tous);
}

TEST(Chaines, DecodeB64PassesCodecErrorsOn) {
    for (const char* code : {"abc", "Zm9v\r\n", "=", "Zm9vY="}) {
        EXPECT_EQ(ErreurLevee([&] { DecodeB64(code); }), ErrIndice) << code;
    }
}

TEST(Chaines, ValeurHexa) {
    struct Cas {
        std::string texte;
        std::int32_t valeur;
    };
    const Cas cas[] = {
        {"", 0},
        {"0", 0},
        {"9", 9},
        {"ff", 255},
        {"FF", 255},
        {"aBc", 0xABC},
        {"10", 16},
        {"7FFFFFFF", INT32_MAX},
        {"07FFFFFFF", INT32_MAX},
        {"DeadBee", 0xDEADBEE},
        // Leading zeros never overflow, however many there are.
        {std::string(300, '0') + "1f", 31},
        {std::string(32767, '0'), 0},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(ValeurHexa(c.texte), c.valeur) << c.texte.substr(0, 20);
    }
}

TEST(Chaines, ValeurHexaErrors) {
    struct Cas {
        std::string texte;
        int erreur;
    };
    const Cas cas[] = {
        {"g1", ErrType},
        {"1g", ErrType},
        {" 1", ErrType},
        {"1 ", ErrType},
        {"-1", ErrType},
        {"+1", ErrType},
        {"&H10", ErrType},
        {"0x10", ErrType},
        {"\xE9", ErrType},
        {std::string(1, '\0'), ErrType},
        {"80000000", ErrDepassement},
        {"FFFFFFFF", ErrDepassement},
        {"100000000", ErrDepassement},
        {"1" + std::string(300, '0'), ErrDepassement},
        // The overflow is met before the character that follows it.
        {"100000000g", ErrDepassement},
        {"g100000000", ErrType},
        {std::string(32768, '0'), ErrDepassement},
        {std::string(32768, 'z'), ErrDepassement},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(ErreurLevee([&] { ValeurHexa(c.texte); }), c.erreur) << c.texte.substr(0, 20);
    }
}
