// Reads a clipboard reader of ours (SelectionX11, SelectionWayland) as the program does: a read
// is asked, then the event loop waits on the reader's descriptor. The other readers given are
// served meanwhile, as other programs' event loops would be.
#pragma once

#include <poll.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>

namespace monvalor::test {

template <typename Selection>
std::optional<std::string> LireEnAttendant(Selection& s, std::chrono::milliseconds limite,
                                           std::initializer_list<Selection*> autres = {}) {
    const auto fin = Selection::Horloge::now() + limite;
    while (Selection::Horloge::now() < fin) {
        if (s.AChange()) {
            if (std::optional<std::string> texte = s.Lire()) {
                return texte;
            }
        }
        pollfd p{s.Descripteur(), POLLIN, 0};
        poll(&p, 1, 5);
        s.Traiter();
        for (Selection* autre : autres) {
            autre->Traiter();
        }
    }
    return std::nullopt;
}

} // namespace monvalor::test
