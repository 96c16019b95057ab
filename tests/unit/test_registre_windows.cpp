// The Windows registry read back: values this test writes under HKCU\Software\MonvalorTests,
// removed at the end, come back with their type and exactly their bytes.
#ifdef _WIN32
#include "about/frmAbout.h"
#include "platform/windows/RegistreWindows.h"

#include "Doubles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace monvalor;
using namespace monvalor::test;

namespace {

constexpr std::uintptr_t kUtilisateur = 0x80000001; // HKEY_CURRENT_USER
constexpr const char* kCle = "Software\\MonvalorTests\\Lecture";

class RegistreWin : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kCle, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &cle_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(cle_);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\MonvalorTests");
        AvecDoubles::TearDown();
    }
    void Ecrire(const char* nom, DWORD type, const std::string& octets) {
        ASSERT_EQ(RegSetValueExA(cle_, nom, 0, type, reinterpret_cast<const BYTE*>(octets.data()),
                                 static_cast<DWORD>(octets.size())),
                  ERROR_SUCCESS);
    }
    HKEY cle_ = nullptr;
};

} // namespace

TEST_F(RegistreWin, ValuesComeBackWithTheirTypeAndExactlyTheirBytes) {
    const std::string gros(5000, '\x5A');
    Ecrire("texte", REG_SZ, std::string("C:\\Outils\\msinfo32.exe\0", 23));
    Ecrire("vide", REG_SZ, "");
    Ecrire("nombre", REG_DWORD, "\xFE\xFF\xFF\xFF");
    Ecrire("binaire", REG_BINARY, std::string("\0\x01\xFF\0", 4));
    Ecrire("gros", REG_BINARY, gros);
    Ecrire("", REG_SZ,
           std::string("d\xE9"
                       "faut\0",
                       7));
    using Attendu = std::optional<ValeurRegistre>;
    const auto valeur = [](std::uint32_t type, std::string octets) {
        return Attendu(ValeurRegistre{type, std::move(octets)});
    };
    const struct {
        std::uintptr_t racine;
        std::string cle, nom;
        Attendu attendu;
    } cas[] = {
        {kUtilisateur, kCle, "texte",
         valeur(REG_SZ, std::string("C:\\Outils\\msinfo32.exe\0", 23))},
        {kUtilisateur, "SOFTWARE\\monvalortests\\LECTURE", "TEXTE",
         valeur(REG_SZ, std::string("C:\\Outils\\msinfo32.exe\0", 23))},
        {kUtilisateur, kCle, "vide", valeur(REG_SZ, "")},
        {kUtilisateur, kCle, "nombre", valeur(REG_DWORD, "\xFE\xFF\xFF\xFF")},
        {kUtilisateur, kCle, "binaire", valeur(REG_BINARY, std::string("\0\x01\xFF\0", 4))},
        {kUtilisateur, kCle, "gros", valeur(REG_BINARY, gros)},
        {kUtilisateur, kCle, "",
         valeur(REG_SZ, std::string("d\xE9"
                                    "faut\0",
                                    7))},
        {kUtilisateur, kCle, "absente", std::nullopt},
        {kUtilisateur, std::string(kCle) + "\\Absente", "texte", std::nullopt},
        {RacineMachineLocale, kCle, "texte", std::nullopt},
        {kUtilisateur, kCle, std::string("texte\0x", 7), std::nullopt},
        {kUtilisateur, std::string(kCle) + std::string("\0x", 2), "texte", std::nullopt},
    };
    RegistreWindows registre;
    for (const auto& c : cas) {
        const auto lu = registre.LireValeur(c.racine, c.cle, c.nom);
        EXPECT_EQ(lu.has_value(), c.attendu.has_value()) << c.cle << " " << c.nom;
        if (lu && c.attendu) {
            EXPECT_EQ(std::tuple(lu->type, lu->octets),
                      std::tuple(c.attendu->type, c.attendu->octets))
                << c.nom;
        }
    }
}

TEST_F(RegistreWin, TheAboutWindowReadsTextsAndNumbersThroughIt) {
    Ecrire("texte", REG_SZ, std::string("C:\\Outils\0", 10));
    Ecrire("nombre", REG_DWORD, "\xFE\xFF\xFF\xFF");
    // Stored without its NUL: whether the system adds one on the way back, the text stays whole.
    Ecrire("sans nul", REG_SZ, "\xC9t\xE9");
    Plateforme().registre = std::make_shared<RegistreWindows>();
    const std::tuple<const char*, bool, std::string> cas[] = {{"texte", true, "C:\\Outils"},
                                                              {"sans nul", true, "\xC9t\xE9"},
                                                              {"nombre", true, "-2"},
                                                              {"absente", false, ""}};
    for (const auto& [nom, lu, texte] : cas) {
        std::string valeur = "avant";
        EXPECT_EQ(frmAbout::Defaut().GetKeyValue(kUtilisateur, kCle, nom, valeur), lu) << nom;
        EXPECT_EQ(valeur, texte) << nom;
    }
}
#endif
