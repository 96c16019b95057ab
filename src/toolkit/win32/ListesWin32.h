// The drive list and the folder list of the Win32 face: the system's combo box and owner-drawn
// list box, drawing what their toolkit-free models hold and handing the user's picks to them.
#pragma once

#include "forms/Conception.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace monvalor {

class ListeWin32 {
public:
    virtual ~ListeWin32() = default;
    // The chosen drive, or the current folder's path.
    virtual std::string Valeur() const = 0;
    // A value that cannot be reached throws, and the list keeps what it had.
    virtual void DefinirValeur(const std::string& valeur) = 0;
    // A notification of the list's window (WM_COMMAND).
    virtual void Commande(UINT code) = 0;
    // Laid out again for a monitor of `dpi` pixels to the inch.
    virtual void Disposer(int dpi) = 0;
    // Draws one entry (WM_DRAWITEM); false when the list draws none itself.
    virtual bool Dessiner(const DRAWITEMSTRUCT& dessin, int dpi) = 0;
    // Sees a message of its window before the window's class does; true when it took it.
    virtual bool Intercepter(UINT message, WPARAM w, LPARAM l, LRESULT& resultat) = 0;
};

// The list of that kind in its window. `changement` is told after each change of its value;
// `vivant` turns false when the form is gone, which a change may bring about.
std::unique_ptr<ListeWin32> CreerListeWin32(Genre genre, HWND hwnd,
                                            std::function<void()> changement,
                                            std::shared_ptr<bool> vivant);

// The height of an entry of the folder list, in pixels at `dpi`.
int HauteurEntreeDossier(int dpi);

} // namespace monvalor
