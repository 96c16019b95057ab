// The X11 clipboard reader against real owners on a private X server (tests/x11/avec_x.sh
// starts it): xclip for texts and images, and a program that takes the clipboard and never
// answers ($MONVALOR_MUET).
#include "platform/x11/SelectionX11.h"

#include <gtest/gtest.h>

#include <poll.h>
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

// Reads as the program does: a read is asked, then the event loop waits for the socket.
std::optional<std::string> LireEnAttendant(SelectionX11& s, std::chrono::milliseconds limite) {
    const auto fin = Horloge::now() + limite;
    while (Horloge::now() < fin) {
        if (s.AChange()) {
            if (std::optional<std::string> texte = s.Lire()) {
                return texte;
            }
        }
        pollfd p{s.Descripteur(), POLLIN, 0};
        poll(&p, 1, 10);
        s.Traiter();
    }
    return std::nullopt;
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

TEST_F(SelectionX11Test, AnOwnerThatNeverAnswersCostsNoWait) {
    const char* muet = std::getenv("MONVALOR_MUET");
    ASSERT_NE(muet, nullptr);
    int tube[2];
    ASSERT_EQ(pipe(tube), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, tube[1], STDOUT_FILENO);
    pid_t pid = 0;
    char* const arguments[] = {const_cast<char*>(muet), nullptr};
    ASSERT_EQ(posix_spawn(&pid, muet, &actions, nullptr, arguments, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(tube[1]);
    char pret[5] = {};
    ASSERT_EQ(read(tube[0], pret, 4), 4) << "the silent owner did not take the clipboard";
    close(tube[0]);

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
