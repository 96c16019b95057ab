// Look-ups in the language files and the translation of windows, over windows made of plain
// objects, with a temporary folder standing for the program's folder.
#include "DossierTemporaire.h"

#include "about/frmAbout.h"
#include "localisation/Traducteur.h"
#include "platform/FormulaireMemoire.h"
#include "platform/Services.h"
#include "support/Erreur.h"
#include "support/INI.h"
#include "support/TexteSource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;

namespace {

// A window with no handlers, to be translated.
class FenetreEssai final : public Fenetre {
public:
    explicit FenetreEssai(const ConceptionFenetre& conception) : Fenetre(conception) {}

protected:
    void Gerer(std::string_view, int, Evenement) override {}
};

// A text as a Linux editor saves it.
std::string Utf8(std::u8string_view texte) {
    return {reinterpret_cast<const char*>(texte.data()), texte.size()};
}

class Traducteur : public ::testing::Test {
protected:
    DossierTemporaire dossier;

    void SetUp() override {
        ReinitialiserServices();
        ReinitialiserTraducteur();
        Plateforme().application.repertoire = dossier.Chemin().string();
        Plateforme().application.titre = "Monvalor";
    }
    void TearDown() override {
        ReinitialiserTraducteur();
        ReinitialiserServices();
    }

    std::filesystem::path FichierProgramme() const { return dossier.Chemin() / "Monvalor.lng"; }
    std::filesystem::path FichierPartage() const { return dossier.Chemin() / "Shared.lng"; }
    void Programme(std::string_view contenu) { EcrireFichier(FichierProgramme(), contenu); }
    void Partage(std::string_view contenu) { EcrireFichier(FichierPartage(), contenu); }
    std::string OK() { return LireTraduction("frmAbout", "cmdOK"); }
};

} // namespace

// --- look-ups -------------------------------------------------------------------------------

TEST_F(Traducteur, LireTraductionConsultsTheProgramFileThenTheSharedOne) {
    struct Cas {
        const char* nom;
        std::optional<std::string> programme; // Monvalor.lng, absent when nullopt
        std::optional<std::string> partage;   // Shared.lng
        std::string attendu;
        const char* section = "frmAbout";
        std::string_view cle = "cmdOK";
    };
    const std::string close = "[frmAbout]\ncmdOK=Close\n";
    const Cas cas[] = {
        {"no file at all", std::nullopt, std::nullopt, ""},
        {"only the shared file", std::nullopt, close, "Close"},
        {"program file wins", "[frmAbout]\ncmdOK=Done\n", close, "Done"},
        {"key missing from the program file", "[frmAbout]\ncmdSysInfo=Info\n", close, "Close"},
        {"empty value in the program file", "[frmAbout]\ncmdOK=\n", close, "Close"},
        {"empty value in both", "[frmAbout]\ncmdOK=\n", "[frmAbout]\ncmdOK=  \n", ""},
        {"section is the window", "[frmSock]\ncmdOK=Sock\n[frmAbout]\ncmdOK=About\n", std::nullopt,
         "Sock", "frmSock"},
        {"other window's section", std::nullopt,
         std::string(u8"[frmSock]\nPas de mise à jour=Ailleurs\n"_ansi), "", "frmAbout",
         u8"Pas de mise à jour"_ansi},
        {"case and spaces do not matter", "[FRMABOUT]\n  CmdOk = Done \n", std::nullopt, "Done"},
    };
    // The files change from one row to the next: nothing of them may be kept between look-ups.
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        std::filesystem::remove(FichierProgramme());
        std::filesystem::remove(FichierPartage());
        if (c.programme) {
            Programme(*c.programme);
        }
        if (c.partage) {
            Partage(*c.partage);
        }
        EXPECT_EQ(LireTraduction(c.section, c.cle), c.attendu);
        // Traduire gives the key back when nothing is found: messages stay in French.
        EXPECT_EQ(Traduire(c.section, c.cle), c.attendu.empty() ? std::string(c.cle) : c.attendu);
    }
}

TEST_F(Traducteur, FilesLieInTheProgramFolderTheirOwnNamedAfterTheTitle) {
    EcrireFichier(dossier.Chemin() / "Autre.lng", "[frmAbout]\ncmdOK=Autre\n");
    Programme("[frmAbout]\ncmdOK=Monvalor\n");
    Partage("[frmAbout]\ncmdOK=Shared\n");
    EXPECT_EQ(OK(), "Monvalor");
    Plateforme().application.titre = "Autre";
    EXPECT_EQ(OK(), "Autre");
    Plateforme().application.titre = "Absent";
    EXPECT_EQ(OK(), "Shared");
    // A program folder that is missing or a file gives nothing.
    Plateforme().application.repertoire = (dossier.Chemin() / "absent").string();
    EXPECT_EQ(OK(), "");
    Plateforme().application.repertoire = FichierPartage().string();
    EXPECT_EQ(Traduire("frmAbout", "cmdOK"), "cmdOK");
}

TEST_F(Traducteur, FilesSavedAsUtf8ReadAsWindows1252) {
    // With and without the byte order mark.
    Partage("\xEF\xBB\xBF" + Utf8(u8"[frmAbout]\nMise à jour=Mettre à jour\n"));
    Programme(Utf8(u8"[frmAbout]\r\ncmdOK=Fermer à la fin\r\n"));
    EXPECT_EQ(LireTraduction("frmAbout", u8"Mise à jour"_ansi), u8"Mettre à jour"_ansi);
    EXPECT_EQ(OK(), u8"Fermer à la fin"_ansi);
}

// --- form translation -----------------------------------------------------------------------

namespace {

constexpr std::string_view kCles[] = {"k0", "", "kX", "k1", "k2"};

// One control of each kind, found by its name (ctl...) or by its caption or text (cle...);
// a control array; toolbars and list views with and without an entry of their own.
constexpr ConceptionControle Ctl(Genre genre, std::string_view nom, int indice = -1) {
    return {.genre = genre, .nom = nom, .legende = "Avant", .indice = indice, .cles = kCles};
}
constexpr ConceptionControle kControles[] = {
    Ctl(Genre::Label, "lblNom"),        Ctl(Genre::Label, "lblCle"),
    Ctl(Genre::Bouton, "cmdNom"),       Ctl(Genre::Bouton, "cmdCle"),
    Ctl(Genre::CaseACocher, "chkNom"),  Ctl(Genre::CaseACocher, "chkCle"),
    Ctl(Genre::BoutonOption, "optNom"), Ctl(Genre::BoutonOption, "optCle"),
    Ctl(Genre::Cadre, "fraNom"),        Ctl(Genre::Cadre, "fraCle"),
    Ctl(Genre::ZoneTexte, "txtNom"),    Ctl(Genre::ZoneTexte, "txtCle"),
    Ctl(Genre::Image, "picNom"),        Ctl(Genre::Ligne, "linNom"),
    Ctl(Genre::Bouton, "cmdTab", 0),    Ctl(Genre::Bouton, "cmdTab", 1),
    Ctl(Genre::BarreOutils, "tbrNom"),  Ctl(Genre::BarreOutils, "tbrCle"),
    Ctl(Genre::ListeVue, "lvwNom"),     Ctl(Genre::ListeVue, "lvwCle"),
    Ctl(Genre::Bouton, "cmdPanne"),     Ctl(Genre::Bouton, "cmdApres"),
    Ctl(Genre::Label, "lblVide"),
};
constexpr ConceptionFenetre kEssai{
    .nom = "frm", .legende = u8"Fenêtre"_ansi, .controles = kControles};

} // namespace

TEST_F(Traducteur, EachControlTakesWhatItsKindHasByNameElseByItsCaption) {
    Partage("[frm]\nCaption=Window\nlblNom=N\ncmdNom=N\nchkNom=N\noptNom=N\nfraNom=N\ntxtNom=N\n"
            "picNom=N\nlinNom=N\nAvant=Par la légende\nN=Deux fois\ncmdTab=Tableau\n"
            "tbrNom=Barre\nlvwNom=Liste\nk0=Zero\nk1=Un\nk2=Deux\n=Sans clé\n"
            "cmdPanne=P\ncmdPanne.ToolTipText=P\ncmdApres=Suivant\nlblVide.ToolTipText=Bulle\n"
            "picNom.ToolTipText=Image\ntbrNom.ToolTipText=Outils\n");
    Programme("[frm]\nlblVide=\n");
    FenetreEssai f(kEssai);
    FormulaireMemoire& m = dynamic_cast<FormulaireMemoire&>(f.Vue());
    m.Memoire("cmdPanne").enPanne = true;
    TraduireFormulaire(f);

    EXPECT_EQ(m.Legende(), "Window");
    for (const char* genre : {"lbl", "cmd", "chk", "opt", "fra", "txt"}) {
        SCOPED_TRACE(genre);
        // Found by name, not looked up again by its new caption.
        EXPECT_EQ(m.Controle(std::string(genre) + "Nom").Texte(), "N");
        EXPECT_EQ(m.Controle(std::string(genre) + "Cle").Texte(), u8"Par la légende"_ansi);
    }
    // Every member of a control array shares the name's translation.
    EXPECT_EQ(m.Controle("cmdTab", 0).Texte(), "Tableau");
    EXPECT_EQ(m.Controle("cmdTab", 1).Texte(), "Tableau");
    // A toolbar's buttons and a list view's columns, each by its key, only without an entry of
    // their own; a key that is empty or unknown is skipped.
    const std::vector<std::string> parCle = {"Zero", "", "", "Un", "Deux"};
    EXPECT_EQ(m.Memoire("tbrNom").TextesCles(), std::vector<std::string>(5));
    EXPECT_EQ(m.Memoire("tbrCle").TextesCles(), parCle);
    EXPECT_EQ(m.Memoire("lvwNom").TextesCles(), std::vector<std::string>(5));
    EXPECT_EQ(m.Memoire("lvwCle").TextesCles(), parCle);
    // Tool tips for every kind; an empty entry in the program file is none.
    EXPECT_EQ(m.Controle("picNom").InfoBulle(), "Image");
    EXPECT_EQ(m.Controle("tbrNom").InfoBulle(), "Outils");
    EXPECT_EQ(m.Controle("lblVide").InfoBulle(), "Bulle");
    EXPECT_EQ(m.Controle("lblVide").Texte(), u8"Par la légende"_ansi);
    // A control that refuses its texts changes nothing and stops nothing.
    EXPECT_EQ(m.Controle("cmdPanne").Texte(), "Avant");
    EXPECT_EQ(m.Controle("cmdPanne").InfoBulle(), "");
    EXPECT_EQ(m.Controle("cmdApres").Texte(), "Suivant");
}

TEST_F(Traducteur, CaptionsNeverKeyTheWindowAndCannotHoldEqualsOrLineBreaks) {
    Partage(std::string(u8"[frm]\nFenêtre=Window\na=b=Egal\nLigne un=Un\nLigne deux=Deux\n"
                        u8"Ligne un\\nLigne deux=Echappee\n"_ansi));
    FenetreEssai f(kEssai);
    FormulaireMemoire& m = dynamic_cast<FormulaireMemoire&>(f.Vue());
    const char* legendes[] = {"a=b", "Ligne un\nLigne deux", "Ligne un\r\nLigne deux"};
    for (const char* legende : legendes) {
        SCOPED_TRACE(legende);
        m.Controle("lblCle").DefinirTexte(legende);
        m.Controle("txtCle").DefinirTexte(legende);
        TraduireFormulaire(f);
        EXPECT_EQ(m.Controle("lblCle").Texte(), legende);
        EXPECT_EQ(m.Controle("txtCle").Texte(), legende);
    }
    EXPECT_EQ(m.Legende(), u8"Fenêtre"_ansi);
    EXPECT_EQ(LireTraduction("frm", "Ligne un"), "Un");
}

// The About window with the English files that ship with the program.
TEST_F(Traducteur, TheShippedEnglishFilesTranslateTheAboutWindow) {
    const auto source = std::filesystem::path(MONVALOR_SOURCE_DIR) / "lang" / "en";
    for (const char* nom : {"Monvalor.lng", "Shared.lng"}) {
        std::filesystem::copy_file(source / nom, dossier.Chemin() / nom);
    }
    // The English text for the key, read straight from the files.
    auto anglais = [&](std::string_view cle) {
        INI ini;
        for (const char* nom : {"Monvalor.lng", "Shared.lng"}) {
            ini.Path((dossier.Chemin() / nom).string());
            if (std::string valeur = ini.Value("frmAbout", cle, ""); !valeur.empty()) {
                return valeur;
            }
        }
        return std::string();
    };
    frmAbout& about = frmAbout::Defaut();
    TraduireFormulaire(about);
    IVueFormulaire& v = about.Vue();
    const std::pair<std::string, const char*> vus[] = {
        {v.Legende(), "Caption"},
        {v.Controle("cmdOK").Texte(), "cmdOK"},
        {v.Controle("cmdSysInfo").Texte(), "cmdSysInfo"},
        {v.Controle("cmdVersion").Texte(), "cmdVersion"},
        {v.Controle("lblDescription").Texte(), "lblDescription"},
        {v.Controle("lblSite").InfoBulle(), "lblSite.ToolTipText"},
        {v.Controle("lblEmail").InfoBulle(), "lblEmail.ToolTipText"},
    };
    for (const auto& [vu, cle] : vus) {
        SCOPED_TRACE(cle);
        EXPECT_FALSE(anglais(cle).empty());
        EXPECT_EQ(vu, anglais(cle));
    }
    // No file has an entry for it: the text set at load stays.
    EXPECT_EQ(v.Controle("lblVersion").Texte(), "Version 0.0.0");
    frmAbout::ReinitialiserDefaut();

    for (std::string_view message :
         {u8"Pas de mise à jour"_ansi, MessageInfosSystemeIndisponibles}) {
        SCOPED_TRACE(message);
        EXPECT_NE(Traduire("frmAbout", message), message);
        EXPECT_EQ(Traduire("frmAbout", message), anglais(message));
    }
    EXPECT_EQ(Traduire("frmAbout", "Pas de message"), "Pas de message");
}

TEST_F(Traducteur, AWindowThatCannotBeLoadedIsLeftAlone) {
    struct Refus final : IFabriqueFormulaires {
        std::unique_ptr<IVueFormulaire> Creer(const ConceptionFenetre&, IRecepteur&) override {
            throw Erreur(ErrAccesChemin);
        }
    };
    Plateforme().formulaires = std::make_shared<Refus>();
    Partage("[frm]\nCaption=Window\nlblNom=N\n");
    FenetreEssai f(kEssai);
    TraduireFormulaire(f);
    EXPECT_FALSE(f.EstChargee());
}
