// A link of the designs on the Win32 face: a static control that Tab reaches, that Space opens
// (Enter comes through the form's default button, which the core's rules make the link), that
// shows when it has the focus, and that screen readers call a link.
#pragma once

#include <windows.h>

namespace monvalor {

class ControleWin32;

// Makes the control's window, a label already made, a link; its clicks go to the control.
void PreparerLien(ControleWin32& c);

} // namespace monvalor
