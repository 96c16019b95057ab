// The X11 clipboard reader against real owners on a private X server (tests/x11/avec_x.sh
// starts it): xclip for texts and images, and a program that takes the clipboard and never
// answers ($MONVALOR_MUET).
#include "platform/x11/SelectionX11.h"

#include "LectureSelection.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

using namespace monvalor;
using monvalor::test::LireEnAttendant;
using namespace std::chrono_literals;
using Horloge = SelectionX11::Horloge;

namespace {

// Puts the bytes on the clipboard with xclip, offered as the given type, and waits until the
// child that xclip leaves serving them owns the clipboard.
void Copier(SelectionX11& s, const std::string& octets, const char* type = "UTF8_STRING") {
    const std::uint32_t avant = s.Proprietaire();
    const std::string commande =
        std::string("xclip -selection clipboard -i -t ") + type + " 2>/dev/null";
    FILE* xclip = popen(commande.c_str(), "w");
    ASSERT_NE(xclip, nullptr);
    std::fwrite(octets.data(), 1, octets.size(), xclip);
    ASSERT_EQ(pclose(xclip), 0);
    for (int i = 0; i < 200 && (s.Proprietaire() == avant || s.Proprietaire() == 0); ++i) {
        std::this_thread::sleep_for(10ms);
    }
}

class SelectionX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        selection = SelectionX11::Ouvrir();
        ASSERT_NE(selection, nullptr) << "no X server with XFixes on $DISPLAY";
        // What a previous case left goes first.
        selection->Vider();
        LireEnAttendant(*selection, 1s);
    }
    std::unique_ptr<SelectionX11> selection;
};

} // namespace

TEST_F(SelectionX11Test, TextsComeAsUtf8WhateverTheOwnerOffers) {
    const struct {
        const char* nom;
        std::string octets;
        const char* type;
        std::string attendu;
    } cas[] = {
        {"UTF-8", "h\xC3\xA9llo 12,5 \xE2\x82\xAC", "UTF8_STRING",
         "h\xC3\xA9llo 12,5 \xE2\x82\xAC"},
        {"Latin-1 only", "x\xE9 12", "STRING", "x\xC3\xA9 12"},
        {"an image only", "\x89PNG\r\n\x1A\n", "image/png", ""},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Copier(*selection, c.octets, c.type);
        EXPECT_EQ(LireEnAttendant(*selection, 2s), c.attendu);
    }
}

TEST_F(SelectionX11Test, ReadsOncePerChange) {
    EXPECT_FALSE(selection->AChange()) << "the clipboard was just read";
    Copier(*selection, "12,5");
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "12,5");
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(selection->AChange());
    Copier(*selection, "13");
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "13");
}

TEST_F(SelectionX11Test, LargeTextComesWholeInPiecesAndOnlyOnce) {
    const std::string gros(10'000'000, 'x');
    Copier(*selection, gros);
    const std::uint64_t avant = selection->OctetsLus();
    const std::optional<std::string> lu = LireEnAttendant(*selection, 10s);
    ASSERT_TRUE(lu.has_value());
    EXPECT_EQ(lu->size(), gros.size());
    EXPECT_EQ(*lu, gros);
    std::this_thread::sleep_for(1200ms);
    EXPECT_FALSE(selection->AChange());
    EXPECT_EQ(selection->OctetsLus() - avant, gros.size());
}

// Starts the test owner (tests/e2e/outils/proprietaire_muet.cpp) and waits until it owns the
// clipboard; its pid, or 0.
pid_t Muet(const char* texte = nullptr) {
    const char* muet = std::getenv("MONVALOR_MUET");
    int tube[2];
    if (muet == nullptr || pipe(tube) != 0) {
        return 0;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, tube[1], STDOUT_FILENO);
    pid_t pid = 0;
    char* const arguments[] = {const_cast<char*>(muet), const_cast<char*>(texte), nullptr};
    const int r = posix_spawn(&pid, muet, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(tube[1]);
    char pret[5] = {};
    const bool lu = r == 0 && read(tube[0], pret, 4) == 4;
    close(tube[0]);
    return lu ? pid : 0;
}

TEST_F(SelectionX11Test, AnOwnerThatNeverAnswersCostsNoWait) {
    const pid_t pid = Muet();
    ASSERT_NE(pid, 0) << "the silent owner did not take the clipboard";

    // Every call returns at once; the read is given up and asked again, never waited for.
    const auto debut = Horloge::now();
    for (int i = 0; i < 30; ++i) {
        const auto t = Horloge::now();
        EXPECT_TRUE(selection->AChange());
        EXPECT_EQ(selection->Lire(), std::nullopt);
        EXPECT_LT(Horloge::now() - t, 50ms) << "call " << i;
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GT(Horloge::now() - debut, SelectionX11::DelaiReponse);

    // Once it has gone, the clipboard has no owner and reads as empty.
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "");
}

TEST_F(SelectionX11Test, EmptyingReachesAnotherProgramsText) {
    Copier(*selection, "12,5");
    ASSERT_NE(selection->Proprietaire(), 0u);
    selection->Vider();
    EXPECT_EQ(selection->Proprietaire(), 0u);
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "");
}

// XWayland under wlroots refuses every form, its list included, while no X window has the focus.
// The refusal is not a clipboard without text: nothing is asked again until the window manager
// names an active window, and then the text comes.
TEST_F(SelectionX11Test, ARefusedReadWaitsForTheFocus) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_window_t racine = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const char nom[] = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t* active =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof nom - 1, nom), nullptr);
    ASSERT_NE(active, nullptr);
    const auto nommer = [&](xcb_window_t fenetre) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, racine, active->atom, XCB_ATOM_WINDOW, 32, 1,
                            &fenetre);
        xcb_flush(c);
    };
    nommer(XCB_NONE);
    const pid_t pid = Muet("12,50");
    ASSERT_NE(pid, 0);

    EXPECT_EQ(LireEnAttendant(*selection, 500ms), std::nullopt);
    EXPECT_TRUE(selection->Refuse());
    EXPECT_FALSE(selection->AChange()) << "a refused read is not asked again at every tick";
    nommer(racine);
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "12,50");
    EXPECT_FALSE(selection->Refuse());

    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);

    // An owner that lists its forms, none of them text, is no refusal: a clipboard without text.
    const pid_t sansTexte = Muet("");
    ASSERT_NE(sansTexte, 0);
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "");
    EXPECT_FALSE(selection->Refuse());
    kill(sansTexte, SIGTERM);
    waitpid(sansTexte, nullptr, 0);
    nommer(XCB_NONE);
    std::free(active);
    xcb_disconnect(c);
}
