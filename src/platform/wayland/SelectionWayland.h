// The Wayland clipboard watched, read, emptied and written over a connection of our own, through
// the data-control protocol that wlroots compositors (sway) and KDE's KWin offer to clipboard
// tools: unlike an ordinary Wayland window, it sees every change whatever window has the
// focus. As on X11, a read never waits: the owner writes the text into a pipe that the event
// loop drains, and an owner that never writes costs nothing but the pipe.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace monvalor {

class SelectionWayland {
public:
    using Horloge = std::chrono::steady_clock;

    // How long an owner may take to start writing before the read counts as failed and is
    // asked again, and how long it may then pause between two pieces of a large text.
    static constexpr std::chrono::milliseconds DelaiReponse{100};
    static constexpr std::chrono::milliseconds DelaiMorceau{1000};
    // A longer text is not read: it counts as a clipboard without text.
    static constexpr std::size_t TailleMax = 64u << 20;
    // How long a program that reads our text may keep the pipe full before it is given up.
    static constexpr std::chrono::milliseconds DelaiEcriture{1000};

    // Connects to the compositor (nullptr: $WAYLAND_DISPLAY); nullptr when there is none, or
    // it offers neither data-control protocol, or no seat. Waits at most `attente` for it.
    static std::unique_ptr<SelectionWayland>
    Ouvrir(const char* affichage = nullptr,
           std::chrono::milliseconds attente = std::chrono::milliseconds(1000));
    ~SelectionWayland();
    SelectionWayland(const SelectionWayland&) = delete;
    SelectionWayland& operator=(const SelectionWayland&) = delete;

    // Readable when something needs Traiter(): the compositor, a text arriving, a program
    // ready for more of ours.
    int Descripteur() const;

    // Handles what arrived. True when the caller should look again: the clipboard changed, or
    // a read finished.
    bool Traiter(Horloge::time_point maintenant = Horloge::now());

    // Whether the clipboard may differ from what the last complete read gave.
    bool AChange(Horloge::time_point maintenant = Horloge::now());

    // The clipboard's text in UTF-8 ("" without a selection or a text form) when it is known;
    // otherwise starts a read, unless one is under way, and gives nullopt. Our own text is
    // known without asking.
    std::optional<std::string> Lire(Horloge::time_point maintenant = Horloge::now());

    // Puts the UTF-8 text on the clipboard, served from here until another program replaces it.
    // False when the connection is broken.
    bool Ecrire(std::string texte);

    // Empties the clipboard, whoever owns it. False when the connection is broken.
    bool Vider();

    // Whether the clipboard holds the text we put there last.
    bool Possede() const;

    // The name of the protocol in use, for messages.
    std::string_view Protocole() const;

    // Bytes received by reads since the connection opened (for measurements).
    std::uint64_t OctetsLus() const { return octetsLus_; }

    struct Connexion;

private:
    explicit SelectionWayland(std::unique_ptr<Connexion> c);
    void Abandonner();
    bool Recevoir(Horloge::time_point maintenant);
    void Servir(Horloge::time_point maintenant);

    std::unique_ptr<Connexion> c_;
    std::uint64_t octetsLus_ = 0;
};

} // namespace monvalor
