// Draws every window of the program as the Qt face builds it, one PNG per design table, so
// that a change of the face can be compared with the one before, pixel for pixel:
// captures_qt FOLDER (on Qt's offscreen platform).
#include "about/frmAbout.h"
#include "about/frmSock.h"
#include "converter/frmConvertisseur.h"
#include "dialogs/frmRepertoire.h"
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/TexteQt.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

using namespace monvalor;

namespace {
struct Muet final : IRecepteur {
    void Recevoir(std::string_view, int, Evenement) override {}
};
} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        return 2;
    }
    const QDir dossier(QString::fromLocal8Bit(argv[1]));
    for (const ConceptionFenetre* t :
         {&ConceptionConvertisseur, &ConceptionAbout, &ConceptionSock, &ConceptionRepertoire}) {
        Muet recepteur;
        VueQt vue(*t, recepteur);
        const QString fichier = dossier.filePath(VersQString(t->nom) + ".png");
        if (!vue.Form().grab().save(fichier)) {
            return 1;
        }
    }
    return 0;
}
