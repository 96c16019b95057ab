#include "toolkit/win32/FenetreMessages.h"

#include <utility>

namespace monvalor {

FenetreMessages::FenetreMessages(const wchar_t* classe, Traitement traitement)
    : traitement_(std::move(traitement)) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &FenetreMessages::Procedure;
    description.hInstance = module;
    description.lpszClassName = classe;
    RegisterClassExW(&description); // a second window of the class finds it registered
    fenetre_ = CreateWindowExW(0, classe, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this);
}

FenetreMessages::~FenetreMessages() {
    if (fenetre_) {
        SetWindowLongPtrW(fenetre_, GWLP_USERDATA, 0);
        DestroyWindow(fenetre_);
    }
}

LRESULT CALLBACK FenetreMessages::Procedure(HWND fenetre, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(l);
        SetWindowLongPtrW(fenetre, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* soi = reinterpret_cast<FenetreMessages*>(GetWindowLongPtrW(fenetre, GWLP_USERDATA));
    if (soi != nullptr && soi->traitement_ && soi->traitement_(message, w, l)) {
        return 0;
    }
    return DefWindowProcW(fenetre, message, w, l);
}

} // namespace monvalor
