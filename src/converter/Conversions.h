// The arithmetic of the converter: how an amount text is recognised and read, how the six
// figures of the main window are computed from it and the rate, and how numbers are written
// back. Texts are Windows-1252 bytes; numbers follow the French regional format (decimal
// comma). Nothing here touches a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// Francs per euro: the double nearest to 6.55957.
inline constexpr double TauxEuro = 6.55957;

// Every "." becomes ","; nothing else changes (no trimming, no removal of signs or letters).
std::string NormaliserMontant(std::string_view texte);

// Reading rule shared by EstMontant, LireNombre and EssayerLireNombre (they never disagree):
//
//   [white] [euro [blank]] [sign] number [[blank] euro] [white]
//
//   white   any run of space, no-break space (U+00A0), tab, CR or LF;
//   blank   one space or one no-break space;
//   euro    the euro sign €, at most once in the whole text, before or after the number;
//   sign    "+" or "-", directly against the number: "-12,50 €", "€-12,50" and
//           "€ -12,50" read, "-€ 12,50", "- 12" and "12-" do not;
//   number  integer digits, then optionally "," and fraction digits, with at least one digit
//           in all ("5", "5,", ",5", "+,5"). The integer digits may be grouped by threes:
//           a first group of 1 to 3 digits, then groups of exactly 3 digits, each preceded by
//           the same separator, a space or a no-break space ("1 234,56", "12 345 678").
//
// No exponent, no hexadecimal, no point as decimal separator. Digit strings may be of any
// length and are rounded correctly to the nearest double. A value too large for a double
// does not read; a value too small for one reads as zero.
bool EstMontant(std::string_view texte);

// The number the text holds; Erreur(13) when it does not read.
double LireNombre(std::string_view texte);

// The same reading without an exception.
std::optional<double> EssayerLireNombre(std::string_view texte);

// Shortest text giving the value to 15 significant digits: "," as decimal separator, no
// grouping, no trailing zeros, "-" for negatives, never "-0". Magnitudes from 1E+15 up and
// below 0,0001 are written with an exponent: "1,5E+16", "1E-05". Erreur(6) for an infinite
// or NaN value.
std::string EcrireNombre(double valeur);

// Rounds to the cent, an exact half going to the even cent; Erreur(6) when the value times
// 100 overflows (or the value is not finite).
double Arrondir(double valeur);

// The six figures of the main window, in the order of its boxes. An absent entry means that
// its computation failed and the box keeps its text.
struct Conversions {
    std::optional<std::string> euros;      // txtEuros:      M / TauxEuro
    std::optional<std::string> francs;     // txtFrancs:     M x TauxEuro
    std::optional<std::string> tva;        // txtTVA:        (T x M) / 100
    std::optional<std::string> montantHT;  // txtMontantHT:  M / ((T / 100) + 1)
    std::optional<std::string> montantTTC; // txtMontantTTC: ((T / 100) + 1) x M
    std::optional<std::string> reduction;  // txtRéduction:  (1 - (T / 100)) x M
};

// M is the amount text, T the rate text (a percentage), both read with LireNombre. Each
// figure is computed on its own, rounded with Arrondir and written with EcrireNombre; a
// text that does not read, a division by zero, an overflow or 0/0 leaves that figure absent.
Conversions CalculerConversions(std::string_view montant, std::string_view taux);

} // namespace monvalor
