#include "toolkit/win32/ServicesWin32.h"

#include "services/Lancement.h"
#include "support/Ansi.h"
#include "support/Chaines.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"
#include "support/TexteSource.h"
#include "support/Version.h"
#include "toolkit/win32/DialogueFichierWin32.h"
#include "toolkit/win32/PressePapierWin32.h"
#include "toolkit/win32/ReglagesWin32.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace monvalor {

namespace {

constexpr int kMasqueBoutons = 0xF;
constexpr int kMasqueIcone = 0xF0;
constexpr int kMasqueDefaut = 0xF00;

// The texts handed to the "A" functions are the core's Windows-1252 bytes: the ANSI code page
// of the Western systems this program speaks to.

class BoiteMessageWin32 final : public IBoiteMessage {
public:
    int Afficher(const std::string& texte, int style, const std::string& titre) override {
        const HWND proprietaire = GetActiveWindow();
        // The text may come from a server: no more of it than fits the screen.
        const std::wstring corps = LargeDepuisAnsi(BornerPourAffichage(texte));
        const std::wstring entete =
            LargeDepuisAnsi(titre.empty() ? Plateforme().application.titre : titre);
        const int retour = MessageBoxW(proprietaire, corps.c_str(), entete.c_str(),
                                       StyleBoiteWin32(style, proprietaire != nullptr));
        return ReponseBoiteWin32(retour, style);
    }
};

// The path of a folder as the core can name it: its own characters, or failing that its short
// form, whose names are plain ASCII; "" when neither will do.
std::string CheminAnsi(const std::wstring& chemin) {
    if (std::optional<std::string> ansi = AnsiExactDepuisLarge(chemin)) {
        return *ansi;
    }
    std::vector<wchar_t> court(chemin.size() + 1 + MAX_PATH, L'\0');
    const DWORD n =
        GetShortPathNameW(chemin.c_str(), court.data(), static_cast<DWORD>(court.size()));
    if (n == 0 || n >= court.size()) {
        return {};
    }
    return AnsiExactDepuisLarge(std::wstring_view(court.data(), n)).value_or(std::string());
}

class SystemeWin32 final : public ISysteme {
public:
    long OuvrirDocument(const std::string& chemin, const std::string& operation) override {
        const HINSTANCE retour =
            ShellExecuteA(nullptr, operation.empty() ? nullptr : operation.c_str(), chemin.c_str(),
                          "", nullptr, SW_SHOWNORMAL);
        return static_cast<long>(reinterpret_cast<INT_PTR>(retour));
    }

    void Lancer(const std::string& commande, int styleFenetre) override {
        STARTUPINFOA depart{};
        depart.cb = sizeof depart;
        depart.dwFlags = STARTF_USESHOWWINDOW;
        depart.wShowWindow = static_cast<WORD>(
            styleFenetre >= SW_HIDE && styleFenetre <= SW_MAX ? styleFenetre : SW_SHOWNORMAL);
        // The program is named by itself, so that a folder with spaces cannot be read as the
        // start of another; the command line repeats it quoted, as programs expect.
        std::string ligne = "\"" + commande + "\"";
        PROCESS_INFORMATION processus{};
        if (commande.empty() || commande.find('\0') != std::string::npos) {
            throw Erreur(ErrFichierIntrouvable);
        }
        // Hidden means no console window either, for a program that would open one.
        const DWORD options = depart.wShowWindow == SW_HIDE ? CREATE_NO_WINDOW : 0;
        if (!CreateProcessA(commande.c_str(), ligne.data(), nullptr, nullptr, FALSE, options,
                            nullptr, nullptr, &depart, &processus)) {
            throw Erreur(systeme::ErreurDemarrage(GetLastError()));
        }
        CloseHandle(processus.hThread);
        CloseHandle(processus.hProcess);
    }

    bool LancerVerifie(const std::string& chemin, const std::string& nomFinal,
                       const std::function<bool(std::string_view)>& verifier) override {
        return systeme::LancerVerifie(CheminSysteme(chemin), CheminSysteme(nomFinal), verifier);
    }

    [[noreturn]] void Terminer(int code) override {
        std::fflush(stdout);
        std::fflush(stderr);
        // No window hears of it: none of their closing steps runs. The clipboard's text stays,
        // the system keeps it.
        ExitProcess(static_cast<UINT>(code));
    }

    std::string RepertoireDonnees() override {
        wchar_t base[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                    SHGFP_TYPE_CURRENT, base))) {
            return {};
        }
        std::wstring dossier = base;
        if (!dossier.empty() && dossier.back() != L'\\') {
            dossier += L'\\';
        }
        dossier += LargeDepuisAnsi(Plateforme().application.titre);
        if (!CreateDirectoryW(dossier.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
        return CheminAnsi(dossier);
    }

    std::string RepertoireSysteme() override {
        std::string dossier(MAX_PATH, '\0');
        UINT n = GetSystemDirectoryA(dossier.data(), static_cast<UINT>(dossier.size()));
        if (n >= dossier.size()) {
            dossier.assign(n, '\0');
            n = GetSystemDirectoryA(dossier.data(), static_cast<UINT>(dossier.size()));
            if (n >= dossier.size()) {
                return {};
            }
        }
        dossier.resize(n);
        return dossier;
    }
};

std::wstring CheminDuProgramme() {
    std::wstring chemin(MAX_PATH, L'\0');
    // Long paths may exceed MAX_PATH: the buffer grows until the name fits.
    while (chemin.size() <= 32768) {
        const DWORD n =
            GetModuleFileNameW(nullptr, chemin.data(), static_cast<DWORD>(chemin.size()));
        if (n == 0) {
            return {};
        }
        if (n < chemin.size()) {
            chemin.resize(n);
            return chemin;
        }
        chemin.resize(chemin.size() * 2);
    }
    return {};
}

struct RecordVersion {
    bool present = false;
    int majeure = 0;
    int mineure = 0;
    int revision = 0;
    std::string description;
    std::string copyright;
};

std::string TexteVersion(const std::vector<BYTE>& donnees, const std::vector<DWORD>& langues,
                         const wchar_t* nom) {
    for (DWORD langue : langues) {
        wchar_t chemin[96];
        std::swprintf(chemin, sizeof chemin / sizeof chemin[0], L"\\StringFileInfo\\%04x%04x\\%ls",
                      static_cast<unsigned>(LOWORD(langue)), static_cast<unsigned>(HIWORD(langue)),
                      nom);
        void* valeur = nullptr;
        UINT longueur = 0;
        if (VerQueryValueW(donnees.data(), chemin, &valeur, &longueur) && valeur && longueur > 0) {
            std::wstring_view texte(static_cast<const wchar_t*>(valeur), longueur);
            return AnsiDepuisLarge(texte.substr(0, texte.find(L'\0')));
        }
    }
    return {};
}

RecordVersion LireRecordVersion(const std::wstring& programme) {
    RecordVersion record;
    DWORD inutile = 0;
    const DWORD taille = GetFileVersionInfoSizeW(programme.c_str(), &inutile);
    if (taille == 0) {
        return record;
    }
    std::vector<BYTE> donnees(taille);
    if (!GetFileVersionInfoW(programme.c_str(), 0, taille, donnees.data())) {
        return record;
    }
    void* fixe = nullptr;
    UINT longueur = 0;
    if (VerQueryValueW(donnees.data(), L"\\", &fixe, &longueur) && fixe &&
        longueur >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixe);
        if (info->dwSignature == VS_FFI_SIGNATURE) {
            record.present = true;
            record.majeure = HIWORD(info->dwFileVersionMS);
            record.mineure = LOWORD(info->dwFileVersionMS);
            record.revision = HIWORD(info->dwFileVersionLS);
        }
    }
    // The languages the record declares (each a language and a code page), then the usual
    // French and English ones.
    std::vector<DWORD> langues;
    void* traductions = nullptr;
    if (VerQueryValueW(donnees.data(), L"\\VarFileInfo\\Translation", &traductions, &longueur) &&
        traductions) {
        const auto* paires = static_cast<const WORD*>(traductions);
        for (UINT i = 0; i + 1 < longueur / sizeof(WORD); i += 2) {
            langues.push_back(MAKELONG(paires[i], paires[i + 1]));
        }
    }
    langues.insert(langues.end(), {MAKELONG(0x040C, 1252), MAKELONG(0x040C, 1200),
                                   MAKELONG(0x0409, 1252), MAKELONG(0x0409, 1200)});
    record.description = TexteVersion(donnees, langues, L"FileDescription");
    record.copyright = TexteVersion(donnees, langues, L"LegalCopyright");
    return record;
}

} // namespace

std::uint32_t StyleBoiteWin32(int style, bool avecProprietaire) {
    const int boutons = style & kMasqueBoutons;
    const int icone = style & kMasqueIcone;
    const int defaut = style & kMasqueDefaut;
    UINT resultat = MB_SETFOREGROUND;
    resultat |= boutons <= MB_CANCELTRYCONTINUE ? boutons : MB_OK;
    resultat |= icone <= MB_ICONASTERISK ? icone : 0;
    resultat |= defaut <= MB_DEFBUTTON4 ? defaut : MB_DEFBUTTON1;
    resultat |= style & (MB_SYSTEMMODAL | MB_RIGHT | MB_RTLREADING);
    if (!avecProprietaire && !(resultat & MB_SYSTEMMODAL)) {
        // Otherwise the user could go on in our other windows while the box waits.
        resultat |= MB_TASKMODAL;
    }
    return resultat;
}

int ReponseBoiteWin32(int retour, int style) {
    if (retour != 0) {
        return retour; // the IDOK, IDYES... numbers are the core's own
    }
    switch ((style & kMasqueBoutons) <= MB_CANCELTRYCONTINUE ? style & kMasqueBoutons : MB_OK) {
    case MB_OK:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

EmplacementProgramme ScinderCheminProgramme(const std::string& chemin) {
    EmplacementProgramme emplacement;
    const std::size_t barre = chemin.rfind('\\');
    std::string nom = barre == std::string::npos ? chemin : chemin.substr(barre + 1);
    if (barre != std::string::npos) {
        emplacement.repertoire = chemin.substr(0, barre);
        // "C:" alone is the current folder of drive C, not its root.
        if (emplacement.repertoire.size() == 2 && emplacement.repertoire[1] == ':') {
            emplacement.repertoire += '\\';
        }
    }
    const std::size_t point = nom.rfind('.');
    if (point != std::string::npos && point > 0) {
        nom.resize(point);
    }
    emplacement.nom = std::move(nom);
    return emplacement;
}

InfosApplication InfosApplicationWin32() {
    InfosApplication infos;
    infos.titre = "Monvalor";
    const std::wstring programme = CheminDuProgramme();
    const EmplacementProgramme emplacement = ScinderCheminProgramme(CheminAnsi(programme));
    if (!emplacement.repertoire.empty()) {
        infos.repertoire = emplacement.repertoire;
    }
    if (!emplacement.nom.empty()) {
        infos.nomExe = emplacement.nom;
    }
    const RecordVersion record = LireRecordVersion(programme);
    infos.versionMajeure = record.present ? record.majeure : VersionProgramme.majeure;
    infos.versionMineure = record.present ? record.mineure : VersionProgramme.mineure;
    infos.versionRevision = record.present ? record.revision : VersionProgramme.revision;
    infos.description =
        !record.description.empty()
            ? record.description
            : std::string("Logiciel de conversion Franc/Euro, Euro/Franc, TVA, prix TTC, HT.");
    infos.copyright = !record.copyright.empty() ? record.copyright
                                                : std::string(u8"Copyright © 2026 Monvalor"_ansi);
    infos.repertoireDonneesInstallees.clear();
    return infos;
}

void InstallerServicesWin32() {
    Services& s = Plateforme();
    // First: the data folder is named after the title.
    s.application = InfosApplicationWin32();
    s.pressePapier = std::make_shared<PressePapierWin32>();
    s.boiteMessage = std::make_shared<BoiteMessageWin32>();
    s.systeme = std::make_shared<SystemeWin32>();
    s.reglages = std::make_shared<MagasinReglagesWin32>();
    s.dialogueFichier = std::make_shared<DialogueFichierWin32>();
    s.transferts = [] { return CreerTransfertWin32(); };
    LARGE_INTEGER frequence{};
    QueryPerformanceFrequency(&frequence);
    s.horloge = [secondes = static_cast<double>(frequence.QuadPart)] {
        LARGE_INTEGER compteur{};
        QueryPerformanceCounter(&compteur);
        return static_cast<double>(compteur.QuadPart) / secondes;
    };
}

} // namespace monvalor
