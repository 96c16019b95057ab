// Whether bytes come from whoever holds a key: the signature check of the updates, done with
// the system's own cryptography (OpenSSL here, CNG on Windows).
#pragma once

#include <string>
#include <string_view>

namespace monvalor {

// True when `signature` (DER) is a valid ECDSA P-256 / SHA-256 signature of the bytes by the
// public key (PEM text). A key of another kind, or anything malformed, gives false. Never
// throws.
bool SignatureValable(std::string_view octets, std::string_view signature,
                      std::string_view clePem) noexcept;

// The SHA-256 digest of the bytes (32 bytes); "" only when the system cannot compute it.
std::string Sha256(std::string_view octets);

} // namespace monvalor
