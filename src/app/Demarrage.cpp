#include "app/Demarrage.h"

#include "converter/Commande.h"
#include "converter/frmConvertisseur.h"
#include "platform/InstanceUnique.h"
#include "platform/Services.h"
#include "platform/ServicesSysteme.h"
#include "toolkit/qt/ServicesQt.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

// The program's pictures are compiled into the static library of the windows, where the linker
// keeps them only when something asks for them.
static void ChargerRessources() {
    Q_INIT_RESOURCE(monvalor);
}

namespace monvalor {

namespace {

// For the terminal, which takes UTF-8.
const char* SansAffichage() {
    return reinterpret_cast<const char*>(
        u8"monvalor : une session graphique est nécessaire (aucun affichage disponible) ; "
        u8"pour convertir sans fenêtre : monvalor --convertir MONTANT\n");
}

// Qt ends the process when it cannot reach the display; say it in one line instead of a
// toolkit abort.
void GestionnaireMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg && (message.contains(QLatin1String("display")) ||
                               message.contains(QLatin1String("platform plugin")))) {
        std::fputs(SansAffichage(), stderr);
        std::fflush(stderr);
        std::_Exit(2);
    }
    // The display failure is told above, in our own words.
    if (type != QtDebugMsg && type != QtInfoMsg &&
        !message.contains(QLatin1String("could not connect to display"))) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

bool Definie(const char* nom) {
    const char* v = std::getenv(nom);
    return v && *v;
}

// Wayland does not let a background program read the clipboard: take X11 when it is there.
bool PreparerAffichage() {
    if (Definie("QT_QPA_PLATFORM")) {
        return true;
    }
    if (Definie("DISPLAY")) {
        if (Definie("WAYLAND_DISPLAY")) {
            qputenv("QT_QPA_PLATFORM", "xcb");
        }
        return true;
    }
    return Definie("WAYLAND_DISPLAY");
}

std::string NomVerrou() {
    std::string nom = "monvalor";
    const QByteArray affichage = qgetenv("DISPLAY");
    if (!affichage.isEmpty()) {
        nom += '-';
        nom += affichage.toStdString();
    }
    return nom;
}

} // namespace

int Demarrer(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const ResultatCommande r = ExecuterLigneCommande(arguments, std::cout, std::cerr);
    if (r.action == ActionCommande::Terminee) {
        std::cout.flush();
        return r.code;
    }
    if (!PreparerAffichage()) {
        std::fputs(SansAffichage(), stderr);
        return 2;
    }

    qInstallMessageHandler(GestionnaireMessages);
    QApplication application(argc, argv);
    ChargerRessources();
    QApplication::setApplicationName(QStringLiteral("Monvalor"));
    QApplication::setOrganizationName(QStringLiteral("Monvalor"));
    QApplication::setApplicationVersion(QStringLiteral(MONVALOR_VERSION));
    // The desktop entry the package installs, so that the desktop shows its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.monvalor.Monvalor"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/monvalor/monvalor.png")));
    // Closing the main window ends the program through its unload step, not through Qt.
    QApplication::setQuitOnLastWindowClosed(false);

    // Before any window: Qt's dialogs and buttons take their texts when they are built.
    ParlerFrancaisQt();
    InstallerServicesQt();
    InstallerServicesSysteme();
    // Held for the life of the process; the system drops it when the process ends.
    const auto verrou = PrendreVerrouInstance(NomVerrou());
    Plateforme().instancePrecedente = !verrou->Acquis();

    SansErreurNonTraitee([] {
        frmConvertisseur& frm = frmConvertisseur::Defaut();
        // The load step ends with the About window, modal; the converter shows after it.
        frm.Charger();
        if (frm.EstChargee()) {
            frm.Montrer();
        }
    });
    return QApplication::exec();
}

} // namespace monvalor
