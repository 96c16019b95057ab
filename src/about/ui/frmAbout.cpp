#include "about/ui/frmAbout.h"

#include "about/InfosSysteme.h"
#include "converter/Adresses.h"
#include "localisation/ui/TraduireQt.h"
#include "platform/Services.h"
#include "platform/qt/Garde.h"
#include "platform/qt/TexteQt.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

namespace monvalor {

namespace {

QRect Position(int gauche, int haut, int largeur, int hauteur) {
    return {Twips(gauche), Twips(haut), Twips(largeur), Twips(hauteur)};
}

QLabel* NouveauLabel(QWidget& form, const char* nom, const char* legende, QRect position) {
    auto* label = new QLabel(QString::fromUtf8(legende), &form);
    label->setObjectName(QString::fromUtf8(nom));
    label->setGeometry(position);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QPushButton* NouveauBouton(QWidget& form, const char* nom, const char* legende, QRect position) {
    auto* bouton = new QPushButton(QString::fromUtf8(legende), &form);
    bouton->setObjectName(QString::fromUtf8(nom));
    bouton->setGeometry(position);
    // Enter presses the button that has the focus, as on the system the design comes from.
    bouton->setAutoDefault(true);
    return bouton;
}

} // namespace

frmAbout::frmAbout() : Fenetre(QStringLiteral("frmAbout")) {}

frmAbout::~frmAbout() {
    // The window base destroys the form once this part of the object is gone: the form's
    // events must not reach it meanwhile.
    if (EstChargee()) {
        QWidget& form = Form();
        form.removeEventFilter(this);
        for (QWidget* w : form.findChildren<QWidget*>()) {
            w->removeEventFilter(this);
        }
    }
}

Qt::WindowFlags frmAbout::Drapeaux() const {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

void frmAbout::Construire(QWidget& form) {
    form.setWindowTitle(QString::fromUtf8("\xC3\x80 propos de"));
    const QFont police =
        PoliceDeConception({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")},
                           8.25);
    form.setFont(police);
    form.setFixedSize(Twips(5730), Twips(5475));
    form.installEventFilter(this);

    auto* icone = new QLabel(&form);
    icone->setObjectName(QString::fromUtf8("Ic\xC3\xB4ne"));
    icone->setGeometry(Position(120, 120, 540, 540));
    icone->setAlignment(Qt::AlignCenter);

    NouveauLabel(form, "lblTitle", "Titre de l'application", Position(1290, 240, 3885, 480));
    NouveauLabel(form, "lblVersion", "Version", Position(1290, 780, 3885, 225));
    QPushButton* version =
        NouveauBouton(form, "cmdVersion", "Mise \xC3\xA0 jour", Position(120, 1080, 975, 495));
    NouveauLabel(form, "lblDescription", "Description de l'application",
                 Position(1320, 1125, 3885, 1650));

    QFont lien =
        PoliceDeConception({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                            QStringLiteral("Times"), QStringLiteral("DejaVu Serif")},
                           9.75);
    lien.setUnderline(true);
    QPalette bleu = form.palette();
    bleu.setColor(QPalette::WindowText, QColor(0, 0, 255));
    struct Lien {
        const char* nom;
        const char* legende;
        const char* infoBulle;
        int haut;
    };
    const Lien liens[] = {
        {"lblSite", PageAccueil, "Ouvrir le site web", 2880},
        {"lblEmail", AdresseEmail, "Envoyer un courriel", 3240},
    };
    for (const Lien& l : liens) {
        QLabel* label = NouveauLabel(form, l.nom, l.legende, Position(120, l.haut, 5535, 255));
        label->setWordWrap(false);
        label->setFont(lien);
        label->setPalette(bleu);
        label->setCursor(Qt::PointingHandCursor);
        label->setToolTip(QString::fromUtf8(l.infoBulle));
        label->installEventFilter(this);
    }

    NouveauLabel(form, "lblDisclaimer", "", Position(255, 3705, 3870, 1065));
    QPushButton* ok = NouveauBouton(form, "cmdOK", "OK", Position(4320, 3945, 1260, 345));
    ok->setDefault(true);
    QPushButton* infos = NouveauBouton(form, "cmdSysInfo", "&Infos syst\xC3\xA8me...",
                                       Position(4320, 4395, 1245, 345));

    // An etched rule above the links: a dark line with a light one just beneath it.
    const QColor couleurs[] = {QColor(128, 128, 128), QColor(255, 255, 255)};
    int haut = 2820;
    for (const QColor& couleur : couleurs) {
        auto* ligne = new QFrame(&form);
        ligne->setObjectName(QStringLiteral("Line1"));
        ligne->setFrameShape(QFrame::HLine);
        ligne->setFrameShadow(QFrame::Plain);
        ligne->setLineWidth(1);
        ligne->setGeometry(Position(120, haut, 5535, 15));
        QPalette p = ligne->palette();
        p.setColor(QPalette::WindowText, couleur);
        ligne->setPalette(p);
        haut += 15;
    }

    QWidget::setTabOrder(ok, infos);
    QWidget::setTabOrder(infos, version);
    ok->setFocus(Qt::OtherFocusReason);

    auto garde = [this](void (frmAbout::*gestionnaire)()) {
        return [this, gestionnaire] { SansErreurNonTraitee([&] { (this->*gestionnaire)(); }); };
    };
    QObject::connect(ok, &QPushButton::clicked, this, garde(&frmAbout::cmdOK_Click));
    QObject::connect(infos, &QPushButton::clicked, this, garde(&frmAbout::cmdSysInfo_Click));
    QObject::connect(version, &QPushButton::clicked, this, garde(&frmAbout::cmdVersion_Click));
}

void frmAbout::Form_Load() {
    const InfosApplication& app = Plateforme().application;
    Form().setWindowTitle(QString::fromUtf8("\xC3\x80 propos de ") + VersQString(app.titre));
    lblVersion().setText(VersQString("Version " + std::to_string(app.versionMajeure) + "." +
                                     std::to_string(app.versionMineure) + "." +
                                     std::to_string(app.versionRevision)));
    lblTitle().setText(
        VersQString(app.copyright.empty() ? app.titre : app.titre + " " + app.copyright));
    lblDescription().setText(VersQString(app.description));
}

template <typename T> T& frmAbout::Ctl(const char* nom) {
    Form();
    T* controle = Controle<T>(QString::fromUtf8(nom));
    if (controle == nullptr) {
        throw Erreur(ErrArgument);
    }
    return *controle;
}

QLabel& frmAbout::Icône() {
    return Ctl<QLabel>("Ic\xC3\xB4ne");
}
QLabel& frmAbout::lblTitle() {
    return Ctl<QLabel>("lblTitle");
}
QLabel& frmAbout::lblVersion() {
    return Ctl<QLabel>("lblVersion");
}
QPushButton& frmAbout::cmdVersion() {
    return Ctl<QPushButton>("cmdVersion");
}
QLabel& frmAbout::lblDescription() {
    return Ctl<QLabel>("lblDescription");
}
QLabel& frmAbout::lblSite() {
    return Ctl<QLabel>("lblSite");
}
QLabel& frmAbout::lblEmail() {
    return Ctl<QLabel>("lblEmail");
}
QLabel& frmAbout::lblDisclaimer() {
    return Ctl<QLabel>("lblDisclaimer");
}
QPushButton& frmAbout::cmdOK() {
    return Ctl<QPushButton>("cmdOK");
}
QPushButton& frmAbout::cmdSysInfo() {
    return Ctl<QPushButton>("cmdSysInfo");
}

void frmAbout::Site(const std::string& pSite) {
    lblSite().setText(VersQString(pSite));
    site_ = pSite;
}

void frmAbout::Email(const std::string& pEmail) {
    // Left unescaped on purpose: the mail program receives the subject as written.
    LienEmail_ = "mailto:" + pEmail + "?subject=A propos de " + Plateforme().application.nomExe +
                 " " + DepuisQString(lblVersion().text());
    lblEmail().setText(VersQString(pEmail));
}

void frmAbout::Afficher(Fenetre& frm) {
    TraduireFormulaire(Form());
    PlacerAuCentre(frm);
    MontrerModal(&frm);
}

void frmAbout::PlacerAuCentre(Fenetre& frm) {
    QWidget& form = Form();
    QWidget* proprietaire = frm.EstChargee() ? &frm.Form() : nullptr;
    if (proprietaire != nullptr && form.parentWidget() != proprietaire) {
        form.setParent(proprietaire, form.windowFlags() | Qt::Dialog);
    }
    // Over the owner when the user can see it; at start the owner is still hidden, and the
    // middle of the screen is where the eye goes.
    QScreen* ecran = proprietaire != nullptr ? proprietaire->screen() : nullptr;
    if (ecran == nullptr) {
        ecran = QGuiApplication::primaryScreen();
    }
    const QRect disponible = ecran != nullptr ? ecran->availableGeometry() : QRect();
    const QRect zone = proprietaire != nullptr && proprietaire->isVisible()
                           ? proprietaire->frameGeometry()
                           : disponible;
    if (zone.isEmpty()) {
        return;
    }
    QRect cadre(QPoint(), form.size());
    cadre.moveCenter(zone.center());
    if (!disponible.isEmpty()) {
        cadre.moveRight(std::min(cadre.right(), disponible.right()));
        cadre.moveBottom(std::min(cadre.bottom(), disponible.bottom()));
        cadre.moveLeft(std::max(cadre.left(), disponible.left()));
        cadre.moveTop(std::max(cadre.top(), disponible.top()));
    }
    form.move(cadre.topLeft());
}

bool frmAbout::GetKeyValue(std::uintptr_t KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
    return monvalor::GetKeyValue(KeyRoot, KeyName, SubKeyRef, KeyVal);
}

void frmAbout::StartSysInfo() {
    monvalor::StartSysInfo();
}

bool frmAbout::eventFilter(QObject* objet, QEvent* evenement) {
    if (!EstChargee()) {
        return false;
    }
    if (evenement->type() == QEvent::MouseButtonRelease) {
        auto* souris = static_cast<QMouseEvent*>(evenement);
        auto* label = qobject_cast<QLabel*>(objet);
        if (label == nullptr || souris->button() != Qt::LeftButton ||
            !label->rect().contains(souris->position().toPoint())) {
            return false;
        }
        if (label->objectName() == QLatin1String("lblSite")) {
            SansErreurNonTraitee([this] { lblSite_Click(); });
        } else if (label->objectName() == QLatin1String("lblEmail")) {
            SansErreurNonTraitee([this] { lblEmail_Click(); });
        }
        return false;
    }
    if (evenement->type() == QEvent::KeyPress && objet == &Form()) {
        // Keys that no control took: Esc and Enter both mean "OK".
        auto* touche = static_cast<QKeyEvent*>(evenement);
        const bool sansModificateur = (touche->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (sansModificateur &&
            (touche->key() == Qt::Key_Escape || touche->key() == Qt::Key_Return ||
             touche->key() == Qt::Key_Enter)) {
            cmdOK().click();
            return true;
        }
    }
    return false;
}

void frmAbout::cmdOK_Click() {
    Decharger();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::cmdVersion_Click() {
    // Reserved for the update check.
}

void frmAbout::lblSite_Click() {
    OuvrirDocument(site_);
}

void frmAbout::lblEmail_Click() {
    OuvrirDocument(LienEmail_);
}

} // namespace monvalor
