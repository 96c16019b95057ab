// Owners of the system's handles: each frees its handle once, when it goes out of scope or
// takes another, so no path (an early return, an exception) forgets one.
#pragma once

#include <windows.h>
// (after windows.h, which they need)
#include <wincrypt.h>
#include <winhttp.h>

#include <utility>

namespace monvalor {

template <typename T, auto Liberer> class Poignee {
public:
    Poignee() = default;
    explicit Poignee(T h) noexcept : h_(h) {}
    ~Poignee() { Reinitialiser(); }
    Poignee(Poignee&& autre) noexcept : h_(autre.Lacher()) {}
    Poignee& operator=(Poignee&& autre) noexcept {
        Reinitialiser(autre.Lacher());
        return *this;
    }
    Poignee(const Poignee&) = delete;
    Poignee& operator=(const Poignee&) = delete;

    T Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    // Gives the handle up without freeing it.
    T Lacher() noexcept { return std::exchange(h_, nullptr); }
    // Frees the handle held, if any, and holds `h`.
    void Reinitialiser(T h = nullptr) noexcept {
        if (T ancien = std::exchange(h_, h); ancien != nullptr && ancien != h) {
            Liberer(ancien);
        }
    }

private:
    T h_ = nullptr;
};

namespace detail {
inline void LibererObjetGdi(HGDIOBJ h) noexcept {
    DeleteObject(h);
}
inline void LibererIcone(HICON h) noexcept {
    DestroyIcon(h);
}
inline void LibererInternet(HINTERNET h) noexcept {
    WinHttpCloseHandle(h);
}
inline void LibererMagasin(HCERTSTORE h) noexcept {
    CertCloseStore(h, 0);
}
} // namespace detail

using PoliceGdi = Poignee<HFONT, &detail::LibererObjetGdi>;
using PinceauGdi = Poignee<HBRUSH, &detail::LibererObjetGdi>;
using Icone = Poignee<HICON, &detail::LibererIcone>;
using PoigneeInternet = Poignee<HINTERNET, &detail::LibererInternet>;
using MagasinCertificats = Poignee<HCERTSTORE, &detail::LibererMagasin>;

} // namespace monvalor
