// The Windows drives and folders: typed paths tidied as Windows tidies them, the errors of
// folders that cannot be read, and the drives and folders of the real system.
#ifdef _WIN32
#include "platform/windows/VolumesWindows.h"
#include "support/TexteSource.h"

#include "DossierTemporaire.h"
#include "ErreurLevee.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace monvalor;
using namespace monvalor::test;
namespace fs = std::filesystem;

TEST(VolumesWindows, TypedPathsAreTidiedAsWindowsDoes) {
    const std::tuple<const char*, const char*, const char*> cas[] = {
        {"C:\\Users\\anne", "Documents\\.\\Factures\\", "C:\\Users\\anne\\Documents\\Factures"},
        {"C:\\Users\\anne", "..\\..\\..\\..", "C:\\"},
        {"C:\\Users\\anne", "d:/Jeux//Sauve", "D:\\Jeux\\Sauve"},
        {"C:\\Users\\anne", "\\Windows", "C:\\Windows"},
        {"C:\\Users\\anne", "C:Images", "C:\\Users\\anne\\Images"},
        {"C:\\Users\\anne", "D:Images", "D:\\Images"},
        {"C:\\Users\\anne", "notes. . \\x", "C:\\Users\\anne\\notes\\x"},
        {"c:\\", "", "C:\\"},
        {"\\\\serveur\\partage\\a", "..\\..\\b", "\\\\serveur\\partage\\b"},
        {"C:\\Users\\anne", "//serveur/partage/", "\\\\serveur\\partage"},
    };
    VolumesWindows v;
    for (const auto& [base, texte, chemin] : cas) {
        EXPECT_EQ(v.Resoudre(base, texte), chemin) << base << " + " << texte;
    }
    const std::tuple<const char*, bool> absolus[] = {
        {"C:\\x", true}, {"c:/x", true}, {"\\\\serveur\\partage", true},
        {"C:x", false},  {"\\x", false}, {"x", false},
        {"", false}};
    for (const auto& [chemin, absolu] : absolus) {
        EXPECT_EQ(v.EstAbsolu(chemin), absolu) << chemin;
    }
}

TEST(VolumesWindows, FoldersThatCannotBeReadSayWhy) {
    const std::tuple<DWORD, const char*, bool, int, std::string> cas[] = {
        {ERROR_NOT_READY, "A:\\", true, 68,
         std::string(u8"Périphérique non disponible : A:\\ (aucun disque dans le lecteur)"_ansi)},
        {ERROR_NOT_READY, "A:\\x", false, 68,
         std::string(u8"Périphérique non disponible : A:\\x (aucun disque dans le lecteur)"_ansi)},
        {ERROR_PATH_NOT_FOUND, "C:\\x", false, 76,
         std::string(u8"Chemin d'accès introuvable : C:\\x"_ansi)},
        {ERROR_DIRECTORY, "C:\\x", false, 76,
         std::string(u8"Chemin d'accès introuvable : C:\\x"_ansi)},
        {ERROR_ACCESS_DENIED, "C:\\x", false, 70, std::string(u8"Permission refusée : C:\\x"_ansi)},
        {ERROR_ACCESS_DENIED, "E:\\", true, 68,
         std::string(u8"Périphérique non disponible : E:\\ (accès refusé)"_ansi)},
        {ERROR_BAD_NETPATH, "N:\\x", false, 68,
         std::string(u8"Périphérique non disponible : N:\\x (serveur injoignable)"_ansi)},
        {1234, "C:\\x", false, 68,
         std::string(u8"Périphérique non disponible : C:\\x (erreur système 1234)"_ansi)},
    };
    for (const auto& [code, dossier, racine, numero, texte] : cas) {
        const Erreur e = EchecDossierWindows(code, dossier, racine);
        EXPECT_EQ(std::tuple(e.Numero(), e.Description()), std::tuple(numero, texte)) << code;
    }
}

TEST(VolumesWindows, TheSystemsDrivesAndAFoldersVisibleSubFolders) {
    VolumesWindows v;
    const std::vector<Volume> lecteurs = v.Lecteurs();
    std::string racines;
    for (const Volume& l : lecteurs) {
        racines += l.racine + (l.genre == GenreVolume::Systeme ? "*" : "") + " ";
    }
    // One root per letter in order; the drive Windows lives on is the system's.
    EXPECT_NE(racines.find("C:\\* "), std::string::npos) << racines;
    EXPECT_TRUE(
        std::is_sorted(lecteurs.begin(), lecteurs.end(),
                       [](const Volume& a, const Volume& b) { return a.racine < b.racine; }))
        << racines;
    for (const Volume& l : lecteurs) {
        EXPECT_TRUE(l.racine.size() == 3 && l.racine.substr(1) == ":\\") << l.racine;
    }

    DossierTemporaire d;
    for (const wchar_t* nom :
         {L"Documents", L"\u00C9t\u00E9", L".cache", L"Cach\u00E9", L"Syst", L"\u65E5"}) {
        fs::create_directory(d.Chemin() / nom);
    }
    SetFileAttributesW((d.Chemin() / L"Cach\u00E9").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((d.Chemin() / L"Syst").c_str(), FILE_ATTRIBUTE_SYSTEM);
    EcrireFichier(d.Chemin() / "notes.txt", "x");
    const std::string chemin = d.Chemin().string();
    std::vector<std::string> noms = v.SousDossiers(chemin);
    std::sort(noms.begin(), noms.end());
    EXPECT_EQ(noms, (std::vector<std::string>{"Documents", std::string(u8"Été"_ansi)}));
    EXPECT_EQ(v.SousDossiers(chemin + "\\Documents\\"), std::vector<std::string>{});

    char libre = 0;
    for (char c = 'Z'; c > 'D' && libre == 0; --c) {
        libre = (GetLogicalDrives() & (1u << (c - 'A'))) == 0 ? c : 0;
    }
    const std::tuple<std::string, int> echecs[] = {
        {chemin + "\\nulle", ErrCheminIntrouvable},
        {chemin + "\\notes.txt", ErrCheminIntrouvable},
        {chemin + "\\*", ErrCheminIntrouvable},
        {"", ErrCheminIntrouvable},
        {std::string(1, libre) + ":\\", ErrPeripherique},
    };
    for (const auto& [dossier, numero] : echecs) {
        EXPECT_EQ(ErreurLevee([&] { v.SousDossiers(dossier); }), numero) << dossier;
    }

    const fs::path ici = fs::current_path();
    fs::current_path(d.Chemin() / "Documents");
    const std::string courant = v.RepertoireCourant();
    fs::current_path(ici);
    EXPECT_EQ(courant, chemin + "\\Documents");
}
#endif
