#include "converter/Conversions.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

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
using monvalor::test::ErreurLevee;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The C library's %.15g, which follows the same 15-digit and exponent thresholds.
std::string G15(double v) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.15g", v);
    return tampon;
}

// Bitwise, so that -0 and 0 differ.
bool MemeDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ConversionsNormaliser, TurnsEveryPointIntoACommaAndNothingElse) {
    struct Cas {
        std::string avant, apres;
    };
    for (const Cas& c : {Cas{"12.50", "12,50"}, Cas{".a..b.", ",a,,b,"}, Cas{"", ""},
                         Cas{"\x80 1.5\xA0", "\x80 1,5\xA0"}, Cas{"x\0.y"s, "x\0,y"s}}) {
        EXPECT_EQ(NormaliserMontant(c.avant), c.apres);
    }
}

// In the reading tables '~' stands for the euro sign and '_' for the no-break space.
std::string Ansi(std::string t) {
    std::replace(t.begin(), t.end(), '~', '\x80');
    std::replace(t.begin(), t.end(), '_', '\xA0');
    return t;
}

void VerifierLu(const std::string& t, double valeur) {
    SCOPED_TRACE(AnsiVersUtf8(t.substr(0, 30)));
    EXPECT_TRUE(EstMontant(t));
    const auto v = EssayerLireNombre(t);
    ASSERT_TRUE(v.has_value());
    EXPECT_TRUE(MemeDouble(*v, valeur)) << *v;
    EXPECT_TRUE(MemeDouble(LireNombre(t), valeur));
}

struct Lu {
    const char* texte;
    double valeur;
};

TEST(ConversionsLire, SignsSeparatorsAndWhiteAround) {
    const Lu cas[] = {{"0", 0.0},       {"-0", -0.0},   {"\r\n\t 7 \t\r\n", 7.0},
                      {"_12,5_", 12.5}, {"-50", -50.0}, {"+50", 50.0},
                      {"5,", 5.0},      {",5", 0.5},    {"-,5", -0.5},
                      {"007", 7.0}};
    for (const Lu& c : cas) {
        VerifierLu(Ansi(c.texte), c.valeur);
    }
}

TEST(ConversionsLire, GroupsOfThreeAndTheEuroSignWithAtMostOneBlank) {
    const Lu cas[] = {{"1 234,56", 1234.56},   {"123_456_789", 123456789.0},
                      {"-1 234", -1234.0},     {"1 234,", 1234.0},
                      {"12,50~", 12.5},        {"-12,50 ~", -12.5},
                      {"1_234,56_~", 1234.56}, {"~-12,50", -12.5},
                      {"~ -12,50", -12.5},     {"~_12,50", 12.5},
                      {" ~ 1 234 \t", 1234.0}, {"\t12 ~\r\n", 12.0}};
    for (const Lu& c : cas) {
        VerifierLu(Ansi(c.texte), c.valeur);
    }
}

TEST(ConversionsLire, LongDigitStringsAreCorrectlyRounded) {
    const std::string zeros400(400, '0');
    VerifierLu("1" + std::string(308, '0'), 1e308);
    VerifierLu("0," + std::string(299, '0') + "1", 1e-300);
    VerifierLu("0,1000000000000000055511151231257827021181583404541015625", 0.1);
    VerifierLu("9007199254740993", 9007199254740992.0);
    VerifierLu("9007199254740993," + std::string(300, '0') + "1", 9007199254740994.0);
    VerifierLu("0," + std::string(310, '0') + "5", 5e-311);
    // Below the smallest double is zero, with its sign.
    VerifierLu("0," + zeros400 + "1", 0.0);
    VerifierLu("-0," + zeros400 + "1", -0.0);
    VerifierLu("17976931348623157081452742373170435679807056752584499659891747680315726078002853876"
               "05895586327668781715404589535143824642343213268894641827684675467035375169860499105"
               "76551282076245490090389328944075868508455133942304583236903222948165808559332123348"
               "274797826204144723168738177180919299881250404026184124858368",
               DBL_MAX);
}

TEST(ConversionsLire, RefusedTexts) {
    const std::vector<std::string> refus = {
        "", "\t\r\n", "   _ ", ",", "+", "-,", "1,234,56", "1,,5", "12.5", "1.234,56", "12:30",
        // notations that are not read
        "1e5", "1,5E+16", "1E-05", "0x1A", "&H1A", "Inf", "nan", "12a", "a12", "12\v", "\f12",
        // grouping other than by threes with one kind of blank
        "1234 567", "1 23", "1 2345", "1  234", "1 234 56", "1 234_567", "1 234,567 890", "1\t234",
        // signs out of place
        "- 12", "12-", "+-12", "-~ 12",
        // the euro sign alone, twice, too far or in the middle; other currencies
        "~ ", "~~12", "~12~", "12  ~", "~  12", "12\t~", "~\t12", "12 _~", "1~2", "~,", "12 F",
        "12\xA3", "12\0"s, "\0 12"s,
        // too large for a double
        "18" + std::string(307, '0'), "-" + std::string(400, '9')};
    for (const std::string& texte : refus) {
        const std::string t = Ansi(texte);
        SCOPED_TRACE(AnsiVersUtf8(t.substr(0, 30)));
        EXPECT_FALSE(EstMontant(t));
        EXPECT_FALSE(EssayerLireNombre(t).has_value());
        EXPECT_EQ(ErreurLevee([&t] { (void)LireNombre(t); }), ErrType);
    }
}

// An independent statement of the reading rule, checked against the reader on generated
// texts: the text is taken apart piece by piece rather than scanned, the value comes from strtod.
std::optional<double> LectureDeReference(std::string t) {
    const auto blanc = [](char c) { return c == ' ' || c == '\xA0'; };
    const auto chiffres = [](const std::string& s) {
        return s.find_first_not_of("0123456789") == std::string::npos;
    };
    const char* const espaces = " \xA0\t\r\n";
    t.erase(0, t.find_first_not_of(espaces));
    t.erase(t.find_last_not_of(espaces) + 1);
    if (std::count(t.begin(), t.end(), '\x80') > 1) {
        return std::nullopt;
    }
    if (t.starts_with('\x80')) {
        t.erase(0, t.size() > 1 && blanc(t[1]) ? 2 : 1);
    } else if (t.ends_with('\x80')) {
        t.resize(t.size() - (t.size() > 1 && blanc(t[t.size() - 2]) ? 2 : 1));
    }
    const std::string signe = t.starts_with('+') || t.starts_with('-') ? t.substr(0, 1) : "";
    const std::size_t virgule = t.find(',', signe.size());
    std::string entiers = t.substr(signe.size(), virgule - signe.size());
    const std::string decimales = virgule == std::string::npos ? "" : t.substr(virgule + 1);
    // Groups: the first of 1 to 3 digits, then a separator and 3 digits each time.
    const std::size_t groupe = entiers.find_first_of(" \xA0");
    if (groupe != std::string::npos) {
        if (groupe == 0 || groupe > 3 || (entiers.size() - groupe) % 4 != 0) {
            return std::nullopt;
        }
        std::string sans;
        for (std::size_t k = 0; k < entiers.size(); ++k) {
            if (k < groupe || (k - groupe) % 4 != 0) {
                sans += entiers[k];
            } else if (entiers[k] != entiers[groupe]) {
                return std::nullopt;
            }
        }
        entiers = sans;
    }
    if (!chiffres(entiers) || !chiffres(decimales) || entiers.size() + decimales.size() == 0) {
        return std::nullopt;
    }
    return std::strtod((signe + entiers + "." + decimales).c_str(), nullptr);
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
        for (int k = longueur(alea); k > 0; --k) {
            t.push_back(alphabet[lettre(alea)]);
        }
        const bool montant = EstMontant(t);
        const int erreur = ErreurLevee([&t] { (void)LireNombre(t); });
        ASSERT_EQ(erreur, montant ? 0 : int{ErrType}) << AnsiVersUtf8(t);
        const auto reference = LectureDeReference(t);
        ASSERT_EQ(montant, reference.has_value()) << AnsiVersUtf8(t);
        if (montant) {
            ++lus;
            ASSERT_TRUE(MemeDouble(LireNombre(t), *reference)) << AnsiVersUtf8(t);
            ASSERT_TRUE(MemeDouble(*EssayerLireNombre(t), *reference)) << AnsiVersUtf8(t);
        }
    }
    // Enough accepted texts for the comparison to mean something.
    EXPECT_GT(lus, 5000);
}

TEST(ConversionsEcrire, Table) {
    struct Cas {
        double valeur;
        const char* texte;
    };
    // Each side of the thresholds of the exponent form, and roundings that carry.
    for (const Cas& c :
         {Cas{0.0, "0"}, Cas{-0.0, "0"}, Cas{100.0, "100"},
          Cas{-0.66666666666666663, "-0,666666666666667"}, Cas{99999.99999999999, "100000"},
          Cas{999999999999999.0, "999999999999999"}, Cas{999999999999999.875, "1E+15"},
          Cas{1e15, "1E+15"}, Cas{0.0001, "0,0001"}, Cas{9.9999999999999991e-05, "0,0001"},
          Cas{0.00009, "9E-05"}, Cas{1e-5, "1E-05"}, Cas{DBL_MAX, "1,79769313486232E+308"},
          Cas{5e-324, "4,94065645841247E-324"}}) {
        EXPECT_EQ(EcrireNombre(c.valeur), c.texte) << c.valeur;
    }
}

TEST(ConversionsEcrire, AgreesWithTheCLibraryOverEveryMagnitude) {
    std::mt19937_64 alea(7);
    for (int essais = 0; essais < 50000;) {
        const std::uint64_t bits = alea();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) {
            continue;
        }
        ++essais;
        std::string attendu = G15(v);
        std::replace(attendu.begin(), attendu.end(), '.', ',');
        std::replace(attendu.begin(), attendu.end(), 'e', 'E');
        ASSERT_EQ(EcrireNombre(v), attendu == "-0" ? "0" : attendu) << v;
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
        d = signe(alea) != 0 ? -d : d;
        const std::string texte = EcrireNombre(d);
        const auto relu = EssayerLireNombre(texte);
        ASSERT_TRUE(relu.has_value()) << texte;
        ASSERT_TRUE(MemeDouble(*relu, std::strtod(G15(d).c_str(), nullptr))) << texte;
    }
}

TEST(ConversionsArrondir, HalvesGoToTheEvenCent) {
    struct Cas {
        double valeur, attendu;
    };
    // 2.675 and 1.005 are stored a little below the half, but their product by 100 rounds to
    // the half (2.675) or stays below it (1.005).
    const Cas cas[] = {{0.125, 0.12},   {0.375, 0.38},    {-0.125, -0.12},    {-0.375, -0.38},
                       {-0.005, 0.0},   {15.2449, 15.24}, {15.245001, 15.25}, {0.004, 0.0},
                       {-0.006, -0.01}, {1e15, 1e15},     {2.675, 2.68},      {1.005, 1.0}};
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

TEST(ConversionsArrondir, OverflowAndNonFiniteValuesAreError6) {
    EXPECT_EQ(ErreurLevee([] { (void)Arrondir(1e306); }), 0);
    for (double v : {1e307, -1e307, DBL_MAX, kInf, kNaN}) {
        EXPECT_EQ(ErreurLevee([v] { (void)Arrondir(v); }), ErrDepassement) << v;
    }
    for (double v : {kInf, -kInf, kNaN}) {
        EXPECT_EQ(ErreurLevee([v] { (void)EcrireNombre(v); }), ErrDepassement) << v;
    }
}

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
        {"-0", "19,6", {"0", "0", "0", "0", "0", "0"}},
        {"12,50 \x80", "19,6", {"1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}},
        {"1", "12,5", {"0,15", "6,56", "0,12", "0,89", "1,12", "0,88"}},
        {"100", "19.6", {"15,24", "655,96", _, _, _, _}},
        {"100", "-100", {"15,24", "655,96", "-100", _, "0", "200"}},
        {"-1000000",
         "19,6",
         {"-152449,02", "-6559570", "-196000", "-836120,4", "-1196000", "-804000"}},
        {"1.234,56", "19,6", {_, _, _, _, _, _}},
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

TEST(ConversionsCalculer, EveryFigureReadsBackAsAnAmount) {
    std::mt19937 alea(3);
    std::uniform_int_distribution<int> centimes(-10000000, 10000000);
    std::uniform_int_distribution<int> taux(-500, 500);
    for (int n = 0; n < 2000; ++n) {
        const std::string montant = EcrireNombre(centimes(alea) / 100.0);
        const std::string t = EcrireNombre(taux(alea) / 10.0);
        for (const auto& f : EnListe(CalculerConversions(montant, t))) {
            if (f) {
                EXPECT_NE(*f, "-0");
                EXPECT_TRUE(EstMontant(*f)) << *f;
            }
        }
    }
}

} // namespace
