// The registry of Linux: only the system information tool's path is there, found on the PATH.
#include "about/frmAbout.h"
#include "platform/Services.h"
#include "platform/posix/RegistrePosix.h"

#include "DossierTemporaire.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace monvalor;
using namespace monvalor::test;

namespace {

namespace fs = std::filesystem;

void Executable(const fs::path& chemin) {
    EcrireFichier(chemin, "#!/bin/sh\nexit 0\n");
    fs::permissions(chemin, fs::perms::owner_all, fs::perm_options::replace);
}

class RegistreLinux : public ::testing::Test {
protected:
    DossierTemporaire a, b;
    std::string Path() const { return a.Chemin().string() + ":" + b.Chemin().string(); }
};

} // namespace

TEST_F(RegistreLinux, EachToolIsFoundAndTheEarlierOnesWin) {
    const char* const outils[] = {"hardinfo2", "hardinfo", "kinfocenter", "lshw-gtk",
                                  "sysinfo",   "cpu-x",    "i-nex"};
    // With tools i and on present, tool i is the one given, whichever folder holds it.
    for (int i = 6; i >= 0; --i) {
        SCOPED_TRACE(outils[i]);
        Executable((i % 2 ? a : b).Chemin() / outils[i]);
        EXPECT_EQ(TrouverOutilInfosSysteme(Path()),
                  ((i % 2 ? a : b).Chemin() / outils[i]).string());
    }
}

TEST_F(RegistreLinux, OnlyExecutableFilesInAbsoluteFoldersCount) {
    EcrireFichier(a.Chemin() / "hardinfo2", "pas un programme"); // not executable
    fs::create_directory(a.Chemin() / "hardinfo");               // a folder
    EXPECT_EQ(TrouverOutilInfosSysteme(Path()), std::nullopt);

    // A relative entry of the search path is never looked at.
    Executable(a.Chemin() / "sysinfo");
    const fs::path ici = fs::current_path();
    fs::current_path(a.Chemin());
    const auto relatif = TrouverOutilInfosSysteme(".:" + b.Chemin().string());
    const auto vide = TrouverOutilInfosSysteme(":" + b.Chemin().string() + ":");
    fs::current_path(ici);
    EXPECT_EQ(relatif, std::nullopt);
    EXPECT_EQ(vide, std::nullopt);
    EXPECT_EQ(TrouverOutilInfosSysteme(""), std::nullopt);

    // A folder written with its trailing separator.
    EXPECT_EQ(TrouverOutilInfosSysteme(b.Chemin().string() + ":" + a.Chemin().string() + "/"),
              (a.Chemin() / "sysinfo").string());
}

TEST_F(RegistreLinux, OnlyTheToolPathAnswers) {
    Executable(b.Chemin() / "cpu-x");
    RegistrePosix registre(Path());
    struct Cas {
        std::uintptr_t racine;
        const char* cle;
        const char* nom;
        bool trouve;
    };
    const Cas cas[] = {
        {RacineMachineLocale, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", true},
        {RacineMachineLocale, "software\\microsoft\\shared tools\\msinfo", "Path", true},
        {0x80000001, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", false},
        {RacineMachineLocale, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", false},
        {RacineMachineLocale, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATHS", false},
        {RacineMachineLocale, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\", "PATH", false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(std::string(c.cle) + " " + c.nom);
        const auto valeur = registre.LireValeur(c.racine, c.cle, c.nom);
        ASSERT_EQ(valeur.has_value(), c.trouve);
        if (valeur) {
            EXPECT_EQ(valeur->type, RegTexte);
            EXPECT_EQ(valeur->octets, (b.Chemin() / "cpu-x").string() + '\0');
        }
    }
    EXPECT_EQ(RegistrePosix(b.Chemin().string())
                  .LireValeur(RacineMachineLocale, CleInfosSysteme, "PATH")
                  .has_value(),
              true);
    EXPECT_EQ(RegistrePosix(a.Chemin().string())
                  .LireValeur(RacineMachineLocale, CleInfosSysteme, "PATH")
                  .has_value(),
              false);
}

TEST_F(RegistreLinux, TheAboutWindowReadsThePathAsText) {
    Executable(a.Chemin() / "i-nex");
    ReinitialiserServices();
    Plateforme().registre = std::make_shared<RegistrePosix>(Path());
    std::string valeur;
    EXPECT_TRUE(
        frmAbout::Defaut().GetKeyValue(RacineMachineLocale, CleInfosSysteme, "PATH", valeur));
    EXPECT_EQ(valeur, (a.Chemin() / "i-nex").string());
    frmAbout::ReinitialiserDefaut();
    ReinitialiserServices();
}
