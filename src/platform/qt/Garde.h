// The last handler: an error that no procedure handles shows its description in a message box
// and ends the program.
#pragma once

#include "platform/Services.h"
#include "support/Erreur.h"

#include <exception>
#include <new>

namespace monvalor {

void SignalerErreurFatale(const std::string& description);

template <typename F> void SansErreurNonTraitee(F&& f) {
    try {
        f();
    } catch (const Erreur& e) {
        SignalerErreurFatale(e.Description());
    } catch (const std::bad_alloc&) {
        SignalerErreurFatale(DescriptionErreur(7));
    } catch (const std::exception& e) {
        SignalerErreurFatale(e.what());
    }
}

} // namespace monvalor
