// Which runtime error a call raises.
#pragma once

#include "support/Erreur.h"

namespace monvalor::test {

// Runs `f` and returns the number of the Erreur it raised, or 0 when it raised none.
template <class F> int ErreurLevee(F&& f) {
    try {
        f();
    } catch (const Erreur& e) {
        return e.Numero();
    }
    return 0;
}

} // namespace monvalor::test
