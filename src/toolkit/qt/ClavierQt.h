// Keys belong to the window where they went down. A message box answers on the press of
// Return; the release then reaches whatever window comes next, and a key whose release never
// comes (an automation tool that sent the press to a box, then the release to the box that had
// just gone) is repeated by the system until another press: each repeat would answer the next
// box, or press again the button that opened it. Neither a repeat nor a release of a key goes
// to another window than the one that had its press.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QWindow>

#include <unordered_map>

class QKeyEvent;

namespace monvalor {

class GardeClavierQt final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Whether a key event the system sends to the window (press, release, or the shortcut
    // check before a press) may reach it; a press or release is taken note of.
    bool Admettre(QWindow& fenetre, const QKeyEvent& evenement);
    // Whether an X11 event may go on: a key event that another program made up and aimed at
    // one of our windows (XSendEvent) goes nowhere when another window has the focus, where
    // Qt would deliver it. `focus` is that window's X id, 0 when none has it.
    static bool AdmettreX11(const void* evenement, WId focus);

    bool eventFilter(QObject* objet, QEvent* evenement) override;
    bool nativeEventFilter(const QByteArray& genre, void* message, qintptr* resultat) override;

private:
    struct Touche {
        QPointer<QWindow> fenetre; // where it last went down
        bool relachee = false;
        quint64 instantRelache = 0;
    };
    std::unordered_map<quint32, Touche> touches_;
};

// Installs the guard on the application (a QApplication must exist); once.
void InstallerGardeClavierQt();

} // namespace monvalor
