// The text model: in the core a text is a std::string of Windows-1252 bytes, one byte per
// character. These conversions are used only at the edges (widgets, clipboard, paths handed
// to the OS, process arguments, files saved as UTF-8 by Linux users).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// Windows-1252 bytes to UTF-8. The five code points Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so the round trip is exact.
std::string AnsiVersUtf8(std::string_view ansi);

// UTF-8 to Windows-1252; nullopt when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot represent.
std::optional<std::string> Utf8VersAnsi(std::string_view utf8);

// Unicode code point of a Windows-1252 byte.
char32_t CodeUnicode(unsigned char octet);
// Windows-1252 byte of a code point, or -1 when it has none.
int OctetAnsi(char32_t code);

// True when the bytes are valid UTF-8 and hold at least one multi-byte sequence, the sign that
// a file was saved as UTF-8 rather than Windows-1252.
bool ResembleUtf8(std::string_view octets);

// Decodes the contents of a text file: a UTF-8 BOM, or valid UTF-8 with non-ASCII characters
// that all fit Windows-1252, is decoded to Windows-1252; anything else is taken as
// Windows-1252 already. `etaitUtf8` tells the caller which, so it can write back alike.
std::string DecoderFichierTexte(std::string_view octets, bool* etaitUtf8 = nullptr,
                                bool* avaitBom = nullptr);

} // namespace monvalor
