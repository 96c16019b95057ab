#include "ErreurLevee.h"

#include "support/Ansi.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"
#include "toolkit/win32/DialogueFichierWin32.h"
#include "toolkit/win32/FonctionsRecentes.h"
#include "toolkit/win32/PressePapierWin32.h"
#include "toolkit/win32/ServicesWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <tuple>
#include <vector>

using namespace monvalor;

namespace {

class ServicesWin32Test : public ::testing::Test {
protected:
    void SetUp() override { InstallerServicesWin32(); }
    void TearDown() override { ReinitialiserServices(); }
};

bool EstDossier(const std::string& chemin) {
    const DWORD attributs = GetFileAttributesW(LargeDepuisAnsi(chemin).c_str());
    return attributs != INVALID_FILE_ATTRIBUTES && (attributs & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

TEST(BoiteMessageWin32, Styles) {
    const std::tuple<int, bool, UINT> cas[] = {
        {MsgOK, true, MB_OK},
        {MsgOuiNon | MsgQuestion, true, MB_YESNO | MB_ICONQUESTION},
        {MsgExclamation, true, MB_ICONEXCLAMATION},
        {MsgCritique | MB_DEFBUTTON2, true, MB_ICONHAND | MB_DEFBUTTON2},
        {MsgInformation, false, MB_ICONINFORMATION | MB_TASKMODAL},
        {MB_SYSTEMMODAL, false, MB_SYSTEMMODAL},
        // Values Windows does not know, and a box meant for another desktop.
        {7 | 0x50 | 0x400, true, MB_OK},
        {MsgCritique | MB_SERVICE_NOTIFICATION | MB_DEFAULT_DESKTOP_ONLY, true, MB_ICONHAND},
    };
    for (const auto& [style, proprietaire, attendu] : cas) {
        EXPECT_EQ(StyleBoiteWin32(style, proprietaire), attendu | MB_SETFOREGROUND) << style;
    }
}

TEST(BoiteMessageWin32, Reponses) {
    const std::tuple<int, int, int> cas[] = {
        {IDYES, MsgOuiNon, RepOui}, {IDNO, MsgOuiNon, RepNon},
        {IDOK, MsgOK, RepOK},       {0, MsgOuiNon | MsgQuestion, RepNon},
        {0, MsgOK, RepOK},          {0, MB_OKCANCEL, RepAnnuler},
    };
    for (const auto& [retour, style, attendu] : cas) {
        EXPECT_EQ(ReponseBoiteWin32(retour, style), attendu) << retour << " " << style;
    }
}

namespace {

// What the system's message box on this thread shows, read once it is up; then it is closed.
std::wstring gTexteBoite;

BOOL CALLBACK LireBoite(HWND h, LPARAM) {
    wchar_t classe[16] = {};
    GetClassNameW(h, classe, 16);
    if (std::wcscmp(classe, L"#32770") != 0 || !IsWindowVisible(h)) {
        return TRUE;
    }
    std::vector<wchar_t> texte(16384, L'\0');
    GetDlgItemTextW(h, 0xFFFF, texte.data(), static_cast<int>(texte.size()));
    gTexteBoite = texte.data();
    PostMessageW(h, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK ChercherBoite(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), LireBoite, 0);
}

} // namespace

// The box's text may come from a server: no control characters, no more than fits the screen.
TEST_F(ServicesWin32Test, UneBoiteMontreSonTexteBorne) {
    std::string cent;
    for (int i = 0; i < 100; ++i) {
        cent += "ligne\x1B\r\n";
    }
    gTexteBoite.clear();
    const UINT_PTR minuterie = SetTimer(nullptr, 0, 50, ChercherBoite);
    EXPECT_EQ(Plateforme().boiteMessage->Afficher(cent, MsgOK, ""), RepOK);
    KillTimer(nullptr, minuterie);
    EXPECT_EQ(std::tuple(std::count(gTexteBoite.begin(), gTexteBoite.end(), L'\n'),
                         gTexteBoite.find(L'\x1B'), gTexteBoite.substr(0, 7)),
              std::tuple(24, std::wstring::npos, std::wstring(L"ligne\r\n")));
}

TEST(InfosApplicationWin32, CheminsScindes) {
    const std::tuple<std::string, std::string, std::string> cas[] = {
        {"C:\\Program Files\\Monvalor\\monvalor.exe", "C:\\Program Files\\Monvalor", "monvalor"},
        {"C:\\monvalor.exe", "C:\\", "monvalor"},
        {"\\\\serveur\\partage\\m.v.exe", "\\\\serveur\\partage", "m.v"},
        {"D:\\outils\\sans", "D:\\outils", "sans"},
    };
    for (const auto& [chemin, repertoire, nom] : cas) {
        const EmplacementProgramme e = ScinderCheminProgramme(chemin);
        EXPECT_EQ(std::tie(e.repertoire, e.nom), std::tie(repertoire, nom)) << chemin;
    }
}

TEST(InfosApplicationWin32, ProgrammeDeTest) {
    const InfosApplication infos = InfosApplicationWin32();
    EXPECT_EQ(infos.titre, "Monvalor");
    EXPECT_EQ(infos.nomExe, "services_win32_tests");
    EXPECT_NE(infos.repertoire.back(), '\\');
    EXPECT_TRUE(FichierExiste(JoindreChemin(infos.repertoire, infos.nomExe + ".exe")));
    // Read from the record of this program.
    EXPECT_EQ(std::tie(infos.versionMajeure, infos.versionMineure, infos.versionRevision),
              std::make_tuple(7, 8, 9));
    EXPECT_EQ(infos.description, u8"Épreuve des services"_ansi);
    EXPECT_EQ(infos.copyright, u8"© 2026 Essai €"_ansi);
    EXPECT_EQ(infos.repertoireDonneesInstallees, "");
}

TEST(DialogueFichierWin32, FicheTransmise) {
    FicheDialogueFichier fiche;
    fiche.hwndOwner = 0x1234;                                       // no such window
    fiche.lpstrFilter = std::string("Texte\0*.txt\0Tous\0*.*", 21); // its last NULs missing
    fiche.nFilterIndex = 2;
    fiche.lpstrFile = std::string("C:\\a.txt") + std::string(253, '\0');
    fiche.nMaxFile = 260;
    fiche.lpstrFileTitle.assign(260, '\0');
    fiche.nMaxFileTitle = 260;
    fiche.lpstrTitle = "Ouvrir";
    fiche.lpstrDefExt = "txt";
    fiche.Flags = OfnFichierExistant | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    const AppelDialogueFichier appel(fiche);
    const OPENFILENAMEA& ofn = appel.ofn;
    EXPECT_EQ(ofn.hwndOwner, nullptr);
    EXPECT_EQ(std::string(ofn.lpstrFilter, 23), std::string("Texte\0*.txt\0Tous\0*.*\0\0", 23));
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_STREQ(ofn.lpstrFile, "C:\\a.txt");
    EXPECT_EQ(ofn.nMaxFile, 260u);
    EXPECT_STREQ(ofn.lpstrTitle, "Ouvrir");
    EXPECT_STREQ(ofn.lpstrDefExt, "txt");
    EXPECT_EQ(ofn.lpstrInitialDir, nullptr);
    // No hook or template it could call, several names separated by NULs.
    EXPECT_EQ(ofn.Flags, static_cast<DWORD>(OfnFichierExistant | OFN_EXPLORER));

    // The dialog answers.
    std::strcpy(ofn.lpstrFile, "C:\\dossier\\b.csv");
    std::strcpy(ofn.lpstrFileTitle, "b.csv");
    auto& reponse = const_cast<OPENFILENAMEA&>(ofn);
    reponse.nFileOffset = 11;
    reponse.nFileExtension = 13;
    reponse.nFilterIndex = 1;
    reponse.Flags |= OFN_READONLY;
    RecopierReponse(appel, fiche);
    EXPECT_EQ(fiche.lpstrFile.size(), 261u);
    EXPECT_STREQ(fiche.lpstrFile.c_str(), "C:\\dossier\\b.csv");
    EXPECT_STREQ(fiche.lpstrFileTitle.c_str(), "b.csv");
    EXPECT_EQ(std::tie(fiche.nFileOffset, fiche.nFileExtension, fiche.nFilterIndex),
              std::make_tuple(11, 13, 1u));
    EXPECT_EQ(fiche.Flags, static_cast<std::uint32_t>(OfnFichierExistant | OFN_ENABLEHOOK |
                                                      OFN_ENABLETEMPLATE | OfnLectureSeule));
}

TEST(DialogueFichierWin32, TamponsJamaisPlusPetitsQueAnnonce) {
    const std::tuple<std::uint32_t, std::size_t, std::uint32_t> cas[] = {
        // room announced, buffer given, room the dialog is told
        {300, 10, 300},
        {0, 0, 0},
        {0xFFFFFFFF, 4, 1u << 20},
    };
    for (const auto& [annonce, donne, dit] : cas) {
        FicheDialogueFichier fiche;
        fiche.lpstrFile.assign(donne, 'x');
        fiche.nMaxFile = annonce;
        fiche.lpstrFileTitle.assign(donne, '\0');
        fiche.nMaxFileTitle = annonce;
        const AppelDialogueFichier appel(fiche);
        EXPECT_EQ(appel.ofn.nMaxFile, dit);
        EXPECT_GT(appel.fichier.size(), appel.ofn.nMaxFile);
        EXPECT_EQ(appel.fichier.back(), '\0');
        EXPECT_EQ(appel.ofn.lpstrFileTitle == nullptr, annonce == 0);
        if (appel.ofn.lpstrFileTitle) {
            EXPECT_GT(appel.titreFichier.size(), appel.ofn.nMaxFileTitle);
        }
    }
}

TEST_F(ServicesWin32Test, Dossiers) {
    Services& s = Plateforme();
    s.application.titre = "MonvalorEssai" + std::to_string(GetCurrentProcessId());
    const std::string donnees = s.systeme->RepertoireDonnees();
    EXPECT_TRUE(donnees.ends_with("\\" + s.application.titre)) << donnees;
    EXPECT_TRUE(EstDossier(donnees));
    RemoveDirectoryW(LargeDepuisAnsi(donnees).c_str());
    const std::string systeme = s.systeme->RepertoireSysteme();
    EXPECT_TRUE(FichierExiste(JoindreChemin(systeme, "kernel32.dll"))) << systeme;
}

TEST_F(ServicesWin32Test, ProgrammesEtDocuments) {
    ISysteme& systeme = *Plateforme().systeme;
    const std::string dossier = systeme.RepertoireDonnees();
    const std::string vide = JoindreChemin(dossier, "MonvalorUpdate.exe");
    std::ofstream(LargeDepuisAnsi(vide).c_str()).close(); // an updater that came back empty
    EXPECT_NE(test::ErreurLevee([&] { systeme.Lancer(vide, 0); }), 0);
    DeleteFileW(LargeDepuisAnsi(vide).c_str());
    EXPECT_EQ(test::ErreurLevee([&] { systeme.Lancer(vide, 0); }), ErrFichierIntrouvable);
    EXPECT_EQ(test::ErreurLevee([&] { systeme.Lancer("", 1); }), ErrFichierIntrouvable);
    EXPECT_EQ(test::ErreurLevee([&] {
                  systeme.Lancer(JoindreChemin(systeme.RepertoireSysteme(), "hostname.exe"), 0);
              }),
              0);
    EXPECT_LE(systeme.OuvrirDocument(vide, "open"), 32);
}

TEST_F(ServicesWin32Test, HorlogeMonotone) {
    const double avant = Plateforme().horloge();
    Sleep(50);
    const double ecoule = Plateforme().horloge() - avant;
    EXPECT_GE(ecoule, 0.04);
    EXPECT_LT(ecoule, 5.0);
}

// Wine has the DPI functions of Windows 10: what the program does without them gives the same.
TEST(FonctionsRecentes, SansEllesLesMemesMesures) {
    EXPECT_EQ(DpiSystemeAncien(), DpiSysteme());
    EXPECT_EQ(DpiFenetre(GetDesktopWindow()), DpiSysteme());
    for (const int mesure : {SM_CXICON, SM_CYICON, SM_CXSMICON, SM_CYSMICON, SM_CXVSCROLL}) {
        for (const UINT dpi : {96u, 120u, 144u, 192u}) {
            EXPECT_EQ(MesureSystemeAncienne(mesure, dpi), MesureSysteme(mesure, dpi))
                << mesure << " at " << dpi;
        }
    }
}
