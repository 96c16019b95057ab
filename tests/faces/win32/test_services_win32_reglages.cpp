#include "ErreurLevee.h"

#include "support/Erreur.h"
#include "support/TexteSource.h"
#include "toolkit/win32/ReglagesWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

using namespace monvalor;

namespace {

const std::wstring kStore = L"Software\\VB and VBA Program Settings\\";

class ReglagesWin32Test : public ::testing::Test {
protected:
    // Every application key this test made begins with its name.
    void TearDown() override {
        HKEY racine = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kStore.c_str(), 0, KEY_READ, &racine) !=
            ERROR_SUCCESS) {
            return;
        }
        std::vector<std::wstring> noms;
        wchar_t nom[256];
        for (DWORD i = 0, n = 256;
             RegEnumKeyExW(racine, i, nom, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             ++i, n = 256) {
            if (std::wstring_view(nom).starts_with(Large(application))) {
                noms.push_back(nom);
            }
        }
        RegCloseKey(racine);
        for (const std::wstring& n : noms) {
            RegDeleteTreeW(HKEY_CURRENT_USER, (kStore + n).c_str());
        }
    }
    static std::wstring Large(const std::string& ascii) {
        return std::wstring(ascii.begin(), ascii.end());
    }
    bool CleExiste(const std::wstring& chemin) {
        HKEY h = nullptr;
        const bool existe =
            RegOpenKeyExW(HKEY_CURRENT_USER, chemin.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS;
        if (h) {
            RegCloseKey(h);
        }
        return existe;
    }
    // A value as another program may have left it.
    void PoserBrut(const std::string& cle, DWORD type, const void* octets, DWORD taille) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, CleSection(application, "Brut").c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(h, std::wstring(cle.begin(), cle.end()).c_str(), 0, type,
                       static_cast<const BYTE*>(octets), taille);
        RegCloseKey(h);
    }

    std::string application = "MonvalorEssai" + std::to_string(GetCurrentProcessId());
    MagasinReglagesWin32 reglages;
};

} // namespace

TEST_F(ReglagesWin32Test, ValeursRelues) {
    const std::string valeurs[] = {
        "",          "19,6",     std::string(u8"Français € ÿ œ « »"_ansi),
        "a\\b/c%5C", "l1\r\nl2", std::string(20000, 'x')};
    for (const std::string& v : valeurs) {
        reglages.Ecrire(application, "Options", "k" + std::to_string(&v - valeurs), v);
    }
    MagasinReglagesWin32 relu;
    for (const std::string& v : valeurs) {
        EXPECT_EQ(relu.Lire(application, "Options", "k" + std::to_string(&v - valeurs)), v);
    }
    EXPECT_TRUE(CleExiste(kStore + Large(application) + L"\\Options"));
}

TEST_F(ReglagesWin32Test, TroisNiveauxDistincts) {
    const std::string adresses[][3] = {
        {"A", "s", "k"},    {"B", "s", "k"},    {"A", "t", "k"},    {"A", "s", "j"},
        {"A\\s", "k", "x"}, {"A", "s\\k", "x"}, {"A", "s", "k\\x"}, {"A%5Cs", "k", "x"},
        {"A", "", "k"},     {"A", "%", "k"},    {"A", "s", ""},     {"A", "\xE0", "\xFF"}};
    // Each holds its own address, written with '|' between the levels.
    for (const auto& [a, s, k] : adresses) {
        reglages.Ecrire(application + a, s, k, a + "|" + s + "|" + k);
    }
    for (const auto& [a, s, k] : adresses) {
        EXPECT_EQ(reglages.Lire(application + a, s, k), a + "|" + s + "|" + k);
    }
    EXPECT_EQ(reglages.Lire(application + "A", "s", "absente"), std::nullopt);
    EXPECT_EQ(reglages.Lire(application + "Z", "s", "k"), std::nullopt);
}

TEST_F(ReglagesWin32Test, SuppressionNeLaissePasDeCleVide) {
    const std::wstring cleApplication = kStore + Large(application);
    reglages.Ecrire(application, "S1", "a", "1");
    reglages.Ecrire(application, "S1", "b", "2");
    reglages.Ecrire(application, "S2", "a", "3");
    reglages.Supprimer(application, "S1", "a");
    reglages.Supprimer(application, "S1", "absente");
    reglages.Supprimer(application, "Absente", "a");
    EXPECT_EQ(reglages.Lire(application, "S1", "a"), std::nullopt);
    EXPECT_EQ(reglages.Lire(application, "S1", "b"), "2");
    reglages.Supprimer(application, "S1", "b");
    EXPECT_FALSE(CleExiste(cleApplication + L"\\S1"));
    EXPECT_EQ(reglages.Lire(application, "S2", "a"), "3");
    reglages.Supprimer(application, "S2", "a");
    EXPECT_FALSE(CleExiste(cleApplication));
}

TEST_F(ReglagesWin32Test, ValeursLaisseesParDAutres) {
    const wchar_t sansNul[] = {L'1', L'2'};
    PoserBrut("sansNul", REG_SZ, sansNul, sizeof sansNul);
    const DWORD nombre = 42;
    PoserBrut("nombre", REG_DWORD, &nombre, sizeof nombre);
    const wchar_t chinois[] = L"a\u4E2D";
    PoserBrut("chinois", REG_SZ, chinois, sizeof chinois);
    EXPECT_EQ(reglages.Lire(application, "Brut", "sansNul"), "12");
    EXPECT_EQ(reglages.Lire(application, "Brut", "nombre"), std::nullopt);
    EXPECT_EQ(reglages.Lire(application, "Brut", "chinois"), "a?");
}

TEST_F(ReglagesWin32Test, EcritureImpossibleSignalee) {
    // A key name longer than the registry takes.
    EXPECT_EQ(
        test::ErreurLevee([&] { reglages.Ecrire(application, std::string(300, 's'), "k", "v"); }),
        ErrAccesChemin);
}
