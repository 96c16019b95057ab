// The clipboard on a Linux desktop, one realisation per kind of session, chosen at start:
// - a Wayland compositor that offers data-control (sway and the other wlroots compositors,
//   KDE Plasma): a Wayland connection of our own watches, reads, writes and empties it,
//   whatever window has the focus, and whichever platform Qt's windows run on;
// - an X server (X11, or XWayland under GNOME): an X connection of our own watches and reads
//   it (SelectionX11), Qt writes our texts and serves them;
// - anything else (Wayland windows with neither): Qt's own clipboard, which sees only what
//   changes while our window has the focus.
// MONVALOR_PRESSE_PAPIER=x11 or =qt sets data-control, or both connections of ours, aside.
#pragma once

#include "services/Services.h"

#include <QObject>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;

namespace monvalor {

class SelectionWayland;
class SelectionX11;

class PressePapierQt final : public IPressePapier {
public:
    PressePapierQt();
    ~PressePapierQt() override;
    std::optional<std::string> LireTexte() override;
    void EcrireTexte(const std::string& texte) override;
    void Vider() override;
    bool PeutAvoirChange() override;
    void SurChangement(std::function<void()> rappel) override;

    // Whether the clipboard holds the text we put there last, which only we can serve.
    bool Possede();
    // Answers the other programs' requests for our text, and nothing else: the program is
    // ending and none of its handlers may run.
    void Servir();

private:
    std::optional<std::string> Lire();
    bool RevenuTotDe(std::size_t empreinte) const;
    void Signaler();
    // Handles what our own connection received, and tells the window when it should look.
    void Traiter();
    std::uint32_t Proprietaire();

    std::unique_ptr<QObject> contexte_;
    std::unique_ptr<SelectionWayland> wayland_;
    std::unique_ptr<SelectionX11> x11_;
    std::unique_ptr<QSocketNotifier> veilleur_;
    std::function<void()> rappel_;
    bool branche_ = false;
    std::uint32_t notreFenetre_ = 0; // X11: Qt's window that owns our texts, once we wrote one
    // Qt's clipboard on Wayland tells our own writes and emptyings as changes too, even an
    // emptying the compositor refused: only the others' count.
    bool nosOperations_ = false;
    bool changeEtranger_ = true;
    // Clipboard managers (KDE's Klipper by default, on X11 and Wayland alike) put back what was
    // emptied at once. The text we last read and emptied, when, and how many times running it
    // came back that soon: a first return may be the user copying it again and is taken, a
    // second is a manager's, and is left alone, so that it is not taken again and again. Texts
    // are known by their hash, so that a large one is not held.
    std::optional<std::size_t> dernierLu_;
    std::optional<std::size_t> vide_;
    std::chrono::steady_clock::time_point instantVide_;
    int retours_ = 0;
};

// How soon after we emptied it the same text counts as coming back.
inline constexpr std::chrono::milliseconds DelaiRetourApresVidage{1000};

} // namespace monvalor
