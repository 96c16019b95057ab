#include "toolkit/qt/ServicesQt.h"

#include "services/FichiersSysteme.h"
#include "services/Lancement.h"
#include "support/Ansi.h"
#include "support/Chaines.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"
#include "support/Version.h"
#include "toolkit/qt/ClavierQt.h"
#include "toolkit/qt/DialogueFichierQt.h"
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/PressePapierQt.h"
#include "toolkit/qt/ReglagesQt.h"
#include "toolkit/qt/TexteQt.h"
#include "toolkit/qt/TransfertQt.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTranslator>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace monvalor {

int BoiteMessageQt::Afficher(const std::string& texte, int style, const std::string& titre) {
    QMessageBox boite(QApplication::activeWindow());
    boite.setWindowTitle(VersQString(titre.empty() ? Plateforme().application.titre : titre));
    // The text may come from a server (its status line, the version file's message): shown as
    // written, never as markup, and no more of it than fits the screen.
    boite.setTextFormat(Qt::PlainText);
    boite.setText(VersQString(BornerPourAffichage(texte)));
    switch (style & 0x70) {
    case MsgCritique:
        boite.setIcon(QMessageBox::Critical);
        break;
    case MsgQuestion:
        boite.setIcon(QMessageBox::Question);
        break;
    case MsgExclamation:
        boite.setIcon(QMessageBox::Warning);
        break;
    case MsgInformation:
        boite.setIcon(QMessageBox::Information);
        break;
    default:
        boite.setIcon(QMessageBox::NoIcon);
        break;
    }
    QPushButton* oui = nullptr;
    QPushButton* non = nullptr;
    if ((style & 0x7) == MsgOuiNon) {
        oui = boite.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        non = boite.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        boite.setDefaultButton(oui);
        boite.setEscapeButton(non);
    } else {
        boite.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    }
    boite.exec();
    if (oui || non) {
        return boite.clickedButton() == static_cast<QAbstractButton*>(oui) ? RepOui : RepNon;
    }
    return RepOK;
}

long SystemeQt::OuvrirDocument(const std::string& chemin, const std::string& /*operation*/) {
    const QString texte = VersQString(chemin);
    if (texte.isEmpty()) {
        return 2; // the classic "file not found"
    }
    QUrl url;
    if (QFileInfo::exists(texte)) {
        url = QUrl::fromLocalFile(QFileInfo(texte).absoluteFilePath());
    } else {
        // Tolerant: the shell takes "mailto:a@b?subject=A propos de ..." with its spaces as
        // they are; here they are percent-encoded instead of making the address invalid.
        url = QUrl(texte, QUrl::TolerantMode);
        if (!url.isValid() || url.scheme().isEmpty()) {
            return 2;
        }
    }
    return QDesktopServices::openUrl(url) ? 42 : 31; // 31: no application associated
}

void SystemeQt::Lancer(const std::string& commande, int /*styleFenetre*/) {
    const QString programme = VersQString(commande);
    QFileInfo info(programme);
    if (info.exists() && !info.isExecutable()) {
        QFile::setPermissions(programme,
                              QFile::permissions(programme) | QFile::ExeOwner | QFile::ExeUser);
    }
    if (!QProcess::startDetached(programme, {})) {
        throw Erreur(ErrFichierIntrouvable);
    }
}

bool SystemeQt::LancerVerifie(const std::string& chemin, const std::string& nomFinal,
                              const std::function<bool(std::string_view)>& verifier) {
    return systeme::LancerVerifie(CheminSysteme(chemin), CheminSysteme(nomFinal), verifier);
}

namespace {

// Swallows every event addressed to the program's objects: once the end is decided, no timer,
// click or closing step of ours may run.
class Silence final : public QObject {
public:
    bool eventFilter(QObject*, QEvent*) override { return true; }
};

} // namespace

void SystemeQt::Terminer(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    // On X11 and Wayland the clipboard's content lives in the program that set it. If we own
    // it, keep answering other programs' requests until one of them has taken it (we lose
    // ownership) or a few seconds have passed; nothing of ours runs meanwhile.
    QClipboard* cb = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                         ? QGuiApplication::clipboard()
                         : nullptr;
    auto* pressePapier = dynamic_cast<PressePapierQt*>(Plateforme().pressePapier.get());
    const auto possede = [cb, pressePapier] {
        return pressePapier ? pressePapier->Possede() : cb->ownsClipboard();
    };
    if (cb && possede()) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            w->hide();
        }
        Silence silence;
        QCoreApplication::instance()->installEventFilter(&silence);
        QDeadlineTimer limite(DelaiServicePressePapierMs);
        while (possede() && !limite.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (pressePapier) {
                pressePapier->Servir();
            }
            QThread::msleep(5);
        }
    }
    std::_Exit(code);
}

std::string SystemeQt::RepertoireDonnees() {
    QString dossier = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dossier.isEmpty()) {
        dossier = QDir::homePath() + QStringLiteral("/.local/share");
    }
    dossier += QLatin1Char('/') + VersQString(Plateforme().application.titre);
    // Private whatever the umask: the update check downloads into it.
    systeme::CreerDossierPrive(systeme::CheminNatif(DepuisQString(dossier)));
    return DepuisQString(QDir::toNativeSeparators(QDir::cleanPath(dossier)));
}

std::string SystemeQt::RepertoireSysteme() {
#ifdef Q_OS_WIN
    return DepuisQString(QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)));
#else
    return "/usr/bin";
#endif
}

InfosApplication InfosApplicationQt() {
    InfosApplication infos;
    infos.titre = "Monvalor";
    QString dossier = QCoreApplication::applicationDirPath();
    infos.repertoire = DepuisQString(QDir::toNativeSeparators(dossier));
    infos.nomExe =
        DepuisQString(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    infos.versionMajeure = VersionProgramme.majeure;
    infos.versionMineure = VersionProgramme.mineure;
    infos.versionRevision = VersionProgramme.revision;
    infos.description = "Logiciel de conversion Franc/Euro, Euro/Franc, TVA, prix TTC, HT.";
    infos.copyright = std::string(u8"Copyright © 2026 Monvalor"_ansi);
    infos.repertoireDonneesInstallees =
        DepuisQString(QString::fromUtf8(MONVALOR_REPERTOIRE_DONNEES));
    return infos;
}

void InstallerServicesQt() {
    Services& s = Plateforme();
    s.formulaires = std::make_shared<FabriqueQt>();
    s.pressePapier = std::make_shared<PressePapierQt>();
    s.boiteMessage = std::make_shared<BoiteMessageQt>();
    s.systeme = std::make_shared<SystemeQt>();
    s.reglages = std::make_shared<ReglagesQt>();
    s.dialogueFichier = std::make_shared<DialogueFichierQt>();
    s.transferts = [autorites = std::make_shared<AutoritesCertification>()] {
        return std::make_unique<TransfertQt>(DelaiReseauDefaut, autorites);
    };
    s.application = InfosApplicationQt();
    InstallerGardeClavierQt();
}

QTranslator* ParlerFrancaisQt() {
    // Dates, sizes and file kinds in Qt's widgets speak French too, whatever the session's
    // locale.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto traducteur = std::make_unique<QTranslator>();
    if (!traducteur->load(QStringLiteral("qtbase_fr"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(traducteur.get())) {
        return nullptr;
    }
    traducteur->setParent(QCoreApplication::instance());
    return traducteur.release();
}

} // namespace monvalor
