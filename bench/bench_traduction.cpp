// Cost of translating the About window with both language files present, against the most
// its look-ups may cost: a window of n controls makes at most 3n + 2 look-ups, each at worst an
// existence test and two INI reads (a key the program's file lacks). Both figures come from
// the same run, with files of the size of the shipped ones. The target is under 2 ms per
// translation.
//
// Built with the Qt windows, it translates the real window (or Qt widgets with the same
// controls when the About window is not part of the build); without them, a window of plain
// objects with the same controls.
#include "localisation/Traducteur.h"
#include "platform/Services.h"
#include "support/INI.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#if __has_include(<QtWidgets/QApplication>)
#define BANC_QT 1
#include "localisation/ui/TraduireQt.h"
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#if __has_include("about/ui/frmAbout.h")
#define BANC_FRMABOUT 1
#include "about/ui/frmAbout.h"
#endif
#endif

#include "Chrono.h"

using namespace monvalor;
namespace fs = std::filesystem;

namespace {

using banc::MicrosecondesParAppel;

void Ecrire(const fs::path& chemin, const std::string& texte) {
    std::ofstream sortie(chemin, std::ios::binary | std::ios::trunc);
    sortie << texte;
}

// The controls of the About window: name, and caption ("" for the picture and the lines).
struct ControleBanc {
    const char* nom;
    GenreControle genre;
    const char* legende;
};
const ControleBanc kControles[] = {
    {"Ic\xF4ne", GenreControle::Autre, ""},
    {"lblTitle", GenreControle::Label, "Titre de l'application"},
    {"lblVersion", GenreControle::Label, "Version"},
    {"cmdVersion", GenreControle::Bouton, "Mise \xE0 jour"},
    {"lblDescription", GenreControle::Label, "Description de l'application"},
    {"lblSite", GenreControle::Label, "http://www.example.org"},
    {"lblEmail", GenreControle::Label, "contact@example.org"},
    {"lblDisclaimer", GenreControle::Label, "Avertissement"},
    {"cmdOK", GenreControle::Bouton, "OK"},
    {"cmdSysInfo", GenreControle::Bouton, "&Infos syst\xE8me..."},
    {"Line1", GenreControle::Autre, ""},
    {"Line1", GenreControle::Autre, ""},
};
constexpr int kNombreControles = sizeof kControles / sizeof kControles[0];

class ControlePlat final : public IControleTraduisible {
public:
    explicit ControlePlat(const ControleBanc& c) : c_(c), legende_(c.legende) {}
    std::string Nom() const override { return c_.nom; }
    GenreControle Genre() const override { return c_.genre; }
    std::string Legende() const override { return legende_; }
    void DefinirLegende(const std::string& l) override { legende_ = l; }
    std::string Texte() const override { return {}; }
    void DefinirTexte(const std::string&) override {}
    void DefinirInfoBulle(const std::string& t) override { infoBulle_ = t; }
    std::vector<std::string> ClesBoutons() const override { return {}; }
    void DefinirInfoBulleBouton(std::size_t, const std::string&) override {}
    std::vector<std::string> ClesColonnes() const override { return {}; }
    void DefinirEnTeteColonne(std::size_t, const std::string&) override {}

private:
    const ControleBanc& c_;
    std::string legende_;
    std::string infoBulle_;
};

class FormulairePlat final : public IFormulaireTraduisible {
public:
    FormulairePlat() {
        for (const ControleBanc& c : kControles) {
            controles_.emplace_back(c);
        }
    }
    std::string Nom() const override { return "frmAbout"; }
    void DefinirLegende(const std::string& l) override { legende_ = l; }
    std::vector<IControleTraduisible*> Controles() override {
        std::vector<IControleTraduisible*> liste;
        for (ControlePlat& c : controles_) {
            liste.push_back(&c);
        }
        return liste;
    }

private:
    std::vector<ControlePlat> controles_;
    std::string legende_;
};

#if defined(BANC_QT) && !defined(BANC_FRMABOUT)
void ConstruireFormQt(QWidget& form) {
    form.setObjectName(QStringLiteral("frmAbout"));
    for (const ControleBanc& c : kControles) {
        const QString nom = QString::fromLatin1(c.nom);
        const QString legende = QString::fromLatin1(c.legende);
        QWidget* w = nullptr;
        if (c.genre == GenreControle::Bouton) {
            w = new QPushButton(legende, &form);
        } else if (c.genre == GenreControle::Label) {
            w = new QLabel(legende, &form);
        } else {
            auto* ligne = new QFrame(&form);
            ligne->setFrameShape(QFrame::HLine);
            w = ligne;
        }
        w->setObjectName(nom);
    }
}
#endif

} // namespace

int main(int argc, char** argv) {
#if defined(BANC_QT)
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
#else
    static_cast<void>(argc);
    static_cast<void>(argv);
#endif

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
           entete + "\r\n[frmAbout]\r\ncmdOK=OK\r\ncmdSysInfo=&System Info...\r\n"
                    "cmdVersion=Update\r\nlblSite.ToolTipText=Open the web site\r\n"
                    "lblEmail.ToolTipText=Write us an e-mail\r\n"
                    "Les informations syst\xE8me ne sont pas disponibles actuellement="
                    "System information is not available at the moment\r\n"
                    "Pas de mise \xE0 jour=No update available\r\n");

    const int n = 2000;
    const char* quoi = "window of plain objects";
    double traduction = 0;
#if defined(BANC_FRMABOUT)
    quoi = "frmAbout (Qt widgets)";
    frmAbout& about = frmAbout::Defaut();
    about.Charger();
    traduction = MicrosecondesParAppel(n, [&] { TraduireFormulaire(about.Form()); });
#elif defined(BANC_QT)
    quoi = "Qt widgets of frmAbout";
    QWidget form;
    ConstruireFormQt(form);
    traduction = MicrosecondesParAppel(n, [&] { TraduireFormulaire(form); });
#else
    FormulairePlat form;
    traduction = MicrosecondesParAppel(n, [&] { TraduireFormulaire(form); });
#endif

    INI ini;
    ini.Path((dossier / "Monvalor.lng").string());
    volatile std::size_t puits = 0;
    const double lecture =
        MicrosecondesParAppel(n * 10, [&] { puits = ini.Value("frmAbout", "Caption", "").size(); });
    // A key only the shared file has: existence test, then both files read.
    const double recherche = MicrosecondesParAppel(
        n * 10, [&] { puits = LireTraduction("frmAbout", "cmdSysInfo").size(); });
    static_cast<void>(puits);

    const int budget = 3 * kNombreControles + 2;
    std::printf("%-48s %12s\n", "case", "us/call");
    std::printf("%-48s %12.2f\n", "one INI read (Value, key present)", lecture);
    std::printf("%-48s %12.2f\n", "one look-up falling through to Shared.lng", recherche);
    std::printf("translation of the %-29s %12.2f  (target under 2000)\n", quoi, traduction);
    std::printf("ratio to %d worst-case look-ups (3n + 2, n = %d): %.2f\n", budget,
                kNombreControles, traduction / (budget * recherche));
    std::printf("ratio to %d INI reads: %.2f\n", budget, traduction / (budget * lecture));

#if defined(BANC_FRMABOUT)
    // The window must go before the application object does.
    frmAbout::ReinitialiserDefaut();
#endif
    ReinitialiserTraducteur();
    std::error_code erreur;
    fs::remove_all(dossier, erreur);
    return 0;
}
