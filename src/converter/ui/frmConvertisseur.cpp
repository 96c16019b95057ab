#include "converter/ui/frmConvertisseur.h"

#include "platform/Services.h"
#include "platform/qt/TexteQt.h"

#include <QClipboard>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <chrono>

namespace monvalor {

namespace {

struct Ligne {
    const char* label;
    const char* legende;
    int largeurLabel;
    int tabLabel;
    bool gras;
    const char* boite;
    Boite role;
    int tabBoite;
};

// One row per line of the window, top to bottom; rows start 240 twips apart.
const Ligne kLignes[] = {
    {"Label1", "Presse Papier", 975, 1, false, "txtMontant", Boite::Montant, 0},
    {"Label2", "Euros", 855, 3, true, "txtEuros", Boite::Euros, 2},
    {"Label3", "Francs", 855, 7, true, "txtFrancs", Boite::Francs, 4},
    {"Label8", "Taux", 855, 5, false, "txtTaux", Boite::Taux, 6},
    {"Label4", "TVA ou %", 855, 9, false, "txtTVA", Boite::TVA, 8},
    {"Label5", "Montant HT", 975, 11, false, "txtMontantHT", Boite::MontantHT, 10},
    {"Label6", "Montant TTC", 1095, 13, false, "txtMontantTTC", Boite::MontantTTC, 12},
    {"Label9",
     "R\xC3\xA9"
     "duction",
     1095, 17, false,
     "txtR\xC3\xA9"
     "duction",
     Boite::Reduction, 14},
    {"Label7", "Montant libre", 1095, 16, false, "txtMontantLibre", Boite::MontantLibre, 15},
};

} // namespace

frmConvertisseur::frmConvertisseur() : Fenetre(QStringLiteral("frmConvertisseur")) {
    journal_ = qEnvironmentVariable("MONVALOR_JOURNAL");
}

frmConvertisseur::~frmConvertisseur() = default;

void frmConvertisseur::Construire(QWidget& form) {
    form.setWindowTitle(QStringLiteral("Didez Izevezirevade"));
    QFont police =
        PoliceDeConception({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                            QStringLiteral("Liberation Sans"), QStringLiteral("Arial")},
                           8.25);
    // The free faces run a little wider than the design's bitmap face: narrow them just
    // enough that every caption fits its label.
    police.setStretch(95);
    form.setFont(police);
    form.setFixedSize(Twips(2220), Twips(2220));
    form.setWindowIcon(QIcon(QStringLiteral(":/monvalor/monvalor.png")));

    QFont gras = police;
    gras.setWeight(QFont::Bold);

    std::vector<std::pair<int, QLineEdit*>> ordre;
    int haut = 0;
    for (const Ligne& l : kLignes) {
        auto* label = new QLabel(QString::fromUtf8(l.legende), &form);
        label->setObjectName(QString::fromLatin1(l.label));
        label->setGeometry(0, Twips(haut), Twips(l.largeurLabel), Twips(255));
        if (l.gras) {
            label->setFont(gras);
        }
        auto* boite = new QLineEdit(&form);
        boite->setObjectName(QString::fromUtf8(l.boite));
        boite->setGeometry(Twips(1080), Twips(haut), Twips(1095), Twips(255));
        boite->setAccessibleName(label->text());
        label->setBuddy(boite);
        ordre.emplace_back(l.tabBoite, boite);
        haut += 240;
    }
    std::sort(ordre.begin(), ordre.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < ordre.size(); ++i) {
        QWidget::setTabOrder(ordre[i - 1].second, ordre[i].second);
    }
    BoiteDe(Boite::Taux)->setText(QStringLiteral("19,6"));
    BoiteDe(Boite::Montant)->setFocus(Qt::OtherFocusReason);

    timer_ = new QTimer(&form);
    timer_->setObjectName(QStringLiteral("Timer"));
    QObject::connect(timer_, &QTimer::timeout, this, &frmConvertisseur::Timer_Timer);
    QObject::connect(BoiteDe(Boite::MontantLibre), &QLineEdit::textChanged, this,
                     &frmConvertisseur::txtMontantLibre_Change);
    QObject::connect(BoiteDe(Boite::Taux), &QLineEdit::textChanged, this,
                     &frmConvertisseur::txtTaux_Change);
    if (QClipboard* cb = QGuiApplication::clipboard()) {
        // A change notification runs a tick at once; queued so that a tick never starts
        // inside another (emptying the clipboard notifies too).
        QObject::connect(cb, &QClipboard::dataChanged, this, &frmConvertisseur::PressePapierChange,
                         Qt::QueuedConnection);
    }
}

void frmConvertisseur::Form_Load() {
    if (Plateforme().instancePrecedente) {
        // The running copy takes "0" as an amount and comes to the front.
        Plateforme().pressePapier->EcrireTexte("0");
        Plateforme().systeme->Terminer(0);
        return;
    }
    Form().setWindowTitle(VersQString(Plateforme().application.titre));
    DefinirIntervalle(IntervalleVeille);
    if (Bienvenue) {
        Bienvenue(*this);
    }
}

void frmConvertisseur::Form_Unload() {
    Plateforme().systeme->Terminer(0);
}

QLineEdit* frmConvertisseur::BoiteDe(Boite boite) const {
    if (!EstChargee()) {
        return nullptr;
    }
    for (const Ligne& l : kLignes) {
        if (l.role == boite) {
            return const_cast<frmConvertisseur*>(this)->Controle<QLineEdit>(
                QString::fromUtf8(l.boite));
        }
    }
    return nullptr;
}

std::string frmConvertisseur::Texte(Boite boite) const {
    const QLineEdit* b = BoiteDe(boite);
    return b ? DepuisQString(b->text()) : std::string();
}

void frmConvertisseur::DefinirTexte(Boite boite, const std::string& texte) {
    if (QLineEdit* b = BoiteDe(boite)) {
        b->setText(VersQString(texte));
    }
}

void frmConvertisseur::AuPremierPlan() {
    if (!EstChargee()) {
        return;
    }
    QWidget& form = Form();
    // Above every window, then an ordinary window again: raise and activate, without moving,
    // resizing or restoring it.
    form.raise();
    form.activateWindow();
}

void frmConvertisseur::DefinirIntervalle(int millisecondes) {
    if (timer_) {
        timer_->start(millisecondes);
    }
}

void frmConvertisseur::Timer_Timer() {
    if (dansTick_) {
        return;
    }
    dansTick_ = true;
    const bool pris = monvalor::Timer_Timer(*this, *Plateforme().pressePapier);
    dansTick_ = false;
    if (pris && !journal_.isEmpty()) {
        // One line per amount taken, for scripts that watch the program: the monotonic clock
        // in milliseconds, then the nine boxes, tab-separated, with \\ \t \r \n escaped.
        QFile f(journal_);
        if (f.open(QIODevice::Append | QIODevice::Text)) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
            QString ligne = QString::number(ms);
            for (const Ligne& l : kLignes) {
                QString texte = VersQString(Texte(l.role));
                texte.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
                    .replace(QLatin1Char('\t'), QLatin1String("\\t"))
                    .replace(QLatin1Char('\r'), QLatin1String("\\r"))
                    .replace(QLatin1Char('\n'), QLatin1String("\\n"));
                ligne += QLatin1Char('\t') + texte;
            }
            f.write((ligne + QLatin1Char('\n')).toUtf8());
        }
    }
}

void frmConvertisseur::PressePapierChange() {
    if (EstChargee() && timer_ && timer_->isActive()) {
        Timer_Timer();
    }
}

void frmConvertisseur::txtMontantLibre_Change() {
    monvalor::txtMontantLibre_Change(*this, *Plateforme().pressePapier);
}

void frmConvertisseur::txtTaux_Change() {
    monvalor::txtTaux_Change(*this, *Plateforme().pressePapier);
}

} // namespace monvalor
