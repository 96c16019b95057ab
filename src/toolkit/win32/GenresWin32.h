// How the Win32 face makes and speaks to each kind of control: one description per kind, in one
// table indexed by Genre.
#pragma once

#include "forms/Conception.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace monvalor {

class ControleWin32;

// No notification of the control means that.
inline constexpr UINT kJamais = 0xFFFFFFFF;
// A progress bar counts in ten-thousandths of its maximum.
inline constexpr int EchelleProgressionWin32 = 10000;

struct GenreWin32 {
    Genre genre;
    const wchar_t* classe; // the system's window class; nullptr: no window (a timer)
    DWORD style;           // besides WS_CHILD | WS_CLIPSIBLINGS, the state's and the group's
    DWORD etendu;
    bool legende;         // made with its caption or text as window text
    UINT clic;            // the notification that is a click, or kJamais
    UINT change;          // the notification that is a change, or kJamais
    int hauteur;          // pixels at 96 to the inch; 0: the design's (a combo's is its list's)
    bool voitAvantClasse; // the form sees its messages before its class does
    // What the design adds to the style; `nommeUneBoite`: a label whose mnemonic is its box's.
    DWORD (*variante)(const ConceptionControle& c, bool nommeUneBoite);
    // What the window needs once made: its limits, buttons, columns, list, range.
    void (*preparer)(ControleWin32& c, std::size_t position, int largeur);
    // A toolbar button's tip or a list view's column header, by position; nullptr: no keys.
    void (*definirCle)(ControleWin32& c, std::size_t position, const std::wstring& texte);
};

const GenreWin32& DescriptionWin32(Genre genre);

// Whether the form looks at the control's messages before its own class does.
bool VoitAvantClasse(const ConceptionControle& c);
// The control's height in pixels at `dpi`, for its designed height in pixels.
int HauteurPixels(const ConceptionControle& c, int hauteurDessinee, int dpi);
// The room, in pixels, the control's caption takes in its font, with what the system draws
// around it (a button's edges, a check box's box); a caption that wraps, the height it needs at
// `largeur`. Zero for a kind without a caption.
SIZE PlaceLegendeWin32(HWND h, const ConceptionControle& c, int largeur, int dpi);

} // namespace monvalor
