// That readers agree on any text and what is written reads back is checked by fuzz_montant.
#include "converter/Conversions.h"
#include "support/Ansi.h"
#include "support/Erreur.h"

#include "ErreurLevee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace monvalor;
using namespace std::string_literals;
using monvalor::test::ErreurLevee;

namespace {

// In the reading tables '~' stands for the euro sign and '_' for the no-break space.
std::string Ansi(std::string t) {
    std::replace(t.begin(), t.end(), '~', '\x80');
    std::replace(t.begin(), t.end(), '_', '\xA0');
    return t;
}

void VerifierLu(const std::string& texte, double valeur) {
    const double v = LireNombre(Ansi(texte));
    // Bitwise, so that -0 and 0 differ.
    EXPECT_EQ(std::memcmp(&v, &valeur, sizeof v), 0) << AnsiVersUtf8(Ansi(texte)) << " " << v;
}

struct Lu {
    const char* texte;
    double valeur;
};

// Signs and white around; groups of three, the euro sign before or after with one blank at most.
TEST(ConversionsLire, AcceptedTexts) {
    const Lu signes[] = {{"0", 0.0},       {"-0", -0.0},   {"\r\n\t 7 \t\r\n", 7.0},
                         {"_12,5_", 12.5}, {"-50", -50.0}, {"+50", 50.0},
                         {"5,", 5.0},      {",5", 0.5},    {"-,5", -0.5},
                         {"007", 7.0}};
    const Lu groupes[] = {{"1 234,56", 1234.56},   {"123_456_789", 123456789.0},
                          {"-1 234", -1234.0},     {"1 234,", 1234.0},
                          {"12,50~", 12.5},        {"-12,50 ~", -12.5},
                          {"1_234,56_~", 1234.56}, {"~-12,50", -12.5},
                          {"~ -12,50", -12.5},     {"~_12,50", 12.5},
                          {" ~ 1 234 \t", 1234.0}, {"\t12 ~\r\n", 12.0}};
    for (const Lu& c : signes) {
        VerifierLu(c.texte, c.valeur);
    }
    for (const Lu& c : groupes) {
        VerifierLu(c.texte, c.valeur);
    }
}

// Every digit counts in the rounding; below the smallest double is zero, with its sign.
TEST(ConversionsLire, LongDigitStrings) {
    const std::string z(300, '0');
    VerifierLu("9007199254740993," + z + "1", 9007199254740994.0);
    VerifierLu("0," + z + "00000000005", 5e-311);
    VerifierLu("0," + z + z + "1", 0.0);
    VerifierLu("-0," + z + z + "1", -0.0);
}

TEST(ConversionsLire, RefusedTexts) {
    const std::vector<std::string> refus = {
        "", "\t\r\n", "   _ ", ",", "+", "-,", "1,234,56", "1,,5", "12.5", "1.234,56", "12:30",
        // notations that are not read; grouping other than by threes with one kind of blank
        "1e5", "1,5E+16", "0x1A", "&H1A", "Inf", "nan", "12a", "a12", "12\v", "\f12", "1234 567",
        "1 23", "1 2345", "1  234", "1 234 56", "1 234_567", "1 234,567 890", "1\t234",
        // signs out of place; euro signs alone, twice, too far or inside; other currencies
        "- 12", "12-", "+-12", "-~ 12", "~ ", "~~12", "~12~", "12  ~", "~  12", "12\t~", "~\t12",
        "12 _~", "1~2", "~,", "12 F", "12\xA3", "12\0"s, "\0 12"s,
        // too large for a double
        "18" + std::string(307, '0'), "-" + std::string(400, '9')};
    for (const std::string& texte : refus) {
        const std::string t = Ansi(texte);
        EXPECT_EQ(ErreurLevee([&t] { (void)LireNombre(t); }), ErrType) << AnsiVersUtf8(t);
    }
}

// Amounts as other programs write them, in UTF-8, taken in at the edge as the clipboard, the
// text boxes and the command line take them: ICU and browsers group French digits with narrow
// no-break spaces (U+202F) and put one before the euro sign; others use the thin space or the
// figure space; typographers write the minus sign U+2212; a terminal adds a line break.
TEST(ConversionsLire, AmountsAsProgramsWriteThem) {
    const struct {
        const char* utf8;
        std::optional<double> valeur;
    } cas[] = {
        {"1\u202F234,56\u00A0\u20AC", 1234.56}, // Intl.NumberFormat('fr-FR', EUR)
        {"45,90\u202F\u20AC", 45.9},
        {"12\u2009345\u2009678", 12345678.0},
        {"\u20AC\u20071\u2007234", 1234.0},
        {"\u22121\u202F234,5", -1234.5},
        {"1\u202F234,56\n", 1234.56},
        {"\u2212\u202F12", std::nullopt}, // a sign stays against its number
        {"1\u202F\u202F234", std::nullopt},
        {"1\u2060234", std::nullopt}, // a word joiner is no blank
        {"1\u202F23", std::nullopt},
        {"12\u00A0\u202F\u20AC", std::nullopt},
    };
    for (const auto& c : cas) {
        const std::string lu = NormaliserMontant(Utf8VersAnsiApproche(c.utf8));
        EXPECT_EQ(EssayerLireNombre(lu), c.valeur) << c.utf8;
    }
}

// The C library's %.15g has the same 15 digits and exponent thresholds; each decade is tried
// with a mantissa that rounds to one digit, one that carries and one that keeps 15 digits.
TEST(ConversionsEcrire, AgreesWithTheCLibraryOverEveryMagnitude) {
    for (int e = -324; e <= 308; ++e) {
        for (const char* m : {"1", "-1.5", "9.999999999999999", "-1.2345678901234567"}) {
            char texte[64];
            std::snprintf(texte, sizeof texte, "%se%d", m, e);
            const double v = std::strtod(texte, nullptr);
            if (v == 0.0 || !std::isfinite(v)) {
                continue;
            }
            std::snprintf(texte, sizeof texte, "%.15g", v);
            std::string attendu = texte;
            std::replace(attendu.begin(), attendu.end(), '.', ',');
            std::replace(attendu.begin(), attendu.end(), 'e', 'E');
            EXPECT_EQ(EcrireNombre(v), attendu) << v;
        }
    }
}

TEST(ConversionsArrondir, HalvesGoToTheEvenCentWhateverTheRoundingMode) {
    const std::pair<double, double> cas[] = {{0.125, 0.12},   {0.375, 0.38},    {-0.125, -0.12},
                                             {-0.375, -0.38}, {15.2449, 15.24}, {15.245001, 15.25},
                                             {0.004, 0.0},    {-0.006, -0.01},  {1e15, 1e15}};
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        for (const auto& [valeur, attendu] : cas) {
            std::fesetround(mode);
            const double a = Arrondir(valeur);
            std::fesetround(FE_TONEAREST);
            // The final division by 100 may land one step away; the cent must not.
            EXPECT_NEAR(a, attendu, 1e-9) << valeur << " " << mode;
        }
    }
}

TEST(ConversionsArrondir, OverflowAndNonFiniteValuesAreError6) {
    EXPECT_EQ(ErreurLevee([] { (void)Arrondir(1e306); }), 0);
    for (double v : {1e307, -1e307, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        EXPECT_EQ(ErreurLevee([v] { (void)Arrondir(v); }), ErrDepassement) << v;
        EXPECT_EQ(ErreurLevee([v] { (void)EcrireNombre(v); }),
                  std::isfinite(v) ? 0 : ErrDepassement)
            << v;
    }
}

// Each row: amount, rate, then the six figures (euros, francs, tax, before tax, with tax,
// reduction) joined by '|', with '-' for a figure left absent.
TEST(ConversionsCalculer, Table) {
    const std::string grand = "1" + std::string(306, '0');
    const std::vector<std::vector<std::string>> cas = {
        {"100", "19,6", "15,24|655,96|19,6|83,61|119,6|80,4"},
        {"-0", "19,6", "0|0|0|0|0|0"},
        {"12,50 \x80", "19,6", "1,91|81,99|2,45|10,45|14,95|10,05"},
        {"100", "19.6", "15,24|655,96|-|-|-|-"},
        {"100", "-100", "15,24|655,96|-100|-|0|200"},
        // 0 / 0 in the amount before tax; the tax is -0 and writes as 0
        {"0", "-100", "0|0|0|-|0|0"},
        // overflow of the amount times the rate of the franc only
        {grand, "19,6",
         "1,5244901723741E+305|-|1,96E+305|8,36120401337793E+305|1,196E+306|8,04E+305"},
        // overflow in the rate's products, not in its quotient
        {"100", grand + "0", "15,24|655,96|-|0|-|-"},
        {grand + "00", "19,6", "-|-|-|-|-|-"}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c[0].substr(0, 20) + " / " + c[1].substr(0, 20));
        const Conversions r = CalculerConversions(c[0], c[1]);
        std::string figures;
        for (const auto& f : {r.euros, r.francs, r.tva, r.montantHT, r.montantTTC, r.reduction}) {
            figures += (figures.empty() ? "" : "|") + f.value_or("-");
        }
        EXPECT_EQ(figures, c[2]);
    }
}

} // namespace
