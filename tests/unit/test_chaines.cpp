// How split pieces join back into any text is fuzz_scinder's, the codec itself test_clsb64's.
#include "support/Chaines.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace monvalor;
using monvalor::test::ErreurLevee;

namespace {

std::vector<std::string> Morceaux(const TableauChaines& t) {
    return {t.begin(), t.end()};
}

} // namespace

TEST(Chaines, MinusculeAnsiFoldsTheCapitalsOfTheCodePage) {
    const std::string majuscules = "AZ\xC0\xD6\xD8\xDE\x8A\x8C\x8E\x9F";
    const std::string minuscules = "az\xE0\xF6\xF8\xFE\x9A\x9C\x9E\xFF";
    for (std::size_t i = 0; i < majuscules.size(); ++i) {
        EXPECT_EQ(MinusculeAnsi(majuscules[i]), static_cast<unsigned char>(minuscules[i])) << i;
    }
    // Nothing else moves, the multiplication sign 0xD7 among the capitals neither.
    int changes = 0;
    for (int c = 0; c < 256; ++c) {
        changes += MinusculeAnsi(static_cast<unsigned char>(c)) != c;
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
        EXPECT_EQ(Morceaux(Scinder(c.texte, c.separateur)), c.morceaux) << c.texte;
    }
}

TEST(Chaines, TableauChainesBoundsAndWrites) {
    TableauChaines t = Scinder("a;b;c", ";");
    for (const int hors : {0, 4, INT_MAX, INT_MIN}) {
        EXPECT_EQ(ErreurLevee([&] { (void)t[hors]; }), ErrIndice) << hors;
    }
    t[2] = "B";
    *t.begin() = "A";
    EXPECT_EQ(Morceaux(t), (std::vector<std::string>{"A", "B", "c"}));
    // Splitting an empty text in place leaves only the element 0, like a new array.
    Scinder(t, "", ",");
    EXPECT_EQ(t.UBound(), 0);
    EXPECT_EQ(ErreurLevee([&] { (void)t[1]; }), ErrIndice);
    t[0] = "libre";
    EXPECT_EQ(std::as_const(t)[0], "libre");
    EXPECT_EQ(TableauChaines().UBound(), 0);
}

TEST(Chaines, Inverser) {
    EXPECT_EQ(Inverser(std::string("C:\\\xE9\0x", 6)), std::string("x\0\xE9\\:C", 6));
}

TEST(Chaines, BrouillerMasksAndErrors) {
    // Key "ABD": positions 1, 3, 4 use "A" xor "B" (3), positions 2, 5 use "B" xor "D" (6).
    EXPECT_EQ(Brouiller(std::string(6, '\0'), "ABD"), std::string("\x03\x06\x03\x03\x06\x03"));
    EXPECT_EQ(Brouiller("abcd", "AB"), "ba`g");
    // Two equal neighbours give a zero mask.
    EXPECT_EQ(Brouiller("texte", "zz"), "texte");
    const std::string plein(32767, 'x');
    EXPECT_EQ(Brouiller(Brouiller(plein, "cl\xE9"), "cl\xE9"), plein);
    const std::string trop(32768, 'x');
    // The lengths come first; an empty text never reaches the key.
    struct Cas {
        std::string texte, cle;
        int erreur;
    };
    for (const Cas& c : {Cas{"abc", "", ErrDivision}, Cas{"abc", "k", ErrArgument},
                         Cas{trop, "cle", ErrDepassement}, Cas{trop, "", ErrDepassement},
                         Cas{"abc", trop, ErrDepassement}, Cas{"", "", 0}, Cas{"", "k", 0}}) {
        EXPECT_EQ(ErreurLevee([&] { EXPECT_EQ(Brouiller(c.texte, c.cle), ""); }), c.erreur)
            << c.texte.size() << " " << c.cle.size();
    }
}

TEST(Chaines, EncodeB64AndDecodeB64) {
    EXPECT_EQ(EncodeB64("") + DecodeB64(""), "");
    EXPECT_EQ(EncodeB64("cl\xE9=@"), "Y2zpPUA=");
    EXPECT_EQ(DecodeB64("Y2zpPUA="), "cl\xE9=@");
    EXPECT_EQ(ErreurLevee([] { DecodeB64("Zm9vY="); }), ErrIndice);
}

// The value, or minus the number of the error. The overflow is met before the character that
// follows it, the length is checked first, and leading zeros never overflow.
TEST(Chaines, ValeurHexa) {
    const auto hexa = [](const std::string& t) {
        std::int64_t v = 0;
        const int erreur = ErreurLevee([&] { v = ValeurHexa(t); });
        return erreur ? -erreur : v;
    };
    using Cas = std::pair<std::string, std::int64_t>;
    const std::string zeros(32767, '0'), trop = zeros + "0", z1f = zeros.substr(300) + "1f";
    for (const Cas& c : {Cas{"", 0}, Cas{"90", 0x90}, Cas{"aBc", 0xABC}, Cas{"fF", 0xFF},
                         Cas{"7FFFFFFF", INT32_MAX}, Cas{"07FFFFFFF", INT32_MAX}, Cas{z1f, 31},
                         Cas{zeros, 0}, Cas{"80000000", -ErrDepassement},
                         Cas{"1g00000000", -ErrDepassement}, Cas{trop, -ErrDepassement}}) {
        EXPECT_EQ(hexa(c.first), c.second) << c.first.substr(0, 20);
    }
    for (const char* texte : {"g1", "1g", "1G", "-1", "0x10", "\xE9", "g100000000"}) {
        EXPECT_EQ(hexa(texte), -ErrType) << texte;
    }
    EXPECT_EQ(hexa(std::string(1, '\0')), -ErrType);
    EXPECT_EQ(hexa(std::string(32768, 'z')), -ErrDepassement);
}

TEST(Chaines, BornerPourAffichage) {
    // Small bounds: 3 lines of 5 characters, 16 in all.
    const BornesAffichage petites{3, 5, 16};
    const struct {
        std::string texte;
        std::string montre;
    } cas[] = {
        {"", ""},
        {"un\r\ndeux\rtrois\n", "un\r\ndeux\rtrois\n"}, // 3 lines of any ending, 15 in all
        {std::string("a\0b\x1B[\x7F\x81\x8D\x8F\x90\x9D\x80\t", 13), "ab[\x80\t"},
        {"abcdefgh\r\nxy", "abcd\x85\r\nxy"},
        {"ab\x01\x02\x03\x04\x05"
         "cde\nf",
         "abcde\nf"}, // dropped characters take no room
        {"1\r\n2\r\n3\r\n4", "1\r\n2\r\n3\x85"},
        {"1\n2\n3\n\n", "1\n2\n3\x85"},
        {"abcde\nabcde\nabcde", "abcde\nabcde\nabc\x85"},
        {"abcde\nabcde\nabc\r\n", "abcde\nabcde\nabc"},
        {"abcde\nabcde\nabc\r\nd", "abcde\nabcde\nabc\x85"},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(BornerPourAffichage(c.texte, petites), c.montre) << c.texte;
    }
    // The default bounds, against a text far beyond them.
    std::string enorme;
    for (int i = 0; i < 40; ++i) {
        enorme += std::string(static_cast<std::size_t>(i) * 50, 'x') + "\r\n";
    }
    const std::string montre = BornerPourAffichage(enorme);
    const TableauChaines lignes = Scinder(montre, "\r\n");
    std::size_t plusLongue = 0;
    for (const std::string& l : lignes) {
        plusLongue = std::max(plusLongue, l.size());
    }
    EXPECT_EQ(std::tuple(montre.size() <= 2000, lignes.UBound() <= 25, plusLongue, montre.back()),
              std::tuple(true, true, std::size_t{200}, '\x85'));
}
