#pragma once

namespace monvalor {

// The whole start of the program: command line, display check, single instance, main window.
int Demarrer(int argc, char** argv);

} // namespace monvalor
