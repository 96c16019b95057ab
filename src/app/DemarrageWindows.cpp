#include "app/Demarrage.h"

#include "converter/Commande.h"
#include "converter/frmConvertisseur.h"
#include "services/InstanceUnique.h"
#include "services/Services.h"
#include "services/ServicesSysteme.h"
#include "toolkit/win32/FonctionsRecentes.h"
#include "toolkit/win32/FormeWin32.h"
#include "toolkit/win32/ServicesWin32.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace monvalor {

namespace {

// The arguments as the system holds them, in UTF-8 as the command line takes them: the
// narrow argv of the C runtime has already lost what the ANSI code page cannot hold.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    int n = 0;
    LPWSTR* liste = CommandLineToArgvW(GetCommandLineW(), &n);
    if (liste == nullptr) {
        return arguments;
    }
    for (int i = 1; i < n; ++i) {
        const int taille =
            WideCharToMultiByte(CP_UTF8, 0, liste[i], -1, nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(taille > 0 ? taille : 1), '\0');
        WideCharToMultiByte(CP_UTF8, 0, liste[i], -1, utf8.data(), taille, nullptr, nullptr);
        utf8.resize(utf8.find('\0'));
        arguments.push_back(std::move(utf8));
    }
    LocalFree(liste);
    return arguments;
}

bool Valide(DWORD quel) {
    HANDLE h = GetStdHandle(quel);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

// A windowed program has no console of its own: what the command line prints goes to the
// one of the shell that started it, or wherever the shell redirected it. Bytes as they are,
// UTF-8, with the same line ends as everywhere else.
void RelierConsole() {
    const bool sortie = Valide(STD_OUTPUT_HANDLE), erreurs = Valide(STD_ERROR_HANDLE);
    if ((!sortie || !erreurs) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        SetConsoleOutputCP(CP_UTF8);
        if (!sortie) {
            std::freopen("CONOUT$", "w", stdout);
        }
        if (!erreurs) {
            std::freopen("CONOUT$", "w", stderr);
        }
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// One copy per user session, as each session has its own clipboard.
std::string NomVerrou() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return "monvalor-" + std::to_string(session);
}

} // namespace

int Demarrer(int, char**) {
    const std::vector<std::string> arguments = Arguments();
    if (!arguments.empty()) {
        RelierConsole();
        const ResultatCommande r = ExecuterLigneCommande(arguments, std::cout, std::cerr);
        if (r.action == ActionCommande::Terminee) {
            std::cout.flush();
            std::cerr.flush();
            return r.code;
        }
    }

    // The monitor's own pixels, each window at its own: the manifest says so too, for the
    // systems that read it before the program runs.
    DeclarerDpiParEcran();
    Services& s = Plateforme();
    s.formulaires = std::make_shared<FabriqueWin32>();
    s.application = InfosApplicationWin32();
    InstallerServicesWin32();
    InstallerServicesSysteme();
    // Held for the life of the process; the system drops it when the process ends.
    const auto verrou = PrendreVerrouInstance(NomVerrou());
    s.instancePrecedente = !verrou->Acquis();

    SansErreurNonTraitee([] {
        frmConvertisseur& frm = frmConvertisseur::Defaut();
        // The load step ends with the About window, modal; the converter shows after it.
        frm.Charger();
        if (frm.EstChargee()) {
            frm.Montrer();
        }
    });
    return BoucleMessages();
}

} // namespace monvalor
