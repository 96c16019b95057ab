// What the product's site announces about the latest version, once the announcement's own
// signature has verified: three or more lines, readable by a person, ended by CR LF:
//
//     Version 1.3.2
//     https://monvalor.example/1.3.2/MonvalorUpdate.exe#sha256=<64 hex digits>
//     the message put to the user, one line each
//
// The fragment after the updater's address binds it to exactly one file: its bytes' SHA-256.
// It is never sent to the server.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

// The most an announcement may weigh; anything longer is not one.
inline constexpr std::size_t MaxAnnonce = 64 * 1024;

struct Annonce {
    std::string version;   // line 1, as written ("Version 1.3.2")
    std::string adresse;   // the updater's address, without the fragment
    std::string empreinte; // the SHA-256 its bytes must have (32 bytes)
    std::string message;   // lines 3 and after, CR LF after each
};

// The announcement in the text, lines cut at CR LF (one trailing empty line dropped); nullopt
// when it has fewer than three lines or line 2 is not an https address with its digest.
std::optional<Annonce> LireAnnonce(std::string_view texte);

// The signature published beside a file: Base64, blanks and line ends allowed; "" when the
// text is not Base64.
std::string DecoderSignature(std::string_view texte);

} // namespace monvalor
