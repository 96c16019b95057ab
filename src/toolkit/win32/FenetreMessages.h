// A hidden window that only receives messages (HWND_MESSAGE): what the clipboard listener and
// the transfers use to be called back on the thread of the window loop.
#pragma once

#include <windows.h>

#include <functional>

namespace monvalor {

class FenetreMessages {
public:
    // Returns true when it handled the message (the window then answers 0); false leaves it to
    // the system.
    using Traitement = std::function<bool(UINT message, WPARAM w, LPARAM l)>;

    // `classe` names the window class, registered on first use.
    FenetreMessages(const wchar_t* classe, Traitement traitement);
    // Messages still queued for the window are dropped with it.
    ~FenetreMessages();
    FenetreMessages(const FenetreMessages&) = delete;
    FenetreMessages& operator=(const FenetreMessages&) = delete;

    // Null when the system could not make the window.
    HWND Get() const noexcept { return fenetre_; }
    explicit operator bool() const noexcept { return fenetre_ != nullptr; }

private:
    static LRESULT CALLBACK Procedure(HWND fenetre, UINT message, WPARAM w, LPARAM l);

    Traitement traitement_;
    HWND fenetre_ = nullptr;
};

} // namespace monvalor
