#include "toolkit/win32/FonctionsRecentes.h"

namespace monvalor {

namespace {

// The function of user32 with the type of the SDK's own declaration, or null where this
// Windows has none. (user32 is in every program that has windows; no reference is taken.)
template <typename F> F DansUser32(const char* nom) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) {
        return nullptr;
    }
    // Through the generic function type, which any function pointer converts to and from.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(user32, nom)));
}

// By the SDK's own name for it, so that the name looked up is the one declared.
#define RECENTE(fonction) DansUser32<decltype(&fonction)>(#fonction)

} // namespace

UINT DpiSystemeAncien() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc != nullptr) {
        ReleaseDC(nullptr, dc);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int MesureSystemeAncienne(int index, UINT dpi) {
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi),
                  static_cast<int>(DpiSystemeAncien()));
}

UINT DpiSysteme() {
    static const auto recente = RECENTE(GetDpiForSystem);
    const UINT dpi = recente != nullptr ? recente() : 0;
    return dpi != 0 ? dpi : DpiSystemeAncien();
}

UINT DpiFenetre(HWND hwnd) {
    static const auto recente = RECENTE(GetDpiForWindow);
    const UINT dpi = recente != nullptr && hwnd != nullptr ? recente(hwnd) : 0;
    return dpi != 0 ? dpi : DpiSysteme();
}

int MesureSysteme(int index, UINT dpi) {
    static const auto recente = RECENTE(GetSystemMetricsForDpi);
    return recente != nullptr ? recente(index, dpi) : MesureSystemeAncienne(index, dpi);
}

void DeclarerDpiParEcran() {
    static const auto recente = RECENTE(SetProcessDpiAwarenessContext);
    if (recente != nullptr) {
        recente(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    } else {
        SetProcessDPIAware();
    }
}

} // namespace monvalor
