// Base64 throughput of clsB64 against OpenSSL's block functions, measured in the same run on
// the same buffers. Figures are MB/s of plain bytes (encoded in, or decoded out), best of
// several rounds.
#include "support/clsB64.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#ifdef MONVALOR_HAVE_OPENSSL
#include <openssl/evp.h>
#endif

using monvalor::clsB64;
using Horloge = std::chrono::steady_clock;

namespace {

constexpr double kMo = 1e6;

// Seconds of one call of `f`, averaged over `passes` calls.
template <class F> double Temps(int passes, F&& f) {
    const auto debut = Horloge::now();
    for (int p = 0; p < passes; ++p) {
        f();
    }
    const std::chrono::duration<double> duree = Horloge::now() - debut;
    return duree.count() / passes;
}

struct Mesure {
    double encode = 0;
    double decode = 0;
};

void Afficher(const char* quoi, std::size_t taille, const Mesure& m) {
    std::printf("%-8s %6zu MiB   encode %9.1f MB/s   decode %9.1f MB/s\n", quoi, taille >> 20,
                m.encode, m.decode);
}

} // namespace

int main() {
    std::mt19937_64 gen(1);
    int echecs = 0;
    for (const std::size_t taille : {std::size_t{1} << 20, std::size_t{64} << 20}) {
        clsB64::Octets clair(taille);
        for (auto& o : clair) {
            o = static_cast<std::uint8_t>(gen());
        }
        const int passes = taille <= (std::size_t{1} << 20) ? 100 : 2;
        const int tours = 9;

        clsB64 b;
        b.Init();
        clsB64::Octets code;
        clsB64::Octets retour;
        b.Encode(clair, code);
#ifdef MONVALOR_HAVE_OPENSSL
        std::vector<unsigned char> codeSsl(code.size() + 1);
        std::vector<unsigned char> retourSsl(code.size());
        const int n = static_cast<int>(taille);
        const int nCode = static_cast<int>(code.size());
        int decodes = 0;
#endif
        // The rounds alternate between the two codecs so that a busy machine slows both alike;
        // the best round of each counts.
        double nousEncode = 1e300, nousDecode = 1e300;
        [[maybe_unused]] double sslEncode = 1e300, sslDecode = 1e300;
        for (int t = 0; t < tours; ++t) {
            nousEncode = std::min(nousEncode, Temps(passes, [&] { b.Encode(clair, code); }));
            nousDecode = std::min(nousDecode, Temps(passes, [&] { b.Decode(code, retour); }));
#ifdef MONVALOR_HAVE_OPENSSL
            sslEncode =
                std::min(sslEncode,
                         Temps(passes, [&] { EVP_EncodeBlock(codeSsl.data(), clair.data(), n); }));
            sslDecode = std::min(sslDecode, Temps(passes, [&] {
                                     decodes =
                                         EVP_DecodeBlock(retourSsl.data(), codeSsl.data(), nCode);
                                 }));
#endif
        }
        if (retour != clair) {
            std::printf("clsB64 round trip FAILED\n");
            ++echecs;
        }
        const Mesure nous{taille / kMo / nousEncode, taille / kMo / nousDecode};
        Afficher("clsB64", taille, nous);

#ifdef MONVALOR_HAVE_OPENSSL
        if (std::memcmp(codeSsl.data(), code.data(), code.size()) != 0 ||
            decodes < static_cast<int>(taille) ||
            std::memcmp(retourSsl.data(), clair.data(), taille) != 0) {
            std::printf("OpenSSL and clsB64 DISAGREE\n");
            ++echecs;
        }
        const Mesure ssl{taille / kMo / sslEncode, taille / kMo / sslDecode};
        Afficher("OpenSSL", taille, ssl);
        std::printf("ratio clsB64/OpenSSL   encode %.2fx   decode %.2fx\n\n",
                    nous.encode / ssl.encode, nous.decode / ssl.decode);
#else
        std::printf("(OpenSSL not available: no reference figures)\n\n");
#endif
    }
    return echecs == 0 ? 0 : 1;
}
