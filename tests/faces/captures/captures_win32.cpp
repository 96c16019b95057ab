// Shows one window of the program as the Win32 face builds it, at the screen's corner, prints
// its rectangle ("left top width height") and stays until it is killed, so that a script can
// take the screen's picture of it: captures_win32 frmNom (under Wine, on an X server).
#include "about/frmAbout.h"
#include "about/frmSock.h"
#include "converter/frmConvertisseur.h"
#include "dialogs/frmRepertoire.h"
#include "toolkit/win32/FormeWin32.h"

#include <windows.h>

#include <cstdio>
#include <string_view>

using namespace monvalor;

namespace {
struct Muet final : IRecepteur {
    void Recevoir(std::string_view, int, Evenement) override {}
};
} // namespace

int main(int argc, char** argv) {
    for (const ConceptionFenetre* t :
         {&ConceptionConvertisseur, &ConceptionAbout, &ConceptionSock, &ConceptionRepertoire}) {
        if (argc != 2 || t->nom != std::string_view(argv[1])) {
            continue;
        }
        Muet recepteur;
        VueWin32 vue(*t, recepteur);
        SetWindowPos(vue.Form(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        vue.Montrer();
        RECT r;
        GetWindowRect(vue.Form(), &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fflush(stdout);
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        return 0;
    }
    return 2;
}
