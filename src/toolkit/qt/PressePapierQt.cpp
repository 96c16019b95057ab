#include "toolkit/qt/PressePapierQt.h"

#include "platform/wayland/SelectionWayland.h"
#include "platform/x11/SelectionX11.h"
#include "support/Ansi.h"
#include "support/Erreur.h"
#include "toolkit/qt/TexteQt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <functional>

namespace monvalor {

namespace {

QClipboard& QtOuErreur() {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) {
        throw Erreur(ErrArgument);
    }
    return *cb;
}

bool PlateformeWayland() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Sets the flag for the duration of a call.
class Pendant {
public:
    explicit Pendant(bool& drapeau) : drapeau_(drapeau) { drapeau_ = true; }
    ~Pendant() { drapeau_ = false; }
    Pendant(const Pendant&) = delete;
    Pendant& operator=(const Pendant&) = delete;

private:
    bool& drapeau_;
};

} // namespace

PressePapierQt::PressePapierQt() : contexte_(std::make_unique<QObject>()) {
    const QByteArray choix = qgetenv("MONVALOR_PRESSE_PAPIER");
    if (choix != "x11" && choix != "qt" &&
        (PlateformeWayland() || !qgetenv("WAYLAND_DISPLAY").isEmpty())) {
        wayland_ = SelectionWayland::Ouvrir();
    }
    if (!wayland_ && choix != "qt" && QGuiApplication::platformName() == QLatin1String("xcb")) {
        x11_ = SelectionX11::Ouvrir();
    }
    if (wayland_ || x11_) {
        veilleur_ = std::make_unique<QSocketNotifier>(
            wayland_ ? wayland_->Descripteur() : x11_->Descripteur(), QSocketNotifier::Read);
        QObject::connect(veilleur_.get(), &QSocketNotifier::activated, contexte_.get(),
                         [this] { Traiter(); });
    }
}

PressePapierQt::~PressePapierQt() = default;

std::optional<std::string> PressePapierQt::LireTexte() {
    std::optional<std::string> texte = Lire();
    if (!texte) {
        return std::nullopt;
    }
    const std::size_t empreinte = std::hash<std::string>{}(*texte);
    if (RevenuTotDe(empreinte) && retours_ >= 1) {
        // Put back by a clipboard manager: left where it is, as an empty clipboard would be.
        vide_.reset();
        texte->clear();
    }
    dernierLu_ = texte->empty() ? std::nullopt : std::optional<std::size_t>(empreinte);
    return texte;
}

bool PressePapierQt::RevenuTotDe(std::size_t empreinte) const {
    return vide_ == empreinte &&
           std::chrono::steady_clock::now() - instantVide_ < DelaiRetourApresVidage;
}

std::optional<std::string> PressePapierQt::Lire() {
    if (wayland_) {
        std::optional<std::string> utf8 = wayland_->Lire();
        if (!utf8) {
            return std::nullopt;
        }
        return Utf8VersAnsiApproche(std::move(*utf8));
    }
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb) {
        return std::nullopt;
    }
    if (x11_ && !Possede()) {
        std::optional<std::string> utf8 = x11_->Lire();
        if (!utf8) {
            return std::nullopt;
        }
        return Utf8VersAnsiApproche(std::move(*utf8));
    }
    if (x11_) {
        // Our own text: Qt has it at hand, and asking ourselves through the server would
        // wait for an answer only this thread could give.
        x11_->MarquerLu();
    }
    changeEtranger_ = false;
    // text() asks the owner for plain text only; an image-only clipboard gives "".
    return DepuisQString(cb->text(QClipboard::Clipboard));
}

bool PressePapierQt::Possede() {
    if (wayland_) {
        return wayland_->Possede();
    }
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb || !cb->ownsClipboard()) {
        return false;
    }
    // Qt may not notice that another program emptied the clipboard it owned: the server
    // knows.
    return !x11_ || (notreFenetre_ != 0 && Proprietaire() == notreFenetre_);
}

void PressePapierQt::Servir() {
    // Qt serves its own texts from its event processing; ours are served here.
    if (wayland_) {
        wayland_->Traiter();
    }
}

std::uint32_t PressePapierQt::Proprietaire() {
    const std::uint32_t p = x11_->Proprietaire();
    // Waiting for the answer may have taken in events the socket will not tell again.
    QMetaObject::invokeMethod(
        contexte_.get(), [this] { Traiter(); }, Qt::QueuedConnection);
    return p;
}

bool PressePapierQt::PeutAvoirChange() {
    if (wayland_) {
        return wayland_->AChange();
    }
    if (x11_) {
        return x11_->AChange();
    }
    // Qt tells every change on Wayland; elsewhere (an X server without XFixes) it may not.
    return changeEtranger_ || !PlateformeWayland();
}

void PressePapierQt::Traiter() {
    if (wayland_ ? wayland_->Traiter() : x11_->Traiter()) {
        Signaler();
    }
}

void PressePapierQt::Signaler() {
    if (rappel_) {
        rappel_();
    }
}

void PressePapierQt::SurChangement(std::function<void()> rappel) {
    rappel_ = std::move(rappel);
    QClipboard* cb = QGuiApplication::clipboard();
    // Our own connections tell their changes through the socket notifier.
    if (!rappel_ || !cb || branche_ || wayland_ || x11_) {
        return;
    }
    branche_ = true;
    QObject::connect(cb, &QClipboard::dataChanged, contexte_.get(), [this] {
        if (nosOperations_) {
            return;
        }
        changeEtranger_ = true;
        // Queued, so that a tick never starts inside another; addressed to our own object,
        // so that nothing arrives once we are gone.
        QMetaObject::invokeMethod(
            contexte_.get(), [this] { Signaler(); }, Qt::QueuedConnection);
    });
}

void PressePapierQt::EcrireTexte(const std::string& texte) {
    // Our own text, even the one just emptied (the rate changed), is no manager's restoring.
    vide_ = std::nullopt;
    if (wayland_) {
        if (!wayland_->Ecrire(AnsiVersUtf8(texte))) {
            throw Erreur(ErrArgument);
        }
        return;
    }
    QClipboard& cb = QtOuErreur();
    {
        Pendant nous(nosOperations_);
        cb.setText(VersQString(texte), QClipboard::Clipboard);
    }
    if (x11_) {
        notreFenetre_ = cb.ownsClipboard() ? Proprietaire() : 0;
    }
}

void PressePapierQt::Vider() {
    if (dernierLu_) {
        retours_ = RevenuTotDe(*dernierLu_) ? retours_ + 1 : 0;
        vide_ = dernierLu_;
        instantVide_ = std::chrono::steady_clock::now();
    }
    if (wayland_) {
        if (!wayland_->Vider()) {
            throw Erreur(ErrArgument);
        }
        return;
    }
    {
        Pendant nous(nosOperations_);
        QtOuErreur().clear(QClipboard::Clipboard);
    }
    if (x11_) {
        // Qt empties only a clipboard it owns; another program's text must go too.
        x11_->Vider();
    }
}

} // namespace monvalor
