// Opens one of the choosers as a window of Monvalor would, then prints what came back, one
// "name=value" line each, in UTF-8:
//   choisisseurs repertoire [START]
//   choisisseurs ouvrir|enregistrer TITLE FILTER FILTER_INDEX START_FOLDER NAME DEFAULT_EXT
#include "dialogs/frmRepertoire.h"
#include "services/Services.h"
#include "services/ServicesSysteme.h"
#include "support/Ansi.h"
#include "support/OpenSaveDlg.h"
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
    ParlerFrancaisQt();
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
    if ((mode == "ouvrir" || mode == "enregistrer") && argc == 8) {
        OpenSaveDlg d;
        d.DialogTitle(Ansi(argv[2]));
        d.Filter(Ansi(argv[3]));
        d.FilterIndex(static_cast<std::int16_t>(std::stoi(argv[4])));
        d.InitDir(Ansi(argv[5]));
        d.FileName(Ansi(argv[6]));
        d.DefaultExt(Ansi(argv[7]));
        SansErreurNonTraitee([&] { mode == "ouvrir" ? d.ShowOpen() : d.ShowSave(); });
        std::cout << "CancelError=" << d.CancelError()
                  << "\nFileName=" << AnsiVersUtf8(d.FileName())
                  << "\nFileTitle=" << AnsiVersUtf8(d.FileTitle())
                  << "\nFilterIndex=" << d.FilterIndex() << "\nFileExt=" << d.FileExt()
                  << "\nFlags=" << d.Flags() << std::endl;
        return 0;
    }
    std::cerr << "usage: choisisseurs repertoire [START]\n"
                 "       choisisseurs ouvrir|enregistrer TITLE FILTER FILTER_INDEX START_FOLDER "
                 "NAME DEFAULT_EXT\n";
    return 2;
}
