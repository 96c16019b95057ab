// Base64 codec (standard alphabet, "=" padding, no line breaks), with helpers to cut encoded
// text into fixed-length lines and join them back, and to move bytes between texts and files.
//
// Every operation hands its result back through an out-parameter, which is sized once, at
// its final size, before it is filled: after a failure it keeps whatever it had reached.
// Failures are monvalor::Erreur (9 for an index outside an array, 5 for a line without its
// separator, 53/75 for files).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

class clsB64 {
public:
    using Octets = std::vector<std::uint8_t>;
    using Lignes = std::vector<std::string>;

    // Fills the lookup tables. Until it has run, Encode writes zero bytes where characters
    // belong and Decode yields zero bytes. Running it again changes nothing.
    void Init();

    // Every byte of the file (path in Windows-1252). 53 when it does not exist, in which case
    // aryOut is left alone; 75 when it cannot be read.
    void Load(const std::string& strPathName, Octets& aryOut) const;
    // Writes the bytes as the whole new content of the file, creating it when needed.
    void Save(const Octets& aryIn, const std::string& strPathName) const;

    // A Windows-1252 text is its bytes: these are plain copies.
    void StrToAry(std::string_view strIn, Octets& aryOut) const;
    void AryToStr(const Octets& aryIn, std::string& strOut) const;

    // 4 * ceil(n / 3) characters, one byte each. An empty input gives an empty output.
    void Encode(const Octets& aryIn, Octets& aryOut) const;
    // Only the last two characters are looked at for padding; every other character takes its
    // place in its group of four, a character outside the alphabet counting as "A". An input
    // whose groups do not come out whole fails with 9 after the whole groups are decoded.
    void Decode(const Octets& aryIn, Octets& aryOut) const;

    // Cuts the bytes into lines of SpanSize characters (the last one may be shorter), each
    // followed by SpanSeparator. A SpanSize of 0 means 76 and is stored back; a negative one
    // fails with 9.
    void Span(const Octets& aryIn, Lignes& aryOut, std::int16_t& SpanSize,
              std::string_view SpanSeparator) const;
    // Joins lines made by Span. Of each line only what stands before the first separator
    // counts (5 when a line lacks it); a full line shorter than SpanSize fails with 9.
    void Unspan(const Lignes& aryIn, Octets& aryOut, std::int16_t& SpanSize,
                std::string_view SpanSeparator) const;

private:
    std::array<std::uint8_t, 64> aryEncode{};
    std::array<std::uint8_t, 256> aryDecode{};
};

} // namespace monvalor
