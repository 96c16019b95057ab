#include "toolkit/qt/ClavierQt.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

#include <xcb/xcb.h>

namespace monvalor {

namespace {

// A key by the key of the keyboard, whatever character it gives; events made by a program may
// have no scan code.
quint32 Cle(const QKeyEvent& evenement) {
    return evenement.nativeScanCode() != 0 ? evenement.nativeScanCode()
                                           : static_cast<quint32>(evenement.key()) | 0x80000000u;
}

} // namespace

bool GardeClavierQt::Admettre(QWindow& fenetre, const QKeyEvent& evenement) {
    Touche& touche = touches_[Cle(evenement)];
    if (evenement.type() == QEvent::KeyRelease) {
        touche.relachee = true;
        touche.instantRelache = evenement.timestamp();
        return touche.fenetre == &fenetre;
    }
    // The system repeats a held key as a release and a press at the same instant; Qt marks the
    // press as a repeat only when both are already in hand.
    const bool repetition = evenement.isAutoRepeat() ||
                            (touche.relachee && evenement.timestamp() == touche.instantRelache);
    if (!repetition) {
        if (evenement.type() == QEvent::KeyPress) {
            touche.fenetre = &fenetre;
        }
        return true;
    }
    return touche.fenetre == &fenetre;
}

bool GardeClavierQt::AdmettreX11(const void* evenement, WId focus) {
    const auto* e = static_cast<const xcb_generic_event_t*>(evenement);
    const int genre = e->response_type & 0x7F;
    const bool synthetique = (e->response_type & 0x80) != 0;
    if (!synthetique || (genre != XCB_KEY_PRESS && genre != XCB_KEY_RELEASE) || focus == 0) {
        return true;
    }
    return static_cast<const xcb_key_press_event_t*>(evenement)->event == focus;
}

bool GardeClavierQt::eventFilter(QObject* objet, QEvent* evenement) {
    const QEvent::Type genre = evenement->type();
    if (!evenement->spontaneous() || !objet->isWindowType() ||
        (genre != QEvent::KeyPress && genre != QEvent::KeyRelease &&
         genre != QEvent::ShortcutOverride)) {
        return false;
    }
    if (Admettre(static_cast<QWindow&>(*objet), static_cast<QKeyEvent&>(*evenement))) {
        return false;
    }
    // A shortcut check accepted is a key that no shortcut takes.
    evenement->accept();
    return true;
}

bool GardeClavierQt::nativeEventFilter(const QByteArray& genre, void* message, qintptr*) {
    if (genre != "xcb_generic_event_t") {
        return false;
    }
    const QWindow* focus = QGuiApplication::focusWindow();
    return !AdmettreX11(message,
                        focus != nullptr && focus->handle() != nullptr ? focus->winId() : 0);
}

void InstallerGardeClavierQt() {
    QCoreApplication* application = QCoreApplication::instance();
    if (application->findChild<GardeClavierQt*>(QString(), Qt::FindDirectChildrenOnly)) {
        return;
    }
    auto* garde = new GardeClavierQt;
    garde->setParent(application);
    application->installEventFilter(garde);
    application->installNativeEventFilter(garde);
}

} // namespace monvalor
