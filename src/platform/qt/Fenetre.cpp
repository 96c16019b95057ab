#include "platform/qt/Fenetre.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHideEvent>

namespace monvalor {

FormQt::FormQt(Fenetre& fenetre, QWidget* parent, Qt::WindowFlags drapeaux)
    : QWidget(parent, drapeaux), fenetre_(fenetre) {}

void FormQt::closeEvent(QCloseEvent* evenement) {
    // The form is destroyed by its window object, never by Qt under our feet.
    evenement->ignore();
    fenetre_.FermeParUtilisateur();
}

void FormQt::hideEvent(QHideEvent* evenement) {
    QWidget::hideEvent(evenement);
    if (!evenement->spontaneous()) {
        emit Cache();
    }
}

QFont PoliceDeConception(const QStringList& familles, qreal points) {
    QFont police;
    police.setFamilies(familles);
    police.setPointSizeF(points);
    return police;
}

Fenetre::Fenetre(QString nom) : nom_(std::move(nom)) {}

Fenetre::~Fenetre() {
    delete form_.data();
}

QWidget& Fenetre::Form() {
    Charger();
    return *form_;
}

void Fenetre::Charger() {
    if (form_ || enChargement_) {
        return;
    }
    enChargement_ = true;
    struct Fin {
        bool& drapeau;
        ~Fin() { drapeau = false; }
    } fin{enChargement_};
    form_ = new FormQt(*this, nullptr, Drapeaux());
    form_->setObjectName(nom_);
    form_->setAttribute(Qt::WA_DeleteOnClose, false);
    Construire(*form_);
    Form_Load();
}

void Fenetre::Decharger() {
    if (!form_) {
        return;
    }
    Form_QueryUnload();
    Form_Unload();
    FormQt* form = form_.data();
    form_.clear();
    form->hide();
    // Deferred: the unload may come from one of the form's own event handlers.
    form->deleteLater();
}

void Fenetre::Montrer() {
    Form().show();
    form_->raise();
    form_->activateWindow();
}

void Fenetre::Cacher() {
    if (form_) {
        form_->hide();
    }
}

void Fenetre::MontrerModal(Fenetre* proprietaire) {
    QWidget& form = Form();
    if (proprietaire && proprietaire->EstChargee() &&
        form.parentWidget() != &proprietaire->Form()) {
        // Owned: stays above its owner and is centred on it by the window manager.
        form.setParent(&proprietaire->Form(), form.windowFlags() | Qt::Dialog);
    }
    form.setWindowModality(Qt::ApplicationModal);
    QEventLoop boucle;
    QPointer<FormQt> garde = form_;
    QObject::connect(garde.data(), &FormQt::Cache, &boucle, &QEventLoop::quit);
    QObject::connect(garde.data(), &QObject::destroyed, &boucle, &QEventLoop::quit);
    form.show();
    form.raise();
    form.activateWindow();
    if (garde && garde->isVisible()) {
        boucle.exec(QEventLoop::DialogExec);
    }
    if (garde) {
        garde->setWindowModality(Qt::NonModal);
    }
}

void Fenetre::FermeParUtilisateur() {
    Decharger();
}

} // namespace monvalor
