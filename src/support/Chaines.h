// Text routines shared by the support library. Texts are Windows-1252 bytes; positions count
// from 1. Failures are monvalor::Erreur.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// Lower-case form of a Windows-1252 character: ASCII letters, the accented capitals
// 0xC0..0xDE (but not the multiplication sign 0xD7), and the capitals the code page keeps
// elsewhere (0x8A, 0x8C, 0x8E, 0x9F). Any other byte comes back unchanged.
constexpr unsigned char MinusculeAnsi(unsigned char c) noexcept {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<unsigned char>(c + 0x20);
    }
    switch (c) {
    case 0x8A: // S caron
    case 0x8C: // OE ligature
    case 0x8E: // Z caron
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Y diaeresis
        return 0xFF;
    default:
        return c;
    }
}

// Replaces, in place, every occurrence of `recherche` by `remplacement`, scanning from left to
// right without overlap and never searching the replacement again. Without `casseExacte` the
// comparison ignores letter case (see MinusculeAnsi). An empty `recherche` changes nothing.
void Remplacer(std::string& texte, std::string_view recherche, std::string_view remplacement,
               bool casseExacte);

// Characters `premier` to `dernier`, both included, cut short at the end of the text. Error 5
// when `premier` < 1 or `dernier` < `premier` - 1.
std::string Extraire(std::string_view texte, std::int32_t premier, std::int32_t dernier);

// The pieces of a split text, numbered from 1 to UBound(). An empty text gives no pieces: a
// single empty element at index 0, so LBound() == UBound() == 0 and a loop from 1 to UBound()
// visits nothing. Iteration (begin/end) goes over the pieces only.
class TableauChaines {
public:
    TableauChaines();

    int LBound() const noexcept { return base_; }
    int UBound() const noexcept { return base_ + static_cast<int>(elements_.size()) - 1; }

    // Error 9 outside LBound()..UBound().
    const std::string& operator[](int i) const;
    std::string& operator[](int i);

    using const_iterator = std::vector<std::string>::const_iterator;
    using iterator = std::vector<std::string>::iterator;
    const_iterator begin() const noexcept { return elements_.begin() + (1 - base_); }
    const_iterator end() const noexcept { return elements_.end(); }
    iterator begin() noexcept { return elements_.begin() + (1 - base_); }
    iterator end() noexcept { return elements_.end(); }

private:
    friend void Scinder(TableauChaines& tableau, std::string_view texte,
                        std::string_view separateur);

    std::size_t Position(int i) const;

    std::vector<std::string> elements_; // index LBound() first
    int base_ = 0;
};

// Splits `texte` at every occurrence of `separateur` (exact comparison, left to right, no
// overlap); an empty separator means the tab character. Empty pieces are kept: "a,,b" gives
// "a", "", "b" and "a," gives "a", "".
void Scinder(TableauChaines& tableau, std::string_view texte, std::string_view separateur);
TableauChaines Scinder(std::string_view texte, std::string_view separateur);

// The characters in reverse order.
std::string Inverser(std::string_view texte);

// Symmetric scrambling: each character is XORed with a mask made of two neighbouring key
// characters chosen by its position, so applying it twice with the same key gives the text
// back. Error 6 for a text or key longer than 32,767 characters; then, for a non-empty text,
// error 11 for an empty key and 5 for a key of one character.
std::string Brouiller(std::string_view texte, std::string_view cle);

// Base64 of a text and back (one line, "=" padding). An empty text gives an empty text;
// errors of the codec come through unchanged.
std::string EncodeB64(std::string_view texte);
std::string DecodeB64(std::string_view texte);

// How much of a text a message box, a label or a tip shows: lines, characters on a line, and
// characters in all (line ends included). Enough for any message of ours, little enough that a
// text from a server or a language file fits the screen.
struct BornesAffichage {
    std::size_t lignes = 25;
    std::size_t colonnes = 200;
    std::size_t total = 2000;
};

// The text as it may be shown: control characters other than TAB, CR and LF are dropped (with
// DEL and the five bytes Windows-1252 leaves undefined, which the faces would show as C1
// controls); CR LF, a lone CR and a lone LF each end a line and stay as they were. A line
// longer than the bounds keeps its first characters, the last shown being "\x85" (the
// ellipsis); past the last line or the total, the text ends with the ellipsis. Bounds of at
// least 1 each.
std::string BornerPourAffichage(std::string_view texte, const BornesAffichage& bornes = {});

// Value of a string of hexadecimal digits, without prefix or sign; empty gives 0. Error 13
// for a character that is not a hexadecimal digit, 6 for a value above 2,147,483,647 or a
// text longer than 32,767 characters.
std::int32_t ValeurHexa(std::string_view texte);

} // namespace monvalor
