// The public half of the key the updates are signed with (ECDSA P-256). The private half never
// enters the repository: it stays with whoever publishes the updates.
#pragma once

#include <string_view>

namespace monvalor {

inline constexpr std::string_view CleMiseAJour =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEYzK7wdsp1U1WTxmb6SbnXLT454qP\n"
    "eU2jvKDtxUKhVgH4ufflg5xF4euTt31ALZMQO4Al5XMa8lyTDamdal4wHQ==\n"
    "-----END PUBLIC KEY-----\n";

} // namespace monvalor
