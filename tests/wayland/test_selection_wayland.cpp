// The Wayland clipboard reader against a real compositor (tests/wayland/avec_sway.sh starts a
// headless sway): wl-copy for texts and images, and a second connection of ours as an owner
// that serves when it is told to, or never.
#include "platform/wayland/SelectionWayland.h"

#include "LectureSelection.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <thread>

using namespace monvalor;
using monvalor::test::LireEnAttendant;
using namespace std::chrono_literals;
using Horloge = SelectionWayland::Horloge;

namespace {

// Puts the bytes on the clipboard with wl-copy, offered as the given type, and waits until the
// compositor has told the change.
void Copier(SelectionWayland& s, const std::string& octets, const char* type = "text/plain") {
    const std::string commande = std::string("wl-copy -t '") + type + "'";
    FILE* copie = popen(commande.c_str(), "w");
    ASSERT_NE(copie, nullptr);
    std::fwrite(octets.data(), 1, octets.size(), copie);
    ASSERT_EQ(pclose(copie), 0);
    for (int i = 0; i < 200 && !s.AChange(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
}

class SelectionWaylandTest : public ::testing::Test {
protected:
    void SetUp() override {
        selection = SelectionWayland::Ouvrir();
        ASSERT_NE(selection, nullptr) << "no compositor with data-control on $WAYLAND_DISPLAY";
        // What a previous case left goes first, and the compositor's word of it too: the
        // clipboard is read until it has stayed unchanged for a while.
        selection->Vider();
        auto calme = Horloge::now();
        for (const auto fin = calme + 2s; Horloge::now() < fin && Horloge::now() - calme < 200ms;
             std::this_thread::sleep_for(5ms)) {
            if (selection->AChange()) {
                selection->Lire();
                calme = Horloge::now();
            }
        }
    }
    std::unique_ptr<SelectionWayland> selection;
};

} // namespace

TEST_F(SelectionWaylandTest, TextsComeAsUtf8WhateverTheOwnerOffers) {
    const struct {
        const char* nom;
        std::string octets;
        const char* type;
        std::string attendu;
    } cas[] = {
        {"UTF-8",
         "1\xE2\x80\xAF"
         "234,56 \xE2\x82\xAC",
         "text/plain;charset=utf-8",
         "1\xE2\x80\xAF"
         "234,56 \xE2\x82\xAC"},
        {"an image only", "\x89PNG\r\n\x1A\n", "image/png", ""},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Copier(*selection, c.octets, c.type);
        EXPECT_EQ(LireEnAttendant(*selection, 2s), c.attendu);
    }
}

TEST_F(SelectionWaylandTest, ReadsOncePerChangeAndLargeTextsWhole) {
    EXPECT_FALSE(selection->AChange()) << "the clipboard was just read";
    Copier(*selection, "12,5");
    EXPECT_EQ(selection->Lire(), std::nullopt) << "a read is asked, not waited for";
    pollfd p{selection->Descripteur(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 1000), 1) << "the text's arrival wakes the event loop";
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "12,5");

    const std::string gros(10'000'000, 'x');
    Copier(*selection, gros);
    const std::uint64_t avant = selection->OctetsLus();
    EXPECT_EQ(LireEnAttendant(*selection, 10s), gros);
    std::this_thread::sleep_for(1200ms);
    EXPECT_FALSE(selection->AChange());
    EXPECT_EQ(selection->OctetsLus() - avant, gros.size());
}

TEST_F(SelectionWaylandTest, AnOwnerThatDoesNotWriteCostsNoWait) {
    auto proprietaire = SelectionWayland::Ouvrir();
    ASSERT_NE(proprietaire, nullptr);
    ASSERT_TRUE(proprietaire->Ecrire("12,5"));
    // The owner's own text is known to it at once, without asking anyone.
    EXPECT_EQ(LireEnAttendant(*proprietaire, 2s), "12,5");
    EXPECT_TRUE(proprietaire->Possede());

    // Its event loop is frozen: once its offer has come (the emptying before may be told
    // first), every call returns at once, the read is given up and asked again, never waited
    // for.
    for (int i = 0; i < 200 && !(selection->AChange() && !selection->Lire()); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    const auto debut = Horloge::now();
    for (int i = 0; i < 30; ++i) {
        const auto t = Horloge::now();
        selection->AChange();
        EXPECT_EQ(selection->Lire(), std::nullopt);
        EXPECT_LT(Horloge::now() - t, 50ms) << "call " << i;
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_GT(Horloge::now() - debut, SelectionWayland::DelaiReponse);

    // Once it serves again, the text arrives; another program's copy then replaces it.
    EXPECT_EQ(LireEnAttendant(*selection, 2s, {proprietaire.get()}), "12,5");
    Copier(*selection, "13");
    proprietaire->Traiter();
    EXPECT_FALSE(proprietaire->Possede());
    EXPECT_EQ(LireEnAttendant(*proprietaire, 2s), "13");
}

TEST_F(SelectionWaylandTest, EmptyingReachesAnotherProgramsText) {
    Copier(*selection, "12,5");
    ASSERT_EQ(LireEnAttendant(*selection, 2s), "12,5");
    ASSERT_TRUE(selection->Vider());
    EXPECT_EQ(LireEnAttendant(*selection, 2s), "");
    FILE* colle = popen("wl-paste -n 2>/dev/null", "r");
    ASSERT_NE(colle, nullptr);
    char tampon[16];
    EXPECT_EQ(std::fread(tampon, 1, sizeof tampon, colle), 0u);
    pclose(colle);
}
