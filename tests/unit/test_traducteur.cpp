// Look-ups in the language files and the translation of windows, over windows made of plain
// objects, with a temporary folder standing for the program's folder.
#include "DossierTemporaire.h"

#include "localisation/Traducteur.h"
#include "platform/Services.h"
#include "support/Erreur.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;

namespace {

using Indices = std::map<std::size_t, std::string>;

// Members named in `enPanne` throw, as a control without such a property would.
struct EnPanne {
    std::set<std::string> enPanne;
    void Panne(const std::string& membre) const {
        if (enPanne.count(membre) != 0) {
            throw Erreur(ErrArgument);
        }
    }
    template <class T> T Lu(const char* membre, const T& valeur) const {
        Panne(membre);
        return valeur;
    }
    template <class T> void Mis(const char* membre, T& champ, const T& valeur) {
        Panne(membre);
        champ = valeur;
    }
};

// A control that keeps what translation gives it.
class FauxControle final : public IControleTraduisible, public EnPanne {
public:
    FauxControle(std::string n, GenreControle g, std::string l)
        : nom(std::move(n)), genre(g), legende(std::move(l)) {}

    std::string nom;
    GenreControle genre;
    std::string legende;
    std::string texte;
    std::string infoBulle;
    std::vector<std::string> clesBoutons;
    Indices infoBullesBoutons;
    std::vector<std::string> clesColonnes;
    Indices entetes;

    std::string Nom() const override { return Lu("Nom", nom); }
    GenreControle Genre() const override { return Lu("Genre", genre); }
    std::string Legende() const override { return Lu("Legende", legende); }
    void DefinirLegende(const std::string& l) override { Mis("DefinirLegende", legende, l); }
    std::string Texte() const override { return Lu("Texte", texte); }
    void DefinirTexte(const std::string& t) override { Mis("DefinirTexte", texte, t); }
    void DefinirInfoBulle(const std::string& t) override { Mis("DefinirInfoBulle", infoBulle, t); }
    std::vector<std::string> ClesBoutons() const override { return Lu("ClesBoutons", clesBoutons); }
    void DefinirInfoBulleBouton(std::size_t i, const std::string& t) override {
        Panne("DefinirInfoBulleBouton" + std::to_string(i));
        infoBullesBoutons[i] = t;
    }
    std::vector<std::string> ClesColonnes() const override {
        return Lu("ClesColonnes", clesColonnes);
    }
    void DefinirEnTeteColonne(std::size_t i, const std::string& t) override {
        Panne("DefinirEnTeteColonne" + std::to_string(i));
        entetes[i] = t;
    }
};

class FauxFormulaire final : public IFormulaireTraduisible, public EnPanne {
public:
    explicit FauxFormulaire(std::string n) : nom(std::move(n)) {}

    std::string nom;
    std::string legende = "Fen\xEAtre";
    std::vector<std::unique_ptr<FauxControle>> controles;

    FauxControle& Ajouter(std::string n, GenreControle g, std::string l = {}) {
        controles.push_back(std::make_unique<FauxControle>(std::move(n), g, std::move(l)));
        return *controles.back();
    }

    std::string Nom() const override { return Lu("Nom", nom); }
    void DefinirLegende(const std::string& l) override { Mis("DefinirLegende", legende, l); }
    std::vector<IControleTraduisible*> Controles() override {
        Panne("Controles");
        std::vector<IControleTraduisible*> liste;
        for (auto& c : controles) {
            liste.push_back(c.get());
        }
        return liste;
    }
};

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

// --- look-ups -------------------------------------------------------------------------------

TEST_F(Traducteur, LireTraductionConsultsTheProgramFileThenTheSharedOne) {
    struct Cas {
        const char* nom;
        std::optional<std::string> programme; // Monvalor.lng, absent when nullopt
        std::optional<std::string> partage;   // Shared.lng
        const char* attendu;
        const char* section = "frmAbout";
        const char* cle = "cmdOK";
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
        {"other window's section", std::nullopt, "[frmSock]\nPas de mise \xE0 jour=Ailleurs\n", "",
         "frmAbout", "Pas de mise \xE0 jour"},
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
        EXPECT_EQ(Traduire(c.section, c.cle), *c.attendu != '\0' ? c.attendu : c.cle);
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
    // "Mise à jour" and "Fermer à la fin" written the way a Linux editor saves them.
    Partage("\xEF\xBB\xBF[frmAbout]\nMise \xC3\xA0 jour=Mettre \xC3\xA0 jour\n");
    Programme("[frmAbout]\r\ncmdOK=Fermer \xC3\xA0 la fin\r\n");
    EXPECT_EQ(LireTraduction("frmAbout", "Mise \xE0 jour"), "Mettre \xE0 jour");
    EXPECT_EQ(OK(), "Fermer \xE0 la fin");
}

// --- form translation -----------------------------------------------------------------------

TEST_F(Traducteur, EachKindTakesWhatItHas) {
    // Whether its caption, or its text, is translated, by its name or by itself.
    const std::tuple<GenreControle, bool, bool> cas[] = {
        {GenreControle::Label, true, false},        {GenreControle::Bouton, true, false},
        {GenreControle::BoutonOption, true, false}, {GenreControle::CaseACocher, true, false},
        {GenreControle::Cadre, true, false},        {GenreControle::ZoneTexte, false, true},
        {GenreControle::BarreOutils, false, false}, {GenreControle::ListeVue, false, false},
        {GenreControle::Autre, false, false}};
    Partage("[frm]\nctlNom=Par le nom\nAncienne l\xE9gende=Par la l\xE9gende\n"
            "Ancien texte=Par le texte\nctlNom.ToolTipText=Bulle nom\n"
            "ctlCle.ToolTipText=Bulle cl\xE9\n");
    for (const auto& [genre, legende, texte] : cas) {
        SCOPED_TRACE(static_cast<int>(genre));
        FauxFormulaire f("frm");
        FauxControle& parNom = f.Ajouter("ctlNom", genre, "Ancienne l\xE9gende");
        parNom.texte = "Ancien texte";
        FauxControle& parCle = f.Ajouter("ctlCle", genre, "Ancienne l\xE9gende");
        parCle.texte = "Ancien texte";
        TraduireFormulaire(f);

        EXPECT_EQ(parNom.legende, legende ? "Par le nom" : "Ancienne l\xE9gende");
        EXPECT_EQ(parNom.texte, texte ? "Par le nom" : "Ancien texte");
        EXPECT_EQ(parCle.legende, legende ? "Par la l\xE9gende" : "Ancienne l\xE9gende");
        EXPECT_EQ(parCle.texte, texte ? "Par le texte" : "Ancien texte");
        // Every kind has its tool tip looked up, found by name or not.
        EXPECT_EQ(parNom.infoBulle, "Bulle nom");
        EXPECT_EQ(parCle.infoBulle, "Bulle cl\xE9");
    }
}

TEST_F(Traducteur, NameComesBeforeCaptionAndIsNotLookedUpAgain) {
    // Looked up again as a caption, "Close" would become "Shut". An empty entry is none.
    Programme("[frmAbout]\ncmdVide=\nRien=\n");
    Partage("[frmAbout]\ncmdOK=Close\nClose=Shut\nOK=Okay\nlblTitle=Title\ncmdVide=\n");
    FauxFormulaire f("frmAbout");
    FauxControle& ok = f.Ajouter("cmdOK", GenreControle::Bouton, "OK");
    // A second member of the same control array shares the translation.
    FauxControle& ok2 = f.Ajouter("cmdOK", GenreControle::Bouton, "Autre");
    FauxControle& autre = f.Ajouter("cmdAutre", GenreControle::Bouton, "OK");
    FauxControle& titre = f.Ajouter("lblTitle", GenreControle::Label, "OK");
    FauxControle& vide = f.Ajouter("cmdVide", GenreControle::Bouton, "OK");
    FauxControle& rien = f.Ajouter("cmdVide", GenreControle::Bouton, "Rien");
    TraduireFormulaire(f);
    EXPECT_EQ(ok.legende, "Close");
    EXPECT_EQ(ok2.legende, "Close");
    EXPECT_EQ(autre.legende, "Okay");
    EXPECT_EQ(titre.legende, "Title");
    EXPECT_EQ(vide.legende, "Okay");
    EXPECT_EQ(rien.legende, "Rien");
}

TEST_F(Traducteur, ButtonsAndColumnsOnlyWithoutAnEntryOfTheirOwnEachOnItsOwn) {
    Partage("[frm]\ntbrOutils=Barre\ntbrOutils.ToolTipText=Outils\nlvwFichiers=Liste\n"
            "k0=Zero\nk1=Un\nk2=Deux\n=Sans cl\xE9\n");
    FauxFormulaire f("frm");
    FauxControle& barre = f.Ajouter("tbrOutils", GenreControle::BarreOutils);
    barre.clesBoutons = {"k0", "k1"};
    FauxControle& liste = f.Ajouter("lvwFichiers", GenreControle::ListeVue);
    liste.clesColonnes = {"k0", "k1"};
    // Buttons and columns without a key, unknown, or failing, are skipped.
    FauxControle& autreBarre = f.Ajouter("tbrAutre", GenreControle::BarreOutils);
    autreBarre.clesBoutons = {"k0", "", "kX", "k1", "k2"};
    autreBarre.enPanne.insert("DefinirInfoBulleBouton3");
    FauxControle& autreListe = f.Ajouter("lvwAutre", GenreControle::ListeVue);
    autreListe.clesColonnes = {"k2", "", "k0"};
    autreListe.enPanne.insert("DefinirEnTeteColonne0");
    FauxControle& barreMuette = f.Ajouter("tbrMuette", GenreControle::BarreOutils);
    barreMuette.clesBoutons = {"k0"};
    barreMuette.enPanne.insert("ClesBoutons");
    TraduireFormulaire(f);

    EXPECT_TRUE(barre.infoBullesBoutons.empty());
    EXPECT_EQ(barre.legende, "");
    EXPECT_EQ(barre.infoBulle, "Outils");
    EXPECT_TRUE(liste.entetes.empty());
    EXPECT_EQ(autreBarre.infoBullesBoutons, (Indices{{0, "Zero"}, {4, "Deux"}}));
    EXPECT_EQ(autreListe.entetes, (Indices{{2, "Zero"}}));
    EXPECT_TRUE(barreMuette.infoBullesBoutons.empty());
}

TEST_F(Traducteur, CaptionsWithEqualsOrLineBreakCannotBeMatched) {
    // Each caption below is what a tempting line of the file would need as its key.
    Partage("[frm]\na=b=Egal\nLigne un=Un\nLigne deux=Deux\nLigne un\\nLigne deux=Echappee\n");
    for (const char* legende : {"a=b", "Ligne un\nLigne deux", "Ligne un\r\nLigne deux"}) {
        SCOPED_TRACE(legende);
        FauxFormulaire f("frm");
        FauxControle& lbl = f.Ajouter("lblMulti", GenreControle::Label, legende);
        FauxControle& txt = f.Ajouter("txtMulti", GenreControle::ZoneTexte);
        txt.texte = legende;
        TraduireFormulaire(f);
        EXPECT_EQ(lbl.legende, legende);
        EXPECT_EQ(txt.texte, legende);
    }
    EXPECT_EQ(LireTraduction("frm", "Ligne un"), "Un");
}

// --- failing steps --------------------------------------------------------------------------

TEST_F(Traducteur, AFailingStepIsSkippedAndTheOthersRun) {
    Partage("[frm]\ncmdA=Par nom\nAvant=Par l\xE9gende\ncmdA.ToolTipText=Bulle\n"
            "lblA.ToolTipText=Bulle\ncmdB=Suivant\n");
    // Failing member, control, and what the control holds afterwards: caption and tool tip.
    const char* cas[][4] = {
        {"", "cmdA", "Par nom", "Bulle"},
        // The name cannot be read: its caption still can, its tool tip cannot be found.
        {"Nom", "cmdA", "Par l\xE9gende", ""},
        // The kind is unknown: nothing is set from the name, the tool tip still is.
        {"Genre", "cmdA", "Avant", "Bulle"},
        {"DefinirLegende", "cmdA", "Avant", "Bulle"},
        {"DefinirInfoBulle", "cmdA", "Par nom", ""},
        // Without an entry of its own, a caption that cannot be read skips only its look-up.
        {"Legende", "lblA", "Avant", "Bulle"},
    };
    for (const auto& [membre, nom, legende, infoBulle] : cas) {
        SCOPED_TRACE(membre);
        FauxFormulaire f("frm");
        FauxControle& a = f.Ajouter(nom, GenreControle::Bouton, "Avant");
        a.enPanne.insert(membre);
        FauxControle& b = f.Ajouter("cmdB", GenreControle::Bouton, "B");
        TraduireFormulaire(f);
        EXPECT_EQ(a.legende, legende);
        EXPECT_EQ(a.infoBulle, infoBulle);
        EXPECT_EQ(b.legende, "Suivant");
    }
}

TEST_F(Traducteur, WindowCaptionOnlyFromItsKeyAndFailuresDoNotStopTheRest) {
    Partage("[frm]\nCaption=Window\ncmdA=Done\n[frmSock]\nFen\xEAtre=Window\n");
    const char* cas[][4] = {
        // window, failing member, window caption and control caption afterwards
        {"frm", "", "Window", "Done"},
        // The window's own caption is not a key, even when the file has an entry for it.
        {"frmSock", "", "Fen\xEAtre", "A"},
        {"frm", "DefinirLegende", "Fen\xEAtre", "Done"},
        {"frm", "Controles", "Window", "A"},
        {"frm", "Nom", "Fen\xEAtre", "A"},
    };
    for (const auto& [nom, membre, legende, controle] : cas) {
        FauxFormulaire f(nom);
        f.enPanne.insert(membre);
        FauxControle& a = f.Ajouter("cmdA", GenreControle::Bouton, "A");
        TraduireFormulaire(f);
        EXPECT_EQ(f.legende, legende) << nom << membre;
        EXPECT_EQ(a.legende, controle) << nom << membre;
    }
}

} // namespace
