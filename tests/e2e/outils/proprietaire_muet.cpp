// Takes the X11 clipboard, then answers nobody. Prints "pret" once it owns the clipboard; ends on
// a signal.
//   proprietaire_muet         as a frozen program would: it stops reading its connection;
//   proprietaire_muet TEXT    as XWayland under wlroots stands for a Wayland program's
//                             clipboard: every request is refused while the root window names
//                             no active window, and TEXT is served once one is named (an
//                             empty TEXT: the list of forms only, without text).
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

xcb_atom_t Atome(xcb_connection_t* c, const char* nom) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(nom)), nom), nullptr);
    const xcb_atom_t atome = r != nullptr ? r->atom : XCB_NONE;
    std::free(r);
    return atome;
}

bool FenetreActive(xcb_connection_t* c, xcb_window_t racine, xcb_atom_t active) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, racine, active, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool oui = r != nullptr && xcb_get_property_value_length(r) == 4 &&
                     *static_cast<const xcb_window_t*>(xcb_get_property_value(r)) != XCB_NONE;
    std::free(r);
    return oui;
}

void Repondre(xcb_connection_t* c, const xcb_selection_request_event_t& d, const char* texte,
              bool permis) {
    const xcb_atom_t formes[] = {Atome(c, "TARGETS"), Atome(c, "UTF8_STRING")};
    xcb_atom_t propriete = XCB_NONE;
    if (permis && d.target == formes[0]) {
        propriete = d.property;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, d.requestor, propriete, XCB_ATOM_ATOM, 32, 2,
                            formes);
    } else if (permis && d.target == formes[1] && *texte != '\0') {
        propriete = d.property;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, d.requestor, propriete, formes[1], 8,
                            static_cast<uint32_t>(std::strlen(texte)), texte);
    }
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = d.time;
    n.requestor = d.requestor;
    n.selection = d.selection;
    n.target = d.target;
    n.property = propriete;
    xcb_send_event(c, 0, d.requestor, 0, reinterpret_cast<const char*>(&n));
    xcb_flush(c);
}

} // namespace

int main(int argc, char** argv) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const xcb_screen_t* ecran = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t fenetre = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, fenetre, ecran->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = Atome(c, "CLIPBOARD");
    xcb_set_selection_owner(c, fenetre, clipboard, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* proprietaire =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    if (proprietaire == nullptr || proprietaire->owner != fenetre) {
        std::fprintf(stderr, "could not take the clipboard\n");
        return 1;
    }
    std::free(proprietaire);
    std::puts("pret");
    std::fflush(stdout);
    if (argc < 2) {
        for (;;) {
            pause();
        }
    }
    const xcb_atom_t active = Atome(c, "_NET_ACTIVE_WINDOW");
    while (xcb_generic_event_t* ev = xcb_wait_for_event(c)) {
        if ((ev->response_type & 0x7F) == XCB_SELECTION_REQUEST) {
            const auto* d = reinterpret_cast<xcb_selection_request_event_t*>(ev);
            Repondre(c, *d, argv[1], FenetreActive(c, ecran->root, active));
        }
        std::free(ev);
    }
    return 0;
}
