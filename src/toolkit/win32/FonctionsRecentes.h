// The functions of Windows versions after 7 SP1 that the program uses, found when it runs: on
// an older system, what that system does instead. The program imports none of them, so that
// it starts at all there (tests/wine/importations.sh reads its import table).
#pragma once

#include <windows.h>

namespace monvalor {

// The pixels per inch a window is drawn at; before Windows 10 1607, the whole system's.
UINT DpiFenetre(HWND hwnd);
UINT DpiSysteme();
// A system measure (SM_CXICON...) for a window drawn at the given pixels per inch.
int MesureSysteme(int index, UINT dpi);
// The process draws at each monitor's own pixels (Windows 10 1703); before, at the system's,
// unless its manifest already asked for more.
void DeclarerDpiParEcran();

// What the older systems give: the screen's pixels per inch, and the system measure scaled
// from them. (Under a system that has the newer functions, tests compare both.)
UINT DpiSystemeAncien();
int MesureSystemeAncienne(int index, UINT dpi);

} // namespace monvalor
