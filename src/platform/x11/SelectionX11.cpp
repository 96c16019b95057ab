#include "platform/x11/SelectionX11.h"

#include "support/Ansi.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>

namespace monvalor {

namespace {

// xcb hands out replies and events from malloc; they go back with free.
struct Liberer {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reponse = std::unique_ptr<T, Liberer>;

// A property is read a mebibyte at a time (in 32-bit units).
constexpr std::uint32_t MorceauMots = 1u << 18;

} // namespace

struct SelectionX11::Connexion {
    xcb_connection_t* c = nullptr;
    xcb_window_t racine = XCB_NONE;
    xcb_window_t fenetre = XCB_NONE;
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t utf8 = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    xcb_atom_t propriete = XCB_NONE;
    xcb_atom_t formes = XCB_NONE;
    xcb_atom_t fenetreActive = XCB_NONE;
    std::uint8_t baseXfixes = 0;

    ~Connexion() {
        if (c != nullptr) {
            xcb_disconnect(c);
        }
    }
};

std::unique_ptr<SelectionX11> SelectionX11::Ouvrir(const char* affichage) {
    auto x = std::make_unique<Connexion>();
    int numeroEcran = 0;
    x->c = xcb_connect(affichage, &numeroEcran);
    if (xcb_connection_has_error(x->c)) {
        return nullptr;
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(x->c, &xcb_xfixes_id);
    if (ext == nullptr || !ext->present) {
        return nullptr;
    }
    x->baseXfixes = ext->first_event;
    // XFixes wants its version asked before anything else of it.
    Reponse<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        x->c, xcb_xfixes_query_version(x->c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version || version->major_version < 1) {
        return nullptr;
    }

    const char* const noms[] = {"CLIPBOARD", "UTF8_STRING",       "INCR", "MONVALOR_PRESSE_PAPIER",
                                "TARGETS",   "_NET_ACTIVE_WINDOW"};
    constexpr int nbAtomes = sizeof noms / sizeof noms[0];
    xcb_intern_atom_cookie_t demandes[nbAtomes];
    for (int i = 0; i < nbAtomes; ++i) {
        demandes[i] =
            xcb_intern_atom(x->c, 0, static_cast<std::uint16_t>(std::strlen(noms[i])), noms[i]);
    }
    xcb_atom_t* atomes[] = {&x->clipboard, &x->utf8,   &x->incr,
                            &x->propriete, &x->formes, &x->fenetreActive};
    for (int i = 0; i < nbAtomes; ++i) {
        Reponse<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(x->c, demandes[i], nullptr));
        if (!r) {
            return nullptr;
        }
        *atomes[i] = r->atom;
    }

    xcb_screen_iterator_t ecran = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; i < numeroEcran && ecran.rem > 0; ++i) {
        xcb_screen_next(&ecran);
    }
    if (ecran.data == nullptr) {
        return nullptr;
    }
    x->racine = ecran.data->root;
    // An invisible window receives the answers; property changes tell the pieces of a large
    // transfer.
    x->fenetre = xcb_generate_id(x->c);
    const std::uint32_t masque = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(x->c, XCB_COPY_FROM_PARENT, x->fenetre, ecran.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &masque);
    xcb_xfixes_select_selection_input(x->c, x->fenetre, x->clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(x->c);
    auto selection = std::unique_ptr<SelectionX11>(new SelectionX11(std::move(x)));
    selection->proprietaire_ = selection->Proprietaire();
    return selection;
}

SelectionX11::SelectionX11(std::unique_ptr<Connexion> c) : c_(std::move(c)) {}

SelectionX11::~SelectionX11() = default;

int SelectionX11::Descripteur() const {
    return xcb_get_file_descriptor(c_->c);
}

bool SelectionX11::Traiter(Horloge::time_point maintenant) {
    bool regarder = false;
    while (Reponse<xcb_generic_event_t> ev{xcb_poll_for_event(c_->c)}) {
        const std::uint8_t genre = ev->response_type & 0x7F;
        if (genre == c_->baseXfixes + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(ev.get());
            if (e->selection == c_->clipboard) {
                // Whatever was under way, or ready, belongs to the owner before.
                Abandonner();
                Refuser(false);
                pret_.reset();
                // A window destroyed or a client gone leaves the clipboard without owner,
                // though the event still names the one before.
                proprietaire_ = e->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER
                                    ? e->owner
                                    : XCB_NONE;
                change_ = true;
                regarder = true;
            }
        } else if (genre == XCB_SELECTION_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_selection_notify_event_t*>(ev.get());
            if (e->requestor == c_->fenetre && e->selection == c_->clipboard && transfert_ &&
                !transfert_->incremental && e->target == transfert_->cible) {
                regarder |= SurReponse(e->property, maintenant);
            }
        } else if (genre == XCB_PROPERTY_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_property_notify_event_t*>(ev.get());
            if (e->window == c_->fenetre && e->atom == c_->propriete &&
                e->state == XCB_PROPERTY_NEW_VALUE && transfert_ && transfert_->incremental) {
                regarder |= SurMorceau(maintenant);
            } else if (e->window == c_->racine && e->atom == c_->fenetreActive && refuse_) {
                regarder |= SurFocus();
            }
        }
    }
    if (transfert_ && maintenant - transfert_->activite >
                          (transfert_->incremental ? DelaiMorceau : DelaiReponse)) {
        Abandonner();
    }
    return regarder;
}

bool SelectionX11::AChange(Horloge::time_point maintenant) {
    Traiter(maintenant);
    return change_ || pret_.has_value() || transfert_.has_value() ||
           xcb_connection_has_error(c_->c) != 0;
}

std::optional<std::string> SelectionX11::Lire(Horloge::time_point maintenant) {
    Traiter(maintenant);
    if (pret_) {
        std::optional<std::string> texte = std::move(pret_);
        pret_.reset();
        change_ = false;
        return texte;
    }
    if (proprietaire_ == XCB_NONE) {
        // Nobody to ask: no text.
        change_ = false;
        return std::string();
    }
    if (!transfert_ && xcb_connection_has_error(c_->c) == 0) {
        Demarrer(maintenant, c_->utf8);
    }
    return std::nullopt;
}

void SelectionX11::MarquerLu() {
    Traiter();
    Abandonner();
    pret_.reset();
    change_ = false;
}

void SelectionX11::Vider() {
    xcb_set_selection_owner(c_->c, XCB_NONE, c_->clipboard, XCB_CURRENT_TIME);
    xcb_flush(c_->c);
}

void SelectionX11::Refuser(bool refuse) {
    if (refuse == refuse_) {
        return;
    }
    refuse_ = refuse;
    // Focus changes matter only while a read waits for one: the root window's properties are
    // watched just then.
    const std::uint32_t masque = refuse ? XCB_EVENT_MASK_PROPERTY_CHANGE : 0;
    xcb_change_window_attributes(c_->c, c_->racine, XCB_CW_EVENT_MASK, &masque);
    xcb_flush(c_->c);
}

// The window manager named the window that has the focus: an X window may read now.
bool SelectionX11::SurFocus() {
    Reponse<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c_->c, xcb_get_property(c_->c, 0, c_->racine, c_->fenetreActive, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!r || xcb_get_property_value_length(r.get()) != 4 ||
        *static_cast<const std::uint32_t*>(xcb_get_property_value(r.get())) == XCB_NONE) {
        return false;
    }
    Refuser(false);
    change_ = true;
    return true;
}

std::uint32_t SelectionX11::Proprietaire() {
    Reponse<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
        c_->c, xcb_get_selection_owner(c_->c, c_->clipboard), nullptr));
    return r ? r->owner : XCB_NONE;
}

void SelectionX11::Demarrer(Horloge::time_point maintenant, std::uint32_t cible) {
    transfert_ = Transfert{cible, XCB_NONE, false, maintenant, {}};
    xcb_convert_selection(c_->c, c_->fenetre, c_->clipboard, cible, c_->propriete,
                          XCB_CURRENT_TIME);
    xcb_flush(c_->c);
}

void SelectionX11::Abandonner() {
    if (transfert_) {
        transfert_.reset();
        // A late piece must not be taken for the start of the next read.
        xcb_delete_property(c_->c, c_->fenetre, c_->propriete);
        xcb_flush(c_->c);
    }
}

void SelectionX11::Terminer(std::string texte) {
    // Some owners answer a request for UTF-8 with Latin-1: the type received tells.
    if (transfert_ && transfert_->type == XCB_ATOM_STRING) {
        texte = Latin1VersUtf8(texte);
    }
    transfert_.reset();
    pret_ = std::move(texte);
}

bool SelectionX11::SurReponse(std::uint32_t propriete, Horloge::time_point maintenant) {
    if (propriete == XCB_NONE) {
        // No such form: plain Latin-1 text is the last text to ask for. An owner without
        // either still lists the forms it has; one that refuses even that refuses us.
        if (transfert_->cible == c_->utf8) {
            Demarrer(maintenant, XCB_ATOM_STRING);
            return false;
        }
        if (transfert_->cible == XCB_ATOM_STRING) {
            Demarrer(maintenant, c_->formes);
            return false;
        }
        transfert_.reset();
        change_ = false;
        Refuser(true);
        return false;
    }
    if (transfert_->cible == c_->formes) {
        // It has forms, none of them text.
        xcb_delete_property(c_->c, c_->fenetre, c_->propriete);
        xcb_flush(c_->c);
        Terminer({});
        return true;
    }
    transfert_->activite = maintenant;
    Reponse<xcb_get_property_reply_t> entete(xcb_get_property_reply(
        c_->c,
        xcb_get_property(c_->c, 0, c_->fenetre, c_->propriete, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    if (!entete) {
        Abandonner();
        return false;
    }
    if (entete->type == c_->incr) {
        // A large text comes in pieces: deleting the property asks for each next one.
        transfert_->incremental = true;
        xcb_delete_property(c_->c, c_->fenetre, c_->propriete);
        xcb_flush(c_->c);
        return false;
    }
    const bool texte = (entete->type == c_->utf8 || entete->type == XCB_ATOM_STRING) &&
                       entete->format == 8 && entete->bytes_after <= TailleMax;
    if (!texte || !LireMorceaux()) {
        xcb_delete_property(c_->c, c_->fenetre, c_->propriete);
        xcb_flush(c_->c);
        transfert_->donnees.clear();
    }
    Terminer(std::move(transfert_->donnees));
    return true;
}

bool SelectionX11::SurMorceau(Horloge::time_point maintenant) {
    transfert_->activite = maintenant;
    const std::size_t avant = transfert_->donnees.size();
    if (!LireMorceaux()) {
        // Too long for a text we would look at: no text, and the owner stops there.
        transfert_->donnees.clear();
        Terminer({});
        return true;
    }
    if (transfert_->donnees.size() == avant) {
        // The empty piece ends the transfer.
        Terminer(std::move(transfert_->donnees));
        return true;
    }
    xcb_flush(c_->c);
    return false;
}

// Appends the property's bytes to the transfer, a piece at a time, deleting it with the last
// piece. False when it is no 8-bit text or the text would grow past the limit.
bool SelectionX11::LireMorceaux() {
    std::string& donnees = transfert_->donnees;
    for (std::uint32_t mot = 0;; mot += MorceauMots) {
        Reponse<xcb_get_property_reply_t> r(
            xcb_get_property_reply(c_->c,
                                   xcb_get_property(c_->c, 1, c_->fenetre, c_->propriete,
                                                    XCB_GET_PROPERTY_TYPE_ANY, mot, MorceauMots),
                                   nullptr));
        if (!r) {
            return false;
        }
        const int longueur = xcb_get_property_value_length(r.get());
        if (longueur > 0 &&
            (r->format != 8 || (r->type != c_->utf8 && r->type != XCB_ATOM_STRING))) {
            return false;
        }
        if (longueur > 0) {
            transfert_->type = r->type;
        }
        if (donnees.size() + static_cast<std::size_t>(longueur) > TailleMax) {
            return false;
        }
        donnees.append(static_cast<const char*>(xcb_get_property_value(r.get())),
                       static_cast<std::size_t>(longueur));
        octetsLus_ += static_cast<std::uint64_t>(longueur);
        if (r->bytes_after == 0) {
            return true;
        }
    }
}

} // namespace monvalor
