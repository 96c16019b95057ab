// Look-ups in the language files and the translation of forms, in a temporary program folder.
#include "support/TexteSource.h"

#include "Doubles.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace monvalor;
using namespace monvalor::test;

namespace {

// A window with no handlers, to be translated.
struct FenetreEssai final : Fenetre {
    using Fenetre::Fenetre;
    void Gerer(std::string_view, int, Evenement) override {}
};

constexpr std::string_view kCles[] = {"k0", "", "kX", "k1", "k2"};

// Each kind found by its name (...Nom) or its caption (...Cle); a control array; keyed controls.
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

class Traducteur : public AvecDoubles {
protected:
    std::filesystem::path Fichier(const char* nom) const { return dossier.Chemin() / nom; }
    void Programme(std::string_view contenu) { EcrireFichier(Fichier("Monvalor.lng"), contenu); }
    void Partage(std::string_view contenu) { EcrireFichier(Fichier("Shared.lng"), contenu); }
};

} // namespace

TEST_F(Traducteur, LireTraductionConsultsTheProgramFileThenTheSharedOne) {
    const std::pair<const char*, const char*> cas[] = {
        {"nowhere", ""}, {"shared", "Shared"}, {"both", "Monvalor"}, {"emptyInProgram", "Shared"}};
    for (int fichiers = 0; fichiers < 2; ++fichiers) { // none, then both
        for (const auto& [cle, attendu] : cas) {
            const std::string trouve = fichiers ? attendu : "";
            EXPECT_EQ(LireTraduction("frmAbout", cle), trouve) << cle;
            // Traduire gives the key back when nothing is found: messages stay in French.
            EXPECT_EQ(Traduire("frmAbout", cle), trouve.empty() ? cle : trouve) << cle;
        }
        // The files are read afresh at each look-up.
        Programme("[frmSock]\nshared=Sock\n[frmAbout]\nboth=Monvalor\nemptyInProgram=\n");
        Partage("[frmAbout]\nshared=Shared\nboth=Shared\nemptyInProgram=Shared\n");
    }
    EXPECT_EQ(LireTraduction("frmSock", "shared"), "Sock"); // the section is the window
    // The program's own file is named after its title.
    EcrireFichier(Fichier("Autre.lng"), "[frmAbout]\nboth=Autre\n");
    Plateforme().application.titre = "Autre";
    EXPECT_EQ(LireTraduction("frmAbout", "both"), "Autre");
}

TEST_F(Traducteur, EachControlTakesWhatItsKindHasByNameElseByItsCaption) {
    Partage("[frm]\nCaption=Window\nFenêtre=Fenster\nlblNom=N\ncmdNom=N\nchkNom=N\noptNom=N\n"
            "fraNom=N\ntxtNom=N\npicNom=N\nlinNom=N\nAvant=Par la légende\nN=Deux fois\n"
            "cmdTab=Tableau\ntbrNom=Barre\nlvwNom=Liste\nk0=Zero\nk1=Un\nk2=Deux\n=Sans clé\n"
            "cmdPanne=P\ncmdPanne.ToolTipText=P\ncmdApres=Suivant\nlblVide.ToolTipText=Bulle\n"
            "picNom.ToolTipText=Image\ntbrNom.ToolTipText=Outils\n");
    Programme("[frm]\nlblVide=\n");
    FenetreEssai f(kEssai);
    FormulaireMemoire& m = dynamic_cast<FormulaireMemoire&>(f.Vue());
    m.Memoire("cmdPanne").enPanne = true;
    TraduireFormulaire(f);

    EXPECT_EQ(m.Legende(), "Window"); // by "Caption" only, never by its own caption
    for (const char* genre : {"lbl", "cmd", "chk", "opt", "fra", "txt"}) {
        SCOPED_TRACE(genre);
        // Found by name, not looked up again by its new caption.
        EXPECT_EQ(m.Controle(std::string(genre) + "Nom").Texte(), "N");
        EXPECT_EQ(m.Controle(std::string(genre) + "Cle").Texte(), u8"Par la légende"_ansi);
    }
    // Every member of a control array shares the name's translation.
    EXPECT_EQ(m.Controle("cmdTab", 0).Texte() + m.Controle("cmdTab", 1).Texte(), "TableauTableau");
    // Buttons and columns by their keys, only without an entry of their own; "" and kX skipped.
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

namespace {

// The folders an installed program may read, under a root of the test's folder.
class DossiersLangue : public Traducteur {
protected:
    std::map<std::string, std::string> variables;
    std::filesystem::path racine;

    void SetUp() override {
        Traducteur::SetUp();
        Plateforme().environnement = [this](const char* nom) {
            const auto it = variables.find(nom);
            return it == variables.end() ? std::string() : it->second;
        };
        Racine("0");
    }
    // Starts afresh under another root: the program in "bin", the data folder "share".
    void Racine(const std::string& nom) {
        racine = dossier.Chemin() / nom;
        std::filesystem::create_directories(racine / "bin");
        Plateforme().application.repertoire = Chemin("bin");
        Plateforme().application.repertoireDonneesInstallees = Chemin("share");
    }
    std::string Chemin(const std::string& relatif) const { return (racine / relatif).string(); }
    void Poser(const std::string& relatif, const char* fichier, const std::string& contenu) {
        std::filesystem::create_directories(Chemin(relatif));
        EcrireFichier(Chemin(relatif + "/" + fichier), contenu);
    }
};

std::string Legende(const std::string& texte) {
    return "[frmAbout]\nCaption=" + texte + "\n";
}

} // namespace

TEST_F(DossiersLangue, TheFirstFolderWithFilesAnswersAlone) {
    struct Cas {
        const char* nom;
        std::vector<std::string> dossiers; // which folders hold files
        std::map<std::string, std::string> variables;
        const char* attendu;
    };
    const std::map<std::string, std::string> en = {{"LANG", "en_GB.UTF-8"}};
    const Cas cas[] = {
        {"beside the program wins", {"bin", "home", "en"}, en, "bin"},
        {"the user's folder before the installed one", {"home", "en"}, en, "home"},
        {"the user's folder whatever the locale",
         {"home", "en"},
         {{"LANG", "fr_FR.UTF-8"}},
         "home"},
        {"XDG_DATA_HOME before HOME", {"xdg", "home"}, {{"XDG_DATA_HOME", "@xdg"}}, "xdg"},
        {"a relative XDG_DATA_HOME is ignored",
         {"xdg", "home"},
         {{"XDG_DATA_HOME", "xdg"}},
         "home"},
        {"the locale's language", {"en", "de"}, en, "en"},
        {"LC_ALL beats LANG", {"en", "de"}, {{"LC_ALL", "de_DE"}, {"LANG", "en"}}, "de"},
        {"LC_MESSAGES beats LANG", {"en", "de"}, {{"LC_MESSAGES", "de"}, {"LANG", "en"}}, "de"},
        {"an empty LC_ALL is not set", {"en", "de"}, {{"LC_ALL", ""}, {"LANG", "de"}}, "de"},
        {"C set first counts", {"en"}, {{"LC_ALL", "C"}, {"LANG", "en"}}, ""},
        {"C.UTF-8", {"en"}, {{"LANG", "C.UTF-8"}}, ""},
        {"POSIX", {"en"}, {{"LANG", "POSIX"}}, ""},
        {"French keeps the program's texts", {"en", "fr"}, {{"LANG", "fr_CA.UTF-8"}}, ""},
        {"no locale", {"en"}, {}, ""},
        {"a language without files", {"en"}, {{"LANG", "es_ES.UTF-8"}}, ""},
        {"not a language name", {"en"}, {{"LANG", "../lang/en"}}, ""},
        // The user's folder has files, not this key: the installed ones are not mixed in.
        {"no mixing", {"home-other-key", "en"}, en, ""},
    };
    int n = 0;
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
#ifdef _WIN32
        // The user's folder is the XDG one, a Linux desktop's.
        if (std::ranges::any_of(c.dossiers, [](const std::string& d) {
                return d.starts_with("home") || d == "xdg";
            })) {
            continue;
        }
#endif
        Racine(std::to_string(++n));
        variables = c.variables;
        for (auto& [nom, valeur] : variables) {
            if (valeur.starts_with('@')) {
                valeur = Chemin(valeur.substr(1));
            }
        }
        variables.emplace("HOME", Chemin("home"));
        for (const std::string& d : c.dossiers) {
            // Either file of a folder makes it count.
            if (d == "bin") {
                Poser("bin", "Shared.lng", Legende(d));
            } else if (d == "xdg") {
                Poser("xdg/monvalor", "Shared.lng", Legende(d));
            } else if (d == "home") {
                Poser("home/.local/share/monvalor", "Monvalor.lng", Legende(d));
            } else if (d == "home-other-key") {
                Poser("home/.local/share/monvalor", "Shared.lng", "[frmAbout]\ncmdOK=OK\n");
            } else {
                Poser("share/monvalor/lang/" + d, "Monvalor.lng", Legende(d));
            }
        }
        EXPECT_EQ(LireTraduction("frmAbout", "Caption"), c.attendu);
    }
}

TEST_F(DossiersLangue, AnInstalledFolderReadsBothFilesAndNeedsTheBuildsDataFolder) {
    variables = {{"LANG", "en_GB.UTF-8"}};
    Poser("share/monvalor/lang/en", "Monvalor.lng", Legende("About"));
    Poser("share/monvalor/lang/en", "Shared.lng", "[frmAbout]\ncmdOK=Fine\n");
    EXPECT_EQ(LireTraduction("frmAbout", "Caption") + LireTraduction("frmAbout", "cmdOK"),
              "AboutFine");
    Poser("share/monvalor/lang/en", "Shared.lng", "[frm]\nCaption=Window\n");
    FenetreEssai f(kEssai);
    TraduireFormulaire(f);
    EXPECT_EQ(Forme(f).Legende(), "Window");
    Plateforme().application.repertoireDonneesInstallees.clear();
    EXPECT_EQ(LireTraduction("frmAbout", "Caption"), "");
}
