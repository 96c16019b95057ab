// Cost of translating the About window with both language files present, against the most
// its look-ups may cost: a window of n controls makes at most 3n + 2 look-ups, each at worst an
// existence test and two INI reads (a key the program's file lacks). Both figures come from
// the same run, with files of the size of the shipped ones. The target is under 2 ms per
// translation; it is measured a second time with the files where a package installs them.
//
// Built with the Qt windows, it translates the real window (or Qt widgets with the same
// controls when the About window is not part of the build); without them, a window of plain
// objects with the same controls.
#include "about/frmAbout.h"
#include "localisation/Traducteur.h"
#include "services/Services.h"
#include "support/INI.h"
#include "support/TexteSource.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "Chrono.h"

using namespace monvalor;
namespace fs = std::filesystem;

namespace {

using banc::MicrosecondesParAppel;

void Ecrire(const fs::path& chemin, const std::string& texte) {
    std::ofstream sortie(chemin, std::ios::binary | std::ios::trunc);
    sortie << texte;
}

} // namespace

int main() {
    std::random_device alea;
    const fs::path dossier =
        fs::temp_directory_path() / ("monvalor-bench-" + std::to_string(alea()));
    fs::create_directories(dossier);
    Plateforme().application.repertoire = dossier.string();
    Plateforme().application.titre = "Monvalor";

    // Files like the shipped English ones: a comment header, the window's caption and
    // description in the program's file, buttons and tool tips in the shared one.
    std::string entete;
    for (int i = 0; i < 16; ++i) {
        entete += "; A comment line of the usual length, explaining the format of the file.\r\n";
    }
    Ecrire(dossier / "Monvalor.lng",
           entete + "\r\n[frmAbout]\r\nCaption=About Monvalor\r\n"
                    "lblDescription=Franc/Euro and Euro/Franc converter, with VAT.\r\n");
    Ecrire(dossier / "Shared.lng",
           entete +
               "\r\n[frmAbout]\r\ncmdOK=OK\r\ncmdSysInfo=&System Info...\r\n"
               "cmdVersion=Update\r\nlblSite.ToolTipText=Open the web site\r\n"
               "lblEmail.ToolTipText=Write us an e-mail\r\n" +
               std::string(MessageInfosSystemeIndisponibles) +
               "=System information is not available at the moment\r\n" +
               std::string(u8"Pas de mise à jour"_ansi) + "=No update available\r\n");

    const int n = 2000;
    // The About window's own behaviour and table, on its form in memory: what translation
    // itself costs, without a toolkit's drawing.
    frmAbout& about = frmAbout::Defaut();
    about.Charger();
    const double traduction = MicrosecondesParAppel(n, [&] { TraduireFormulaire(about); });

    INI ini;
    ini.Path((dossier / "Monvalor.lng").string());
    volatile std::size_t puits = 0;
    const double lecture =
        MicrosecondesParAppel(n * 10, [&] { puits = ini.Value("frmAbout", "Caption", "").size(); });
    // A key only the shared file has: existence test, then both files read.
    const double recherche = MicrosecondesParAppel(
        n * 10, [&] { puits = LireTraduction("frmAbout", "cmdSysInfo").size(); });
    static_cast<void>(puits);

    // The same files installed, as a package lays them: nothing beside the program, no user
    // files, an English locale.
    const fs::path langues = dossier / "share" / "monvalor" / "lang" / "en";
    fs::create_directories(langues);
    fs::create_directories(dossier / "bin");
    for (const char* nom : {"Monvalor.lng", "Shared.lng"}) {
        fs::rename(dossier / nom, langues / nom);
    }
    Plateforme().application.repertoire = (dossier / "bin").string();
    Plateforme().application.repertoireDonneesInstallees = (dossier / "share").string();
    const std::string maison = (dossier / "home").string();
    Plateforme().environnement = [&maison](const char* nom) {
        const std::string_view v(nom);
        return std::string(v == "HOME" ? maison : v == "LANG" ? "en_GB.UTF-8" : "");
    };
    const double installee = MicrosecondesParAppel(n, [&] { TraduireFormulaire(about); });

    const int controles = static_cast<int>(ConceptionAbout.controles.size());
    const int budget = 3 * controles + 2;
    std::printf("%-48s %12s\n", "case", "us/call");
    std::printf("%-48s %12.2f\n", "one INI read (Value, key present)", lecture);
    std::printf("%-48s %12.2f\n", "one look-up falling through to Shared.lng", recherche);
    std::printf("%-48s %12.2f  (target under 2000)\n", "translation of frmAbout", traduction);
    std::printf("%-48s %12.2f  (target under 2000)\n", "the same, files installed, English locale",
                installee);
    std::printf("ratio to %d worst-case look-ups (3n + 2, n = %d): %.2f\n", budget, controles,
                traduction / (budget * recherche));
    std::printf("ratio to %d INI reads: %.2f\n", budget, traduction / (budget * lecture));

    frmAbout::ReinitialiserDefaut();
    ReinitialiserTraducteur();
    std::error_code erreur;
    fs::remove_all(dossier, erreur);
    return 0;
}
