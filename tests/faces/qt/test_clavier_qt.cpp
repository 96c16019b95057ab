// The keyboard guard of the Qt face: a key's repeats and release go only to the window where
// it went down, and a key event made up by another program only to the window it names.
#include "toolkit/qt/ClavierQt.h"

#include <QKeyEvent>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>

using namespace monvalor;

namespace {

constexpr quint32 kRetour = 36; // the X key code of Return

bool Admis(GardeClavierQt& garde, QWindow& fenetre, QEvent::Type genre, quint64 instant,
           bool repetition) {
    QKeyEvent touche(genre, Qt::Key_Return, Qt::NoModifier, kRetour, 0, 0, QString(), repetition);
    touche.setTimestamp(instant);
    return garde.Admettre(fenetre, touche);
}

} // namespace

TEST(ClavierQt, AKeyRepeatsAndIsReleasedOnlyInTheWindowWhereItWentDown) {
    GardeClavierQt garde;
    QWindow a;
    QWindow b;
    using enum QEvent::Type;
    const struct {
        const char* quoi;
        QWindow* fenetre;
        QEvent::Type genre;
        quint64 instant;
        bool repetition;
        bool admis;
    } pas[] = {
        {"pressed in A", &a, KeyPress, 100, false, true},
        {"the shortcut check of a repeat, in B", &b, ShortcutOverride, 760, true, false},
        {"repeated in B", &b, KeyPress, 760, true, false},
        {"repeated in A", &a, KeyPress, 800, true, true},
        {"a repeat's release, in B", &b, KeyRelease, 840, false, false},
        {"a repeat Qt did not mark, at the instant of that release", &b, KeyPress, 840, false,
         false},
        {"released in A", &a, KeyRelease, 900, false, true},
        {"pressed in B", &b, KeyPress, 950, false, true},
        {"repeated in B", &b, KeyPress, 990, true, true},
        {"released in A", &a, KeyRelease, 1000, false, false},
    };
    for (const auto& p : pas) {
        EXPECT_EQ(Admis(garde, *p.fenetre, p.genre, p.instant, p.repetition), p.admis) << p.quoi;
    }
    // The window where the key went down is gone: its repeats go nowhere.
    auto c = std::make_unique<QWindow>();
    EXPECT_TRUE(Admis(garde, *c, KeyPress, 2000, false));
    c.reset();
    EXPECT_FALSE(Admis(garde, a, KeyPress, 2660, true));
    EXPECT_FALSE(Admis(garde, a, KeyRelease, 2700, false));
}

TEST(ClavierQt, AKeyEventMadeUpByAnotherProgramGoesOnlyToTheWindowItNames) {
    const struct {
        int genre;
        bool synthetique;
        xcb_window_t visee;
        WId focus;
        bool admis;
    } cas[] = {
        {XCB_KEY_PRESS, false, 7, 9, true}, // the keyboard's: X names the window it likes
        {XCB_KEY_PRESS, true, 9, 9, true},
        {XCB_KEY_PRESS, true, 7, 9, false},
        {XCB_KEY_RELEASE, true, 7, 9, false},
        {XCB_KEY_PRESS, true, 7, 0, true}, // no window has the focus: Qt gives it to that one
        {XCB_BUTTON_PRESS, true, 7, 9, true},
    };
    for (const auto& c : cas) {
        xcb_key_press_event_t e{};
        e.response_type = static_cast<uint8_t>(c.genre | (c.synthetique ? 0x80 : 0));
        e.event = c.visee;
        EXPECT_EQ(GardeClavierQt::AdmettreX11(&e, c.focus), c.admis)
            << c.genre << " " << c.synthetique << " " << c.visee << " " << c.focus;
    }
}
