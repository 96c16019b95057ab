// The registry of Linux: only the system information tool's path is there, found on the PATH.
// Windows has a registry of its own.
#ifndef _WIN32
#include "platform/posix/RegistrePosix.h"
#include "services/Services.h"

#include "DossierTemporaire.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace monvalor;
using namespace monvalor::test;
namespace fs = std::filesystem;

namespace {

std::string Executable(const fs::path& chemin) {
    EcrireFichier(chemin, "#!/bin/sh\nexit 0\n");
    fs::permissions(chemin, fs::perms::owner_all, fs::perm_options::replace);
    return chemin.string();
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
        const std::string outil = Executable((i % 2 ? a : b).Chemin() / outils[i]);
        EXPECT_EQ(TrouverOutilInfosSysteme(Path()), outil);
    }
}

TEST_F(RegistreLinux, OnlyExecutableFilesInAbsoluteFoldersCount) {
    EcrireFichier(a.Chemin() / "hardinfo2", "pas un programme"); // not executable
    fs::create_directory(a.Chemin() / "hardinfo");               // a folder
    // A relative entry of the search path is never looked at, nor an empty one.
    const std::string outil = Executable(a.Chemin() / "sysinfo");
    const fs::path ici = fs::current_path();
    fs::current_path(a.Chemin());
    const auto relatif = TrouverOutilInfosSysteme(".:sous:" + b.Chemin().string());
    const auto vide = TrouverOutilInfosSysteme(":" + b.Chemin().string() + ":");
    fs::current_path(ici);
    EXPECT_EQ(relatif, std::nullopt);
    EXPECT_EQ(vide, std::nullopt);
    // A folder written with its trailing separator; the file and the folder before are passed.
    EXPECT_EQ(TrouverOutilInfosSysteme(b.Chemin().string() + ":" + a.Chemin().string() + "/"),
              outil);
}

TEST_F(RegistreLinux, OnlyTheToolPathAnswersAsATextValue) {
    const std::string outil = Executable(b.Chemin() / "cpu-x");
    RegistrePosix registre(Path());
    // The names match whatever the case of their letters, and nothing else does.
    const std::tuple<std::uintptr_t, const char*, const char*, bool> cas[] = {
        {RacineMachineLocale, CleInfosSysteme, "PATH", true},
        {RacineMachineLocale, "software\\microsoft\\shared tools\\msinfo", "Path", true},
        {0x80000001, CleInfosSysteme, "PATH", false},
        {RacineMachineLocale, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO\\", "PATH", false},
        {RacineMachineLocale, CleInfosSysteme, "PATHS", false},
    };
    for (const auto& [racine, cle, nom, trouve] : cas) {
        const auto valeur = registre.LireValeur(racine, cle, nom);
        ASSERT_EQ(valeur.has_value(), trouve) << cle << " " << nom;
        if (valeur) {
            EXPECT_EQ(valeur->type, RegTexte);
            EXPECT_EQ(valeur->octets, outil + '\0');
        }
    }
}
#endif
