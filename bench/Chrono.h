// Timing loops shared by the benchmarks.
#pragma once

#include <chrono>

namespace monvalor::banc {

using Horloge = std::chrono::steady_clock;

// Mean time of one call over n calls, after a tenth of that as warm-up.
template <typename F> double MicrosecondesParAppel(int n, F&& f) {
    for (int i = 0; i < n / 10; ++i) {
        f();
    }
    const auto debut = Horloge::now();
    for (int i = 0; i < n; ++i) {
        f();
    }
    const std::chrono::duration<double, std::micro> duree = Horloge::now() - debut;
    return duree.count() / n;
}

} // namespace monvalor::banc
