// The transfer tests on the Win32 face: a message loop of the test's own, as the program's
// windows would run it.
#include "Banc.h"
#include "support/TexteSource.h"
#include "toolkit/win32/TransfertWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>

namespace monvalor {

namespace {

// What PlusTard has to run, by thread timer.
std::map<UINT_PTR, std::function<void()>>& Differes() {
    static std::map<UINT_PTR, std::function<void()>> differes;
    return differes;
}

void CALLBACK Echeance(HWND, UINT, UINT_PTR minuterie, DWORD) {
    KillTimer(nullptr, minuterie);
    const auto p = Differes().find(minuterie);
    if (p != Differes().end()) {
        const std::function<void()> f = std::move(p->second);
        Differes().erase(p);
        f();
    }
}

} // namespace

std::unique_ptr<ITransfert> NouveauTransfert(std::chrono::milliseconds delai) {
    return std::make_unique<TransfertWin32>(delai);
}

void Tourner(const std::function<bool()>& fini, std::chrono::milliseconds max) {
    const ULONGLONG fin = GetTickCount64() + static_cast<ULONGLONG>(max.count());
    while (!fini()) {
        const ULONGLONG maintenant = GetTickCount64();
        if (maintenant >= fin) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(fin - maintenant),
                                  QS_ALLINPUT);
        MSG message;
        while (!fini() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void PlusTard(std::chrono::milliseconds delai, std::function<void()> f) {
    const UINT_PTR minuterie =
        SetTimer(nullptr, 0, static_cast<UINT>(std::max<long long>(delai.count(), 1)), &Echeance);
    Differes()[minuterie] = std::move(f);
}

void Variable(const char* nom, const char* valeur) {
    SetEnvironmentVariableA(nom, valeur);
}

bool CadreLeCorps() {
    return false;
}

namespace {

bool SousWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace

std::string RaisonCertificatInconnu(const std::string& serveur) {
    if (SousWine()) {
        return std::string(u8"La connexion sécurisée avec "_ansi) + serveur +
               std::string(u8" a échoué"_ansi);
    }
    return std::string(
        u8"Le certificat du serveur 127.0.0.1 n'est pas d'une autorité reconnue"_ansi);
}

std::string RaisonProvisoiresSansFin(const std::string& echeance) {
    // Wine's WinHTTP refuses them as a malformed answer; one that reads on past them (as
    // Windows' is meant to) leaves the deadline to end them.
    return SousWine() ? std::string(u8"Réponse du serveur invalide"_ansi) : echeance;
}

} // namespace monvalor

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
