// Monvalor: converts the amounts copied to the clipboard (francs and euros, tax, before and
// with tax, reduction).
#include "app/Demarrage.h"

int main(int argc, char** argv) {
    return monvalor::Demarrer(argc, argv);
}
