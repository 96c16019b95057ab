#include "ErreurLevee.h"

#include "support/TexteSource.h"
#include "toolkit/win32/PressePapierWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace monvalor;

namespace {

// Puts a block of the given format on the clipboard as another program would.
void PoserBrut(UINT format, const void* octets, std::size_t taille) {
    HGLOBAL bloc = GlobalAlloc(GMEM_MOVEABLE, taille);
    std::memcpy(GlobalLock(bloc), octets, taille);
    GlobalUnlock(bloc);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(format, bloc);
    CloseClipboard();
}

// Runs the message loop until `fini` or the time is up.
template <class F> void Pomper(F fini, int ms) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (!fini() && std::chrono::steady_clock::now() < limite) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

// Another program: its own window, on its own thread. Our window keeps answering meanwhile,
// as the system tells the clipboard's owner when another empties it.
void EcrireAilleurs(const std::string& texte) {
    std::atomic<bool> fini = false;
    std::thread ecrivain([&] {
        PressePapierWin32().EcrireTexte(texte);
        fini = true;
    });
    Pomper([&] { return fini.load(); }, 5000);
    ecrivain.join();
}

// A read that may have to wait for a machine busy with other work.
std::optional<std::string> LireSansHate(IPressePapier& pp) {
    std::optional<std::string> lu;
    Pomper([&] { return (lu = pp.LireTexte()).has_value(); }, 3000);
    return lu;
}

double MillisecondesDe(const std::function<void()>& f) {
    const auto debut = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - debut)
        .count();
}

class PressePapierWin32Test : public ::testing::Test {
protected:
    PressePapierWin32 pp;
};

} // namespace

TEST_F(PressePapierWin32Test, TextesRelusTelsQuels) {
    for (std::string_view texte : {std::string_view("1,91"), u8"Prix : 12,50 € — été, œuvre"_ansi,
                                   std::string_view(""), std::string_view("  \t\r\n ")}) {
        pp.EcrireTexte(std::string(texte));
        EXPECT_EQ(LireSansHate(pp), texte);
    }
}

TEST_F(PressePapierWin32Test, CaracteresSansOctetEnPointDInterrogation) {
    const struct {
        std::wstring large;
        std::string attendu;
    } cas[] = {
        {L"a\u4E2Db", "a?b"},
        {L"x\U0001F600y", "x?y"}, // one character, two code units
        {L"x\xD800y", "x?y"},     // a lone surrogate
        {L"\u20AC\u0153\u0178", "\x80\x9C\x9F"},
    };
    for (const auto& [large, attendu] : cas) {
        PoserBrut(CF_UNICODETEXT, large.c_str(), (large.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(LireSansHate(pp), attendu);
    }
}

TEST_F(PressePapierWin32Test, SansTexteDonneVide) {
    const char octets[] = "\x89PNG";
    PoserBrut(RegisterClipboardFormatW(L"Monvalor.Essai"), octets, sizeof octets);
    EXPECT_EQ(LireSansHate(pp), "");
    pp.EcrireTexte("12");
    pp.Vider();
    EXPECT_EQ(LireSansHate(pp), "");
}

TEST_F(PressePapierWin32Test, NumeroDeSequenceDitSiRelire) {
    EXPECT_TRUE(pp.PeutAvoirChange()); // nothing read yet
    EcrireAilleurs("5");
    ASSERT_EQ(LireSansHate(pp), "5");
    EXPECT_FALSE(pp.PeutAvoirChange());
    EcrireAilleurs("5");
    EXPECT_TRUE(pp.PeutAvoirChange()); // the same text, put there again
    ASSERT_EQ(LireSansHate(pp), "5");
    pp.Vider();
    EXPECT_TRUE(pp.PeutAvoirChange());
}

TEST_F(PressePapierWin32Test, EcouteurAppeleDepuisLaBoucle) {
    int appels = 0;
    pp.SurChangement([&] { ++appels; });
    EcrireAilleurs("7");
    Pomper([&] { return appels > 0; }, 2000);
    EXPECT_EQ(appels, 1);
    // Our own writing notifies too, but never from inside the call.
    pp.EcrireTexte("8");
    EXPECT_EQ(appels, 1);
    Pomper([&] { return appels > 1; }, 2000);
    EXPECT_EQ(appels, 2);
    pp.SurChangement(nullptr);
    EcrireAilleurs("9");
    Pomper([] { return false; }, 300);
    EXPECT_EQ(appels, 2);
}

TEST_F(PressePapierWin32Test, PressePapierOccupeNeBloquePas) {
    pp.EcrireTexte("3");
    HANDLE pret = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE fin = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread occupant([&] {
        HWND fenetre = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
        if (OpenClipboard(fenetre)) {
            SetEvent(pret);
            WaitForSingleObject(fin, 5000);
            CloseClipboard();
        }
        DestroyWindow(fenetre);
    });
    ASSERT_EQ(WaitForSingleObject(pret, 5000), WAIT_OBJECT_0);
    std::optional<std::string> lu = "?";
    EXPECT_LT(MillisecondesDe([&] { lu = pp.LireTexte(); }), 400);
    EXPECT_EQ(lu, std::nullopt);
    EXPECT_NE(test::ErreurLevee([&] { pp.EcrireTexte("4"); }), 0);
    EXPECT_NE(test::ErreurLevee([&] { pp.Vider(); }), 0);
    SetEvent(fin);
    occupant.join();
    EXPECT_EQ(LireSansHate(pp), "3");
    CloseHandle(pret);
    CloseHandle(fin);
}

TEST_F(PressePapierWin32Test, ProprietaireMuetNeBloquePas) {
    // A program that promises its text and never renders it while we ask.
    HANDLE pret = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE fin = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread muet([&] {
        HWND fenetre = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
        OpenClipboard(fenetre);
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, nullptr);
        CloseClipboard();
        SetEvent(pret);
        WaitForSingleObject(fin, 5000);
        DestroyWindow(fenetre);
    });
    WaitForSingleObject(pret, 5000);
    std::optional<std::string> lu = "?";
    EXPECT_LT(MillisecondesDe([&] { lu = pp.LireTexte(); }), 400);
    EXPECT_EQ(lu, std::nullopt);
    // The first reader still waits: the next read gives up at once instead of piling up.
    EXPECT_LT(MillisecondesDe([&] { lu = pp.LireTexte(); }), 50);
    EXPECT_EQ(lu, std::nullopt);
    SetEvent(fin);
    muet.join();
    CloseHandle(pret);
    CloseHandle(fin);
}
