// Takes the X11 clipboard and then never answers anyone, as a frozen program would: it stops
// reading its connection for good. Prints "pret" once it owns the clipboard; ends on a signal.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const xcb_screen_t* ecran = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t fenetre = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, fenetre, ecran->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const char nom[] = "CLIPBOARD";
    xcb_intern_atom_reply_t* atome = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(nom)), nom), nullptr);
    if (atome == nullptr) {
        return 1;
    }
    xcb_set_selection_owner(c, fenetre, atome->atom, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* proprietaire =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atome->atom), nullptr);
    if (proprietaire == nullptr || proprietaire->owner != fenetre) {
        std::fprintf(stderr, "could not take the clipboard\n");
        return 1;
    }
    std::free(proprietaire);
    std::free(atome);
    std::puts("pret");
    std::fflush(stdout);
    for (;;) {
        pause();
    }
}
