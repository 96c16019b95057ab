// Opens one of the choosers as a window of Monvalor would, then prints what came back, one
// "name=value" line each, in UTF-8:
//   choisisseurs repertoire [START]
#include "dialogs/frmRepertoire.h"
#include "platform/Services.h"
#include "platform/ServicesSysteme.h"
#include "support/Ansi.h"
#include "toolkit/qt/ServicesQt.h"

#include <QApplication>

#include <iostream>
#include <string>

using namespace monvalor;

namespace {

std::string Ansi(const char* utf8) {
    return Utf8VersAnsi(utf8 ? utf8 : "").value_or(std::string());
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InstallerServicesQt();
    InstallerServicesSysteme();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "repertoire") {
        frmRepertoire& f = frmRepertoire::Defaut();
        f.Repertoire = argc > 2 ? Ansi(argv[2]) : "";
        SansErreurNonTraitee([&] { f.MontrerModal(nullptr); });
        std::cout << "Repertoire=" << AnsiVersUtf8(f.Repertoire) << std::endl;
        f.Decharger();
        return 0;
    }
    std::cerr << "usage: choisisseurs repertoire [START]\n";
    return 2;
}
