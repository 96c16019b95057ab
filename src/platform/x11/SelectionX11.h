// The X11 clipboard read through a connection of our own, without ever waiting for its owner:
// a read is a request that answers later, from the event loop, so an owner that never answers
// costs nothing but the request. XFixes tells when the clipboard's owner changes, so that a
// clipboard that did not change is not read again.
//
// Under XWayland the compositor stands for the Wayland programs' clipboard, and some (wlroots)
// refuse it to X programs while no X window has the focus: every form, its list of forms
// included, is refused. Such a read is asked again when an X window gets the focus (the window
// manager's _NET_ACTIVE_WINDOW) or the clipboard changes, never in between.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace monvalor {

class SelectionX11 {
public:
    using Horloge = std::chrono::steady_clock;

    // How long an owner may keep us waiting for its answer before the read counts as failed
    // and is asked again; and, once a large transfer is under way, for each next piece (a busy
    // machine may be slow to send them, and starting again would cost the whole text anew).
    static constexpr std::chrono::milliseconds DelaiReponse{100};
    static constexpr std::chrono::milliseconds DelaiMorceau{1000};
    // A text longer than this is not read at all: it counts as a clipboard without text.
    static constexpr std::size_t TailleMax = 64u << 20;

    // Connects to the display (nullptr: $DISPLAY); nullptr when there is none or it lacks
    // XFixes.
    static std::unique_ptr<SelectionX11> Ouvrir(const char* affichage = nullptr);
    ~SelectionX11();
    SelectionX11(const SelectionX11&) = delete;
    SelectionX11& operator=(const SelectionX11&) = delete;

    // The connection's socket: when it becomes readable, call Traiter().
    int Descripteur() const;

    // Handles what the server sent. True when the caller should look again: the owner changed,
    // or a read finished.
    bool Traiter(Horloge::time_point maintenant = Horloge::now());

    // Whether the clipboard may differ from what the last complete read gave.
    bool AChange(Horloge::time_point maintenant = Horloge::now());

    // The clipboard's text in UTF-8 ("" without an owner or a text form) when a read has
    // finished since the last change; otherwise starts a read, unless one is under way, and
    // gives nullopt. A read whose owner does not answer in time is given up and started anew.
    std::optional<std::string> Lire(Horloge::time_point maintenant = Horloge::now());

    // The clipboard was read by other means (we own it): it counts as read until it changes.
    void MarquerLu();

    // Whether the last read was refused, and waits for the focus to come to an X window.
    bool Refuse() const { return refuse_; }

    // Makes the clipboard ownerless, whoever owns it.
    void Vider();

    // The window that owns the clipboard now (0 for none), as the server knows it.
    std::uint32_t Proprietaire();

    // Bytes transferred by reads since the connection opened (for measurements).
    std::uint64_t OctetsLus() const { return octetsLus_; }

private:
    struct Connexion;
    explicit SelectionX11(std::unique_ptr<Connexion> c);
    void Demarrer(Horloge::time_point maintenant, std::uint32_t cible);
    void Abandonner();
    void Refuser(bool refuse);
    bool SurFocus();
    bool SurReponse(std::uint32_t propriete, Horloge::time_point maintenant);
    bool SurMorceau(Horloge::time_point maintenant);
    bool LireMorceaux();
    void Terminer(std::string texte);

    std::unique_ptr<Connexion> c_;
    bool change_ = true;
    bool refuse_ = false;
    std::uint32_t proprietaire_ = 0; // as XFixes last told it
    std::optional<std::string> pret_;
    struct Transfert {
        std::uint32_t cible = 0;
        std::uint32_t type = 0; // of the bytes received: UTF8_STRING or STRING
        bool incremental = false;
        Horloge::time_point activite;
        std::string donnees;
    };
    std::optional<Transfert> transfert_;
    std::uint64_t octetsLus_ = 0;
};

} // namespace monvalor
