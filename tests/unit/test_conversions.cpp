#include "converter/Conversions.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace monvalor;
using namespace std::string_literals;

namespace {

// Independent writer: the C library's %.15g, which follows the same 15-digit and exponent
// thresholds, turned into the French form.
std::string Reference(double v) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.15g", v);
    std::string s(tampon);
    for (char& c : s) {
        if (c == '.') {
            c = ',';
        } else if (c == 'e') {
            c = 'E';
        }
    }
    return s == "-0" ? "0" : s;
}

// The value rounded to 15 significant digits, through the C library.
double Quinze(double v) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.15g", v);
    return std::strtod(tampon, nullptr);
}

std::optional<int> ErreurDe(std::string_view texte) {
    try {
        (void)LireNombre(texte);
        return std::nullopt;
    } catch (const Erreur& e) {
        return e.Numero();
    }
}

bool MemeDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// ---------------------------------------------------------------------------------------------

TEST(ConversionsNormaliser, TurnsEveryPointIntoACommaAndNothingElse) {
    struct Cas {
        std::string avant, apres;
    };
    for (const Cas& c :
         {Cas{"12.50", "12,50"}, Cas{"1.234,56", "1,234,56"}, Cas{" 12.5 ", " 12,5 "},
          Cas{"a.b..c", "a,b,,c"}, Cas{"", ""}, Cas{"\x80 1.5\xA0", "\x80 1,5\xA0"},
          Cas{"..", ",,"}, Cas{"x\0.y"s, "x\0,y"s}}) {
        EXPECT_EQ(NormaliserMontant(c.avant), c.apres);
    }
}

TEST(ConversionsLire, AcceptedTexts) {
    struct Cas {
        std::string texte;
        double valeur;
    };
    const std::vector<Cas> cas = {
        {"0", 0.0},
        {"12,5", 12.5},
        {"12,50", 12.5},
        {" 12,5 ", 12.5},
        {"   12,5", 12.5},
        {"\t12,5\r\n", 12.5},
        {"\r\n\t 7 \t\r\n", 7.0},
        {"\xA0"
         "12,5\xA0",
         12.5},
        {"-50", -50.0},
        {"+50", 50.0},
        {"5,", 5.0},
        {",5", 0.5},
        {"+,5", 0.5},
        {"-,5", -0.5},
        {"007", 7.0},
        {"0,01", 0.01},
        {"19,6", 19.6},
        // grouping by threes
        {"1 234,56", 1234.56},
        {"1\xA0"
         "234,56",
         1234.56},
        {"12 345 678", 12345678.0},
        {"123\xA0"
         "456\xA0"
         "789",
         123456789.0},
        {"-1 234", -1234.0},
        {"+999 999,5", 999999.5},
        {"1 234,", 1234.0},
        // the euro sign, before or after, with or without one blank
        {"12,50 \x80", 12.5},
        {"12,50\x80", 12.5},
        {"12,50\xA0\x80", 12.5},
        {"\x80"
         "12,50",
         12.5},
        {"\x80 12,50", 12.5},
        {"\x80\xA0"
         "12,50",
         12.5},
        {"-12,50 \x80", -12.5},
        {"\x80-12,50", -12.5},
        {"\x80 -12,50", -12.5},
        {"\x80+3", 3.0},
        {"1 234,56 \x80", 1234.56},
        {"1\xA0"
         "234,56\xA0\x80",
         1234.56},
        {" \x80 1 234 \t", 1234.0},
        {"\t12 \x80\r\n", 12.0},
        // long digit strings
        {"1" + std::string(308, '0'), 1e308},
        {"1" + std::string(299, '0'), 1e299},
        {"0," + std::string(299, '0') + "1", 1e-300},
        {"0,1000000000000000055511151231257827021181583404541015625", 0.1},
        {"9007199254740993", 9007199254740992.0},
        {"9007199254740993," + std::string(300, '0') + "1", 9007199254740994.0},
        {"179769313486231570814527423731704356798070567525844996598917476803157260780028538760"
         "589558632766878171540458953514382464234321326889464182768467546703537516986049910576"
         "551282076245490090389328944075868508455133942304583236903222948165808559332123348274"
         "797826204144723168738177180919299881250404026184124858368",
         DBL_MAX},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(AnsiVersUtf8(c.texte));
        EXPECT_TRUE(EstMontant(c.texte));
        const auto v = EssayerLireNombre(c.texte);
        ASSERT_TRUE(v.has_value());
        EXPECT_TRUE(MemeDouble(*v, c.valeur)) << *v;
        EXPECT_TRUE(MemeDouble(LireNombre(c.texte), c.valeur));
    }
}

TEST(ConversionsLire, ZeroKeepsItsSignAndTinyValuesReadAsZero) {
    EXPECT_TRUE(std::signbit(LireNombre("-0")));
    EXPECT_FALSE(std::signbit(LireNombre("0")));
    const double minuscule = LireNombre("0," + std::string(400, '0') + "1");
    EXPECT_EQ(minuscule, 0.0);
    EXPECT_FALSE(std::signbit(minuscule));
    const double negatif = LireNombre("-0," + std::string(400, '0') + "1");
    EXPECT_EQ(negatif, 0.0);
    EXPECT_TRUE(std::signbit(negatif));
    // Subnormal values still read as themselves.
    EXPECT_EQ(LireNombre("0," + std::string(310, '0') + "5"), 5e-311);
}

TEST(ConversionsLire, RefusedTexts) {
    const std::vector<std::string> refus = {
        "", " ", "\t\r\n", "\xA0", "   \xA0 ",
        // lone signs and separators
        ",", "-", "+", "-,", "+,", ",,",
        // more than one separator, or a point
        "1,234,56", "1,,5", "12.50", "12.5", "1.234,56", "1.5,2",
        // notations that are not read
        "1e5", "1E5", "1,5E+16", "1E-05", "0x1A", "&H1A", "(12)", "12%", "1/2", "Inf", "nan", "12a",
        "a12", "abc", "1 2", "12\v", "\f12", "1_000", "1'000",
        // grouping other than by threes
        "1234 567", "1 23", "1 2345", "1  234", "1 234 56",
        "1 234\xA0"
        "567",
        " 1 234 5", "1 234,567 890", ",123 456", "1\t234", "0001 234",
        // signs out of place
        "- 12", "12-", "--12", "+-12", "-+12", "12 -", "1-2", "-\x80 12",
        "+\x80"
        "12",
        "- \x80 12",
        // the euro sign out of place, twice, or too far
        "\x80", "\x80 ", " \x80-",
        "\x80\x80"
        "12",
        "\x80"
        "12\x80",
        "12 \x80 \x80", "12  \x80", "\x80  12", "12\t\x80", "\x80\t12", "12\r\n\x80",
        "1\x80"
        "2",
        "\x80,", "12 \xA0\x80",
        // other currencies and letters
        "12 F", "12 FF", "$12", "12 EUR",
        "\xA3"
        "12",
        // embedded NUL
        "12\0"s,
        "\0"
        "12"s,
        // too large for a double
        std::string(400, '9'), "2" + std::string(308, '0'), "-" + std::string(400, '9'),
        "18" + std::string(307, '0')};
    for (const std::string& t : refus) {
        SCOPED_TRACE(AnsiVersUtf8(t));
        EXPECT_FALSE(EstMontant(t));
        EXPECT_FALSE(EssayerLireNombre(t).has_value());
        EXPECT_EQ(ErreurDe(t), std::optional<int>(13));
    }
}

// An independent statement of the reading rule, checked against the reader on generated
// texts: the text is taken apart by splitting rather than scanned, the value comes from strtod.
bool ToutChiffres(const std::string& s) {
    return s.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<std::string> Couper(const std::string& s, char separateur) {
    std::vector<std::string> morceaux(1);
    for (char c : s) {
        if (c == separateur) {
            morceaux.emplace_back();
        } else {
            morceaux.back().push_back(c);
        }
    }
    return morceaux;
}

bool EntiersValides(const std::string& s) {
    for (char separateur : {' ', '\xA0'}) {
        const auto groupes = Couper(s, separateur);
        if (groupes.size() == 1) {
            continue;
        }
        if (groupes[0].empty() || groupes[0].size() > 3 || !ToutChiffres(groupes[0])) {
            return false;
        }
        for (std::size_t k = 1; k < groupes.size(); ++k) {
            if (groupes[k].size() != 3 || !ToutChiffres(groupes[k])) {
                return false;
            }
        }
        return true;
    }
    return ToutChiffres(s);
}

std::optional<double> LectureDeReference(std::string t) {
    const std::string espaces = " \xA0\t\r\n";
    const auto premier = t.find_first_not_of(espaces);
    if (premier == std::string::npos) {
        return std::nullopt;
    }
    t = t.substr(premier, t.find_last_not_of(espaces) - premier + 1);

    const auto euros = std::count(t.begin(), t.end(), '\x80');
    if (euros > 1) {
        return std::nullopt;
    }
    if (euros == 1) {
        if (t.front() == '\x80') {
            t.erase(0, 1);
            if (!t.empty() && (t.front() == ' ' || t.front() == '\xA0')) {
                t.erase(0, 1);
            }
        } else if (t.back() == '\x80') {
            t.pop_back();
            if (!t.empty() && (t.back() == ' ' || t.back() == '\xA0')) {
                t.pop_back();
            }
        } else {
            return std::nullopt;
        }
    }

    std::string signe;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        signe = t.substr(0, 1);
        t.erase(0, 1);
    }
    const auto parties = Couper(t, ',');
    if (parties.size() > 2 || !EntiersValides(parties[0]) ||
        (parties.size() == 2 && !ToutChiffres(parties[1])) ||
        t.find_first_of("0123456789") == std::string::npos) {
        return std::nullopt;
    }
    std::string c = signe;
    for (char ch : parties[0]) {
        if (ch != ' ' && ch != '\xA0') {
            c.push_back(ch);
        }
    }
    c += "." + (parties.size() == 2 ? parties[1] : std::string());
    return std::strtod(c.c_str(), nullptr);
}

TEST(ConversionsLire, GeneratedTextsReadTheSameEveryWay) {
    const std::string alphabet = "0123456789012345678901234567890123456789,,,..++-- "
                                 "  \xA0\xA0\t\r\n\x80\x80"
                                 "aEeFx";
    std::mt19937 alea(20240611);
    std::uniform_int_distribution<int> longueur(0, 14);
    std::uniform_int_distribution<std::size_t> lettre(0, alphabet.size() - 1);
    int lus = 0;
    for (int n = 0; n < 100000; ++n) {
        std::string t;
        const int l = longueur(alea);
        for (int k = 0; k < l; ++k) {
            t.push_back(alphabet[lettre(alea)]);
        }
        const bool montant = EstMontant(t);
        const std::optional<int> erreur = ErreurDe(t);
        ASSERT_EQ(montant, !erreur.has_value()) << AnsiVersUtf8(t);
        const auto reference = LectureDeReference(t);
        ASSERT_EQ(montant, reference.has_value()) << AnsiVersUtf8(t);
        if (montant) {
            ++lus;
            ASSERT_TRUE(MemeDouble(LireNombre(t), *reference)) << AnsiVersUtf8(t);
            ASSERT_TRUE(MemeDouble(*EssayerLireNombre(t), *reference)) << AnsiVersUtf8(t);
        } else {
            ASSERT_EQ(erreur, std::optional<int>(13));
        }
    }
    // The generator must reach the accepting side often enough for the comparison to mean
    // something.
    EXPECT_GT(lus, 5000);
}

// ---------------------------------------------------------------------------------------------

TEST(ConversionsEcrire, Table) {
    struct Cas {
        double valeur;
        const char* texte;
    };
    const Cas cas[] = {
        {15.24, "15,24"},
        {1234.5, "1234,5"},
        {3.0, "3"},
        {-0.5, "-0,5"},
        {0.0, "0"},
        {-0.0, "0"},
        {0.1 + 0.2, "0,3"},
        {0.1, "0,1"},
        {100.0, "100"},
        {2.0 / 3.0, "0,666666666666667"},
        {-2.0 / 3.0, "-0,666666666666667"},
        {1e14, "100000000000000"},
        {999999999999999.0, "999999999999999"},
        {-999999999999999.0, "-999999999999999"},
        {1e15, "1E+15"},
        {9.999999999999999e14, "1E+15"},
        {std::nextafter(1e15, 0.0), "1E+15"},
        {1.5e16, "1,5E+16"},
        {-1.5e16, "-1,5E+16"},
        {123456789012345678.0, "1,23456789012346E+17"},
        {1e100, "1E+100"},
        {0.0001, "0,0001"},
        {std::nextafter(0.0001, 0.0), "0,0001"},
        {0.000123456, "0,000123456"},
        {0.00009, "9E-05"},
        {1e-5, "1E-05"},
        {-1e-20, "-1E-20"},
        {1e-100, "1E-100"},
        {DBL_MAX, "1,79769313486232E+308"},
        {-DBL_MAX, "-1,79769313486232E+308"},
        {5e-324, "4,94065645841247E-324"},
        {123456.7890123456, "123456,789012346"},
        {99999.99999999999, "100000"},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(EcrireNombre(c.valeur), c.texte) << c.valeur;
    }
}

TEST(ConversionsEcrire, NonFiniteValuesOverflow) {
    for (double v :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        try {
            (void)EcrireNombre(v);
            ADD_FAILURE() << v;
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), 6);
        }
    }
}

TEST(ConversionsEcrire, AgreesWithTheCLibraryOverEveryMagnitude) {
    std::mt19937_64 alea(7);
    int essais = 0;
    while (essais < 50000) {
        const std::uint64_t bits = alea();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) {
            continue;
        }
        ++essais;
        ASSERT_EQ(EcrireNombre(v), Reference(v)) << v;
    }
}

TEST(ConversionsEcrire, RoundTripsThroughTheReader) {
    std::mt19937_64 alea(11);
    std::uniform_real_distribution<double> exposant(-4.0, 15.0);
    std::uniform_int_distribution<int> signe(0, 1);
    for (int n = 0; n < 100000; ++n) {
        double d = std::pow(10.0, exposant(alea));
        if (d < 1e-4 || d >= 1e15) {
            continue;
        }
        if (signe(alea) != 0) {
            d = -d;
        }
        const std::string texte = EcrireNombre(d);
        ASSERT_EQ(texte.find('.'), std::string::npos) << texte;
        const auto relu = EssayerLireNombre(texte);
        ASSERT_TRUE(relu.has_value()) << texte;
        ASSERT_TRUE(MemeDouble(*relu, Quinze(d))) << texte;
    }
}

// ---------------------------------------------------------------------------------------------

TEST(ConversionsArrondir, HalvesGoToTheEvenCent) {
    struct Cas {
        double valeur, attendu;
    };
    const Cas cas[] = {
        {0.125, 0.12},
        {0.375, 0.38},
        {0.625, 0.62},
        {0.875, 0.88},
        {1.125, 1.12},
        {-0.125, -0.12},
        {-0.375, -0.38},
        {-1.125, -1.12},
        {2.5, 2.5},
        {15.2449, 15.24},
        {15.245001, 15.25},
        {0.004, 0.0},
        {0.006, 0.01},
        {-0.006, -0.01},
        {1e15, 1e15},
        // stored a little below the half, but their product by 100 rounds to the half (2.675) or
        // stays below it (1.005)
        {2.675, 2.68},
        {1.005, 1.0},
        {1.005, 1.0},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(Arrondir(c.valeur), c.attendu) << c.valeur;
    }
}

TEST(ConversionsArrondir, DoesNotDependOnTheRoundingMode) {
    const int mode = std::fegetround();
    for (int m : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(m);
        const double a = Arrondir(0.125), b = Arrondir(0.375), c = Arrondir(-0.125);
        std::fesetround(mode);
        // The final division by 100 may land one step away under another mode; the cent
        // must not.
        EXPECT_NEAR(a, 0.12, 1e-15);
        EXPECT_NEAR(b, 0.38, 1e-15);
        EXPECT_NEAR(c, -0.12, 1e-15);
    }
}

TEST(ConversionsArrondir, NegativeValuesThatRoundToZeroWriteAsZero) {
    EXPECT_EQ(EcrireNombre(Arrondir(-0.004)), "0");
    EXPECT_EQ(EcrireNombre(Arrondir(-0.005)), "0");
}

TEST(ConversionsArrondir, OverflowFails) {
    EXPECT_NO_THROW((void)Arrondir(1e306));
    for (double v : {1e307, -1e307, DBL_MAX, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
        try {
            (void)Arrondir(v);
            ADD_FAILURE() << v;
        } catch (const Erreur& e) {
            EXPECT_EQ(e.Numero(), 6);
        }
    }
}

// ---------------------------------------------------------------------------------------------

using Figures = std::vector<std::optional<std::string>>;

Figures EnListe(const Conversions& c) {
    return {c.euros, c.francs, c.tva, c.montantHT, c.montantTTC, c.reduction};
}

TEST(ConversionsCalculer, Table) {
    constexpr std::nullopt_t _ = std::nullopt;
    struct Cas {
        std::string montant, taux;
        Figures attendu;
    };
    const std::vector<Cas> cas = {
        {"100", "19,6", {"15,24", "655,96", "19,6", "83,61", "119,6", "80,4"}},
        {"0", "19,6", {"0", "0", "0", "0", "0", "0"}},
        {"-0", "19,6", {"0", "0", "0", "0", "0", "0"}},
        {"12,50", "19,6", {"1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}},
        {" 12,5 ", "19,6", {"1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}},
        {"12,50 \x80", "19,6", {"1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}},
        {"1", "12,5", {"0,15", "6,56", "0,12", "0,89", "1,12", "0,88"}},
        {"100", "", {"15,24", "655,96", _, _, _, _}},
        {"100", "19.6", {"15,24", "655,96", _, _, _, _}},
        {"100", "-100", {"15,24", "655,96", "-100", _, "0", "200"}},
        {"-50", "19,6", {"-7,62", "-327,98", "-9,8", "-41,81", "-59,8", "-40,2"}},
        {"0,01", "19,6", {"0", "0,07", "0", "0,01", "0,01", "0,01"}},
        {"1.234,56", "19,6", {_, _, _, _, _, _}},
        {"abc", "19,6", {_, _, _, _, _, _}},
        {"", "", {_, _, _, _, _, _}},
        // 0 / 0 in the amount before tax; the tax is -0 and writes as 0
        {"0", "-100", {"0", "0", "0", _, "0", "0"}},
        // overflow of the amount times the rate of the franc only
        {"1" + std::string(306, '0'),
         "19,6",
         {"1,5244901723741E+305", _, "1,96E+305", "8,36120401337793E+305", "1,196E+306",
          "8,04E+305"}},
        // overflow in the rate's products, not in its quotient
        {"100", "1" + std::string(307, '0'), {"15,24", "655,96", _, "0", _, _}},
        {"1" + std::string(308, '0'), "19,6", {_, _, _, _, _, _}},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(AnsiVersUtf8(c.montant.substr(0, 20)) + " / " +
                     AnsiVersUtf8(c.taux.substr(0, 20)));
        EXPECT_EQ(EnListe(CalculerConversions(c.montant, c.taux)), c.attendu);
    }
}

TEST(ConversionsCalculer, ClipboardTextsGoThroughNormalisationFirst) {
    EXPECT_EQ(NormaliserMontant("12.50"), "12,50");
    EXPECT_TRUE(EstMontant(NormaliserMontant("12.50")));
    EXPECT_FALSE(EstMontant(NormaliserMontant("1.234,56")));
    EXPECT_TRUE(EstMontant(NormaliserMontant(" 12.5 ")));
}

TEST(ConversionsCalculer, EveryFigureUsesTheDecimalComma) {
    std::mt19937 alea(3);
    std::uniform_int_distribution<int> centimes(-10000000, 10000000);
    std::uniform_int_distribution<int> taux(-500, 500);
    for (int n = 0; n < 2000; ++n) {
        const std::string montant = EcrireNombre(centimes(alea) / 100.0);
        const std::string t = EcrireNombre(taux(alea) / 10.0);
        for (const auto& f : EnListe(CalculerConversions(montant, t))) {
            if (f) {
                EXPECT_EQ(f->find('.'), std::string::npos) << *f;
                EXPECT_NE(*f, "-0");
                EXPECT_TRUE(EstMontant(*f)) << *f;
            }
        }
    }
}

TEST(ConversionsCalculer, EuroRateIsTheNearestDouble) {
    std::uint64_t bits;
    std::memcpy(&bits, &TauxEuro, sizeof bits);
    EXPECT_EQ(bits, 0x401A3CFFEB074A77u);
}

} // namespace
