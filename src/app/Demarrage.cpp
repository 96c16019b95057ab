#include "app/Demarrage.h"

#include "converter/Commande.h"
#include "converter/frmConvertisseur.h"
#include "services/InstanceUnique.h"
#include "services/Services.h"
#include "services/ServicesSysteme.h"
#include "support/Version.h"
#include "toolkit/qt/ServicesQt.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPluginLoader>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

// The program's pictures are compiled into the static library of the windows, where the linker
// keeps them only when something asks for them.
static void ChargerRessources() {
    Q_INIT_RESOURCE(monvalor);
}

namespace monvalor {

namespace {

constexpr const char* kSansFenetre = "pour convertir sans fenêtre : monvalor --convertir MONTANT";

// For the terminal, which takes UTF-8.
void Dire(const QByteArray& cause) {
    std::fprintf(stderr, "monvalor : %s ; %s\n", cause.constData(), kSansFenetre);
    std::fflush(stderr);
}

// The platform Qt was asked for, where there is a display: PreparerAffichage names one then.
QByteArray PlateformeDemandee() {
    QByteArray nom = qgetenv("QT_QPA_PLATFORM");
    nom.truncate(nom.indexOf(';') < 0 ? nom.size() : nom.indexOf(';'));
    nom.truncate(nom.indexOf(':') < 0 ? nom.size() : nom.indexOf(':'));
    return nom;
}

// Whether a platform module of that name is installed, from the modules' descriptions (none
// is loaded).
bool ModuleInstalle(const QByteArray& plateforme) {
    QStringList dossiers = QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM_PLUGIN_PATH"))
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    dossiers << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    for (const QString& dossier : dossiers) {
        for (const QFileInfo& fichier : QDir(dossier).entryInfoList(QDir::Files)) {
            const QJsonArray cles = QPluginLoader(fichier.absoluteFilePath())
                                        .metaData()
                                        .value(QStringLiteral("MetaData"))
                                        .toObject()
                                        .value(QStringLiteral("Keys"))
                                        .toArray();
            for (const QJsonValue& cle : cles) {
                if (cle.toString().compare(QString::fromLatin1(plateforme), Qt::CaseInsensitive) ==
                    0) {
                    return true;
                }
            }
        }
    }
    return false;
}

// Why the windows cannot open, in one line: the module of the platform is missing, or the
// display it names cannot be reached.
void DireSansAffichage() {
    const QByteArray plateforme = PlateformeDemandee();
    if (!plateforme.isEmpty() && !ModuleInstalle(plateforme)) {
        QByteArray cause = "le module d'affichage « " + plateforme + " » de Qt n'est pas installé";
        if (plateforme.startsWith("wayland")) {
            cause += " (paquet qt6-wayland)";
        } else if (plateforme == "xcb") {
            cause += " (paquet qt6-qpa-plugins)";
        }
        Dire(cause);
        return;
    }
    const QByteArray affichage =
        plateforme.startsWith("wayland") ? qgetenv("WAYLAND_DISPLAY") : qgetenv("DISPLAY");
    Dire(affichage.isEmpty() ? QByteArray("une session graphique est nécessaire (aucun affichage "
                                          "disponible)")
                             : "l'affichage « " + affichage + " » ne répond pas");
}

// Qt ends the process when it cannot open its windows; say why in one line instead of a
// toolkit abort.
void GestionnaireMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        DireSansAffichage();
        std::_Exit(2);
    }
    // The failure to open the windows is told above, in our own words.
    const bool ouverture = message.contains(QLatin1String("platform plugin")) ||
                           message.contains(QLatin1String("could not connect to display")) ||
                           message.contains(QLatin1String("Failed to create wl_display"));
    if (type != QtDebugMsg && type != QtInfoMsg && !ouverture) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

bool Definie(const char* nom) {
    const char* v = std::getenv(nom);
    return v && *v;
}

// The windows go where the clipboard can be watched without the focus: on X11 when there is
// an X server (XWayland included), the Wayland clipboard being read over data-control where
// the compositor offers it; on Wayland when there is only Wayland. A platform asked for is
// kept. Nothing when there is neither; otherwise whether the choice is ours, to be taken
// back from the environment once Qt has read it, so that the programs we start choose their own.
std::optional<bool> PreparerAffichage() {
    if (Definie("QT_QPA_PLATFORM")) {
        return false;
    }
    if (Definie("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }
    if (Definie("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        return true;
    }
    return std::nullopt;
}

// One copy per graphical session: a Wayland session is known by its Wayland display, whatever
// platform the windows were started on.
std::string NomVerrou() {
    std::string nom = "monvalor";
    QByteArray affichage = qgetenv("WAYLAND_DISPLAY");
    if (affichage.isEmpty()) {
        affichage = qgetenv("DISPLAY");
    }
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
    const std::optional<bool> choixNotre = PreparerAffichage();
    if (!choixNotre) {
        DireSansAffichage();
        return 2;
    }

    qInstallMessageHandler(GestionnaireMessages);
    QApplication application(argc, argv);
    if (*choixNotre) {
        qunsetenv("QT_QPA_PLATFORM");
    }
    ChargerRessources();
    QApplication::setApplicationName(QStringLiteral("Monvalor"));
    QApplication::setOrganizationName(QStringLiteral("Monvalor"));
    QApplication::setApplicationVersion(QString::fromLatin1(VersionProgramme.texte));
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
