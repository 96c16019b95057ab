#include "support/Chaines.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>
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
    const std::pair<unsigned char, unsigned char> paires[] = {
        {'A', 'a'},   {'Z', 'z'},   {0xC0, 0xE0}, {0xD6, 0xF6}, {0xD8, 0xF8},
        {0xDE, 0xFE}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (const auto& [majuscule, minuscule] : paires) {
        EXPECT_EQ(MinusculeAnsi(majuscule), minuscule) << int{majuscule};
    }
    // Nothing else moves (the multiplication sign 0xD7 among the capitals neither), and folding
    // is idempotent.
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
        std::string texte, recherche, remplacement;
        bool exacte;
        std::string attendu;
    };
    for (const Cas& c :
         {Cas{"Banana", "A", "o", true, "Banana"}, Cas{"Banana", "A", "o", false, "Bonono"},
          Cas{"BANANA", "an", "_", false, "B__A"}, Cas{"aba", "a", "aa", true, "aabaa"},
          Cas{"aaa", "aa", "b", true, "ba"}, Cas{"a-b--c", "-", "", true, "abc"},
          Cas{"\xC9T\xC9 \xE9t\xE9", "\xE9t\xE9", "x", false, "x x"},
          Cas{"\x8Cuvre \x9Cuvre", "\x9C", "oe", false, "oeuvre oeuvre"},
          Cas{"abc", "abcd", "x", true, "abc"}, Cas{"abc", "", "x", true, "abc"},
          Cas{std::string("a\0b", 3), std::string(1, '\0'), "-", true, "a-b"}}) {
        std::string texte = c.texte;
        Remplacer(texte, c.recherche, c.remplacement, c.exacte);
        EXPECT_EQ(texte, c.attendu) << c.texte << " / " << c.recherche;
    }
}

TEST(Chaines, Extraire) {
    struct Cas {
        std::int32_t premier, dernier;
        const char* attendu; // nullptr: error 5
    };
    for (const Cas& c :
         {Cas{8, 14, "hijklmn"}, Cas{5, 4, ""}, Cas{1, INT32_MAX, "abcdefghijklmnop"},
          Cas{16, 20, "p"}, Cas{17, 20, ""}, Cas{INT32_MAX, INT32_MAX - 1, ""}, Cas{0, 3, nullptr},
          Cas{INT32_MIN, INT32_MAX, nullptr}, Cas{5, 3, nullptr},
          Cas{INT32_MAX, INT32_MIN, nullptr}}) {
        std::string extrait = "?";
        const int erreur =
            ErreurLevee([&] { extrait = Extraire("abcdefghijklmnop", c.premier, c.dernier); });
        EXPECT_EQ(erreur, c.attendu ? 0 : ErrArgument) << c.premier << " " << c.dernier;
        EXPECT_EQ(extrait, c.attendu ? c.attendu : "?") << c.premier << " " << c.dernier;
    }
    EXPECT_EQ(Extraire("", 1, 5), "");
}

TEST(Chaines, Scinder) {
    struct Cas {
        std::string texte, separateur;
        std::vector<std::string> morceaux;
    };
    for (const Cas& c : {Cas{"a\tb", "", {"a", "b"}}, Cas{"a,b", "", {"a,b"}}, Cas{"x", ",", {"x"}},
                         Cas{"a,,b", ",", {"a", "", "b"}}, Cas{",", ",", {"", ""}},
                         Cas{"l1\r\nl2\r\n", "\r\n", {"l1", "l2", ""}},
                         Cas{"a\rb\nc\r\nd", "\r\n", {"a\rb\nc", "d"}}, Cas{"aaa", "aa", {"", "a"}},
                         Cas{std::string("a\0b", 3), std::string(1, '\0'), {"a", "b"}}}) {
        const TableauChaines t = Scinder(c.texte, c.separateur);
        EXPECT_EQ(t.LBound(), 1) << c.texte;
        EXPECT_EQ(t.UBound(), static_cast<int>(c.morceaux.size())) << c.texte;
        EXPECT_EQ(Morceaux(t), c.morceaux);
    }
}

TEST(Chaines, TableauChainesBoundsAndWrites) {
    TableauChaines t;
    Scinder(t, "a;b;c", ";");
    for (const int hors : {0, 4, INT_MAX, INT_MIN}) {
        EXPECT_EQ(ErreurLevee([&] { (void)t[hors]; }), ErrIndice) << hors;
        EXPECT_EQ(ErreurLevee([&] { (void)std::as_const(t)[hors]; }), ErrIndice) << hors;
    }
    t[2] = "B";
    for (std::string& morceau : t) {
        morceau += "!";
    }
    EXPECT_EQ(Morceaux(t), (std::vector<std::string>{"a!", "B!", "c!"}));

    // An empty text has no pieces, only the element 0, like a new array; the in-place form
    // replaces what the array held.
    for (const char* separateur : {"", ",", "\r\n"}) {
        Scinder(t, "", separateur);
        EXPECT_EQ(t.LBound(), 0);
        EXPECT_EQ(t.UBound(), 0);
        EXPECT_EQ(t.begin(), t.end());
        EXPECT_EQ(ErreurLevee([&] { (void)t[1]; }), ErrIndice);
        t[0] = "libre";
        EXPECT_EQ(t[0], "libre");
    }
    EXPECT_EQ(TableauChaines().UBound(), 0);
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
            rejoint += (i > 1 ? separateur : "") + t[i];
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
    EXPECT_EQ(Inverser("C:\\dossier"), "reissod\\:C");
    EXPECT_EQ(Inverser(std::string("\xE9\0x", 3)), std::string("x\0\xE9", 3));
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

TEST(Chaines, BrouillerMasksAndErrors) {
    // Key "ABD": positions 1, 3, 4 use "A" xor "B" (3), positions 2, 5 use "B" xor "D" (6).
    EXPECT_EQ(Brouiller(std::string(6, '\0'), "ABD"), std::string("\x03\x06\x03\x03\x06\x03"));
    EXPECT_EQ(Brouiller("abcd", "AB"), "ba`g");
    EXPECT_EQ(Brouiller("\x03", "AB"), std::string(1, '\0'));
    // Two equal neighbours give a zero mask.
    EXPECT_EQ(Brouiller("texte", "zz"), "texte");
    struct Cas {
        std::string texte, cle;
        int erreur;
    };
    const std::string trop(32768, 'x');
    // The lengths come first; an empty text never reaches the key.
    for (const Cas& c : {Cas{"abc", "", ErrDivision}, Cas{"abc", "k", ErrArgument},
                         Cas{trop, "cle", ErrDepassement}, Cas{trop, "", ErrDepassement},
                         Cas{"abc", trop, ErrDepassement}, Cas{"", "", 0}, Cas{"", "k", 0}}) {
        EXPECT_EQ(ErreurLevee([&] { EXPECT_EQ(Brouiller(c.texte, c.cle), ""); }), c.erreur)
            << c.texte.size() << " " << c.cle.size();
    }
}

TEST(Chaines, EncodeB64AndDecodeB64) {
    struct Cas {
        std::string clair, code;
    };
    for (const Cas& c : {Cas{"", ""}, Cas{"f", "Zg=="}, Cas{"fo", "Zm8="}, Cas{"foo", "Zm9v"},
                         Cas{"foobar", "Zm9vYmFy"}, Cas{"cl\xE9=@", "Y2zpPUA="}}) {
        EXPECT_EQ(EncodeB64(c.clair), c.code) << c.clair;
        EXPECT_EQ(DecodeB64(c.code), c.clair) << c.code;
    }
    std::string tous(256, '\0');
    std::iota(tous.begin(), tous.end(), '\0');
    const std::string code = EncodeB64(tous);
    EXPECT_EQ(code.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(DecodeB64(code), tous);
    for (const char* faux : {"abc", "Zm9v\r\n", "=", "Zm9vY="}) {
        EXPECT_EQ(ErreurLevee([&] { DecodeB64(faux); }), ErrIndice) << faux;
    }
}

TEST(Chaines, ValeurHexa) {
    struct Cas {
        const char* texte;
        std::int32_t valeur;
    };
    for (const Cas& c : {Cas{"", 0}, Cas{"90", 0x90}, Cas{"aBc", 0xABC}, Cas{"fF", 0xFF},
                         Cas{"7FFFFFFF", INT32_MAX}, Cas{"07FFFFFFF", INT32_MAX}}) {
        EXPECT_EQ(ValeurHexa(c.texte), c.valeur) << c.texte;
    }
    // Leading zeros never overflow, however many there are.
    EXPECT_EQ(ValeurHexa(std::string(300, '0') + "1f"), 31);
    EXPECT_EQ(ValeurHexa(std::string(32767, '0')), 0);
}

TEST(Chaines, ValeurHexaErrors) {
    const std::vector<std::string> pasHexa = {
        "g1", "1g", "1G", "-1", "0x10", "\xE9", std::string(1, '\0'), "g100000000"};
    for (const std::string& t : pasHexa) {
        EXPECT_EQ(ErreurLevee([&] { ValeurHexa(t); }), ErrType) << t;
    }
    // The overflow is met before the character that follows it; the length is checked first.
    const std::vector<std::string> trop = {"80000000", "1g00000000", std::string(32768, '0'),
                                           std::string(32768, 'z')};
    for (const std::string& t : trop) {
        EXPECT_EQ(ErreurLevee([&] { ValeurHexa(t); }), ErrDepassement) << t.substr(0, 20);
    }
}
