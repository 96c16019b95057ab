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

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;

namespace {

// A control that keeps what translation gives it. Members named in `enPanne` throw.
class FauxControle final : public IControleTraduisible {
public:
    FauxControle(std::string n, GenreControle g, std::string l = {})
        : nom(std::move(n)), genre(g), legende(std::move(l)) {}

    std::string nom;
    GenreControle genre;
    std::string legende;
    std::string texte;
    std::string infoBulle;
    std::vector<std::string> clesBoutons;
    std::map<std::size_t, std::string> infoBullesBoutons;
    std::vector<std::string> clesColonnes;
    std::map<std::size_t, std::string> entetes;
    std::set<std::string> enPanne;

    std::string Nom() const override { return Lire("Nom", nom); }
    GenreControle Genre() const override {
        Panne("Genre");
        return genre;
    }
    std::string Legende() const override { return Lire("Legende", legende); }
    void DefinirLegende(const std::string& l) override { Ecrire("DefinirLegende", legende, l); }
    std::string Texte() const override { return Lire("Texte", texte); }
    void DefinirTexte(const std::string& t) override { Ecrire("DefinirTexte", texte, t); }
    void DefinirInfoBulle(const std::string& t) override {
        Ecrire("DefinirInfoBulle", infoBulle, t);
    }
    std::vector<std::string> ClesBoutons() const override {
        Panne("ClesBoutons");
        return clesBoutons;
    }
    void DefinirInfoBulleBouton(std::size_t i, const std::string& t) override {
        Panne("DefinirInfoBulleBouton" + std::to_string(i));
        infoBullesBoutons[i] = t;
    }
    std::vector<std::string> ClesColonnes() const override {
        Panne("ClesColonnes");
        return clesColonnes;
    }
    void DefinirEnTeteColonne(std::size_t i, const std::string& t) override {
        Panne("DefinirEnTeteColonne" + std::to_string(i));
        entetes[i] = t;
    }

private:
    void Panne(const std::string& membre) const {
        if (enPanne.count(membre) != 0) {
            throw Erreur(ErrArgument);
        }
    }
    std::string Lire(const char* membre, const std::string& valeur) const {
        Panne(membre);
        return valeur;
    }
    void Ecrire(const char* membre, std::string& champ, const std::string& valeur) {
        Panne(membre);
        champ = valeur;
    }
};

class FauxFormulaire final : public IFormulaireTraduisible {
public:
    explicit FauxFormulaire(std::string n, std::string l = "Fen\xEAtre")
        : nom(std::move(n)), legende(std::move(l)) {}

    std::string nom;
    std::string legende;
    std::vector<std::unique_ptr<FauxControle>> controles;
    std::set<std::string> enPanne;

    FauxControle& Ajouter(std::string n, GenreControle g, std::string l = {}) {
        controles.push_back(std::make_unique<FauxControle>(std::move(n), g, std::move(l)));
        return *controles.back();
    }

    std::string Nom() const override {
        if (enPanne.count("Nom") != 0) {
            throw Erreur(ErrArgument);
        }
        return nom;
    }
    void DefinirLegende(const std::string& l) override {
        if (enPanne.count("DefinirLegende") != 0) {
            throw Erreur(ErrArgument);
        }
        legende = l;
    }
    std::vector<IControleTraduisible*> Controles() override {
        if (enPanne.count("Controles") != 0) {
            throw Erreur(ErrIndice);
        }
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
};

// --- look-ups -------------------------------------------------------------------------------

struct CasLecture {
    const char* nom;
    std::optional<std::string> programme; // Monvalor.lng, absent when nullopt
    std::optional<std::string> partage;   // Shared.lng
    const char* section;
    const char* cle;
    const char* attendu;
};

TEST_F(Traducteur, LireTraductionConsultsTheProgramFileThenTheSharedOne) {
    const CasLecture cas[] = {
        {"no file at all", std::nullopt, std::nullopt, "frmAbout", "cmdOK", ""},
        {"only the shared file", std::nullopt, "[frmAbout]\ncmdOK=Close\n", "frmAbout", "cmdOK",
         "Close"},
        {"program file wins", "[frmAbout]\ncmdOK=Done\n", "[frmAbout]\ncmdOK=Close\n", "frmAbout",
         "cmdOK", "Done"},
        {"key missing from the program file", "[frmAbout]\ncmdSysInfo=Info\n",
         "[frmAbout]\ncmdOK=Close\n", "frmAbout", "cmdOK", "Close"},
        {"empty value in the program file", "[frmAbout]\ncmdOK=\n", "[frmAbout]\ncmdOK=Close\n",
         "frmAbout", "cmdOK", "Close"},
        {"empty value in both", "[frmAbout]\ncmdOK=\n", "[frmAbout]\ncmdOK=  \n", "frmAbout",
         "cmdOK", ""},
        {"only the program file", "[frmAbout]\ncmdOK=Done\n", std::nullopt, "frmAbout", "cmdOK",
         "Done"},
        {"section is the window", "[frmSock]\ncmdOK=Sock\n[frmAbout]\ncmdOK=About\n", std::nullopt,
         "frmSock", "cmdOK", "Sock"},
        {"other window's section", "[frmSock]\ncmdOK=Sock\n", std::nullopt, "frmAbout", "cmdOK",
         ""},
        {"case and spaces do not matter", "[FRMABOUT]\n  CmdOk = Done \n", std::nullopt, "frmAbout",
         "cmdOK", "Done"},
        {"accented message key", std::nullopt,
         "[frmAbout]\nPas de mise \xE0 jour=No update available\n", "frmAbout",
         "Pas de mise \xE0 jour", "No update available"},
        {"CRLF file", "[frmAbout]\r\ncmdOK=Done\r\n", std::nullopt, "frmAbout", "cmdOK", "Done"},
    };
    for (const CasLecture& c : cas) {
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
        const std::string attenduTraduire = *c.attendu != '\0' ? c.attendu : c.cle;
        EXPECT_EQ(Traduire(c.section, c.cle), attenduTraduire);
    }
}

TEST_F(Traducteur, ProgramFileIsNamedAfterTheApplicationTitle) {
    EcrireFichier(dossier.Chemin() / "Autre.lng", "[frmAbout]\ncmdOK=Autre\n");
    Programme("[frmAbout]\ncmdOK=Monvalor\n");
    Partage("[frmAbout]\ncmdOK=Shared\n");
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Monvalor");
    Plateforme().application.titre = "Autre";
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Autre");
    Plateforme().application.titre = "Absent";
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Shared");
}

TEST_F(Traducteur, TraduireGivesTheKeyBackWhenNothingIsFound) {
    Partage("[frmSock]\nPas de mise \xE0 jour=Elsewhere\n");
    EXPECT_EQ(Traduire("frmAbout", "Pas de mise \xE0 jour"), "Pas de mise \xE0 jour");
    EXPECT_EQ(Traduire("frmSock", "Pas de mise \xE0 jour"), "Elsewhere");
    EXPECT_EQ(Traduire("frmAbout", ""), "");
}

TEST_F(Traducteur, FilesEditedBetweenTwoLookUpsTakeEffect) {
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "");

    Partage("[frmAbout]\ncmdOK=Close\n");
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Close");

    Programme("[frmAbout]\ncmdOK=Done\n");
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Done");

    Programme("[frmAbout]\ncmdOK=Finished\n");
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Finished");

    std::filesystem::remove(FichierProgramme());
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Close");

    std::filesystem::remove(FichierPartage());
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "");
}

TEST_F(Traducteur, FilesSavedAsUtf8ReadAsWindows1252) {
    // "Mise à jour" and "Fermer à la fin" written the way a Linux editor saves them.
    Partage("\xEF\xBB\xBF[frmAbout]\nMise \xC3\xA0 jour=Mettre \xC3\xA0 jour\n");
    Programme("[frmAbout]\r\ncmdOK=Fermer \xC3\xA0 la fin\r\n");
    EXPECT_EQ(LireTraduction("frmAbout", "Mise \xE0 jour"), "Mettre \xE0 jour");
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "Fermer \xE0 la fin");
}

TEST_F(Traducteur, AProgramFolderThatIsAFileOrMissingGivesNothing) {
    Partage("[frmAbout]\ncmdOK=Close\n");
    Plateforme().application.repertoire = (dossier.Chemin() / "absent").string();
    EXPECT_EQ(LireTraduction("frmAbout", "cmdOK"), "");
    Plateforme().application.repertoire = FichierPartage().string();
    EXPECT_EQ(Traduire("frmAbout", "cmdOK"), "cmdOK");
}

// --- form translation -----------------------------------------------------------------------

TEST_F(Traducteur, WindowCaptionComesOnlyFromTheCaptionKey) {
    Partage("[frmAbout]\nCaption=About\n[frmSock]\nFen\xEAtre=Window\n");
    FauxFormulaire about("frmAbout");
    TraduireFormulaire(about);
    EXPECT_EQ(about.legende, "About");

    // The window's own caption is not a key, even when the file has an entry for it.
    FauxFormulaire sock("frmSock");
    TraduireFormulaire(sock);
    EXPECT_EQ(sock.legende, "Fen\xEAtre");
}

struct CasGenre {
    GenreControle genre;
    bool legendeParNom; // an entry under its name becomes its caption
    bool texteParNom;   // an entry under its name becomes its text
    bool legendeCle;    // its caption is looked up when its name has no entry
    bool texteCle;      // its text is looked up when its name has no entry
};

TEST_F(Traducteur, EachKindTakesWhatItHas) {
    const CasGenre cas[] = {
        {GenreControle::Label, true, false, true, false},
        {GenreControle::Bouton, true, false, true, false},
        {GenreControle::BoutonOption, true, false, true, false},
        {GenreControle::CaseACocher, true, false, true, false},
        {GenreControle::Cadre, true, false, true, false},
        {GenreControle::ZoneTexte, false, true, false, true},
        {GenreControle::BarreOutils, false, false, false, false},
        {GenreControle::ListeVue, false, false, false, false},
        {GenreControle::Autre, false, false, false, false},
    };
    Partage("[frm]\n"
            "ctlNom=Par le nom\n"
            "Ancienne l\xE9gende=Par la l\xE9gende\n"
            "Ancien texte=Par le texte\n"
            "ctlNom.ToolTipText=Bulle nom\n"
            "ctlCle.ToolTipText=Bulle cl\xE9\n");
    for (const CasGenre& c : cas) {
        SCOPED_TRACE(static_cast<int>(c.genre));
        FauxFormulaire f("frm");
        FauxControle& parNom = f.Ajouter("ctlNom", c.genre, "Ancienne l\xE9gende");
        parNom.texte = "Ancien texte";
        FauxControle& parCle = f.Ajouter("ctlCle", c.genre, "Ancienne l\xE9gende");
        parCle.texte = "Ancien texte";
        TraduireFormulaire(f);

        EXPECT_EQ(parNom.legende, c.legendeParNom ? "Par le nom" : "Ancienne l\xE9gende");
        EXPECT_EQ(parNom.texte, c.texteParNom ? "Par le nom" : "Ancien texte");
        EXPECT_EQ(parCle.legende, c.legendeCle ? "Par la l\xE9gende" : "Ancienne l\xE9gende");
        EXPECT_EQ(parCle.texte, c.texteCle ? "Par le texte" : "Ancien texte");
        // Every kind has its tool tip looked up, found by name or not.
        EXPECT_EQ(parNom.infoBulle, "Bulle nom");
        EXPECT_EQ(parCle.infoBulle, "Bulle cl\xE9");
    }
}

TEST_F(Traducteur, NameComesBeforeCaption) {
    Partage("[frmAbout]\ncmdOK=Close\nOK=Okay\nlblTitle=Title\n");
    FauxFormulaire f("frmAbout");
    FauxControle& ok = f.Ajouter("cmdOK", GenreControle::Bouton, "OK");
    FauxControle& autre = f.Ajouter("cmdAutre", GenreControle::Bouton, "OK");
    FauxControle& titre = f.Ajouter("lblTitle", GenreControle::Label, "OK");
    TraduireFormulaire(f);
    EXPECT_EQ(ok.legende, "Close");
    EXPECT_EQ(autre.legende, "Okay");
    // A name entry holding the caption's key would give "Okay"; the name's own value wins.
    EXPECT_EQ(titre.legende, "Title");
}

TEST_F(Traducteur, NameTranslationIsNotLookedUpAgainAsACaption) {
    // If the caption were looked up after the name, "Close" would become "Shut".
    Partage("[frmAbout]\ncmdOK=Close\nClose=Shut\n");
    FauxFormulaire f("frmAbout");
    FauxControle& ok = f.Ajouter("cmdOK", GenreControle::Bouton, "OK");
    TraduireFormulaire(f);
    EXPECT_EQ(ok.legende, "Close");
}

TEST_F(Traducteur, EmptyValueFallsThroughToSharedThenToCaption) {
    FauxFormulaire f("frmAbout");
    FauxControle& ok = f.Ajouter("cmdOK", GenreControle::Bouton, "OK");

    Programme("[frmAbout]\ncmdOK=\n");
    Partage("[frmAbout]\ncmdOK=Close\n");
    TraduireFormulaire(f);
    EXPECT_EQ(ok.legende, "Close");

    ok.legende = "OK";
    Programme("[frmAbout]\ncmdOK=\nOK=Okay\n");
    Partage("[frmAbout]\ncmdOK=\n");
    TraduireFormulaire(f);
    EXPECT_EQ(ok.legende, "Okay");

    ok.legende = "OK";
    Programme("[frmAbout]\ncmdOK=\nOK=\n");
    Partage("[frmAbout]\nOK=\n");
    TraduireFormulaire(f);
    EXPECT_EQ(ok.legende, "OK");
}

TEST_F(Traducteur, ToolbarButtonsOnlyWithoutAnEntryOfItsOwn) {
    Partage("[frm]\n"
            "tbrOutils=Barre\n"
            "tbrOutils.ToolTipText=Outils\n"
            "btnOuvrir=Open\n"
            "btnFermer=Close\n"
            "=Sans cl\xE9\n");
    FauxFormulaire f("frm");
    FauxControle& avecEntree = f.Ajouter("tbrOutils", GenreControle::BarreOutils);
    avecEntree.clesBoutons = {"btnOuvrir", "btnFermer"};
    FauxControle& sansEntree = f.Ajouter("tbrAutre", GenreControle::BarreOutils);
    sansEntree.clesBoutons = {"btnOuvrir", "", "btnInconnu", "btnFermer"};
    TraduireFormulaire(f);

    EXPECT_TRUE(avecEntree.infoBullesBoutons.empty());
    EXPECT_EQ(avecEntree.legende, "");
    EXPECT_EQ(avecEntree.infoBulle, "Outils");
    const std::map<std::size_t, std::string> attendu = {{0, "Open"}, {3, "Close"}};
    EXPECT_EQ(sansEntree.infoBullesBoutons, attendu);
}

TEST_F(Traducteur, ListViewColumnsOnlyWithoutAnEntryOfItsOwn) {
    Partage("[frm]\n"
            "lvwFichiers=Liste\n"
            "colNom=Name\n"
            "colTaille=Size\n");
    FauxFormulaire f("frm");
    FauxControle& avecEntree = f.Ajouter("lvwFichiers", GenreControle::ListeVue);
    avecEntree.clesColonnes = {"colNom", "colTaille"};
    FauxControle& sansEntree = f.Ajouter("lvwAutre", GenreControle::ListeVue);
    sansEntree.clesColonnes = {"colTaille", "", "colNom"};
    TraduireFormulaire(f);

    EXPECT_TRUE(avecEntree.entetes.empty());
    const std::map<std::size_t, std::string> attendu = {{0, "Size"}, {2, "Name"}};
    EXPECT_EQ(sansEntree.entetes, attendu);
}

TEST_F(Traducteur, ControlArrayMembersShareOneTranslation) {
    Partage("[frm]\noptChoix=Choice\noptChoix.ToolTipText=Pick one\n");
    FauxFormulaire f("frm");
    FauxControle& a = f.Ajouter("optChoix", GenreControle::BoutonOption, "Premier");
    FauxControle& b = f.Ajouter("optChoix", GenreControle::BoutonOption, "Second");
    TraduireFormulaire(f);
    EXPECT_EQ(a.legende, "Choice");
    EXPECT_EQ(b.legende, "Choice");
    EXPECT_EQ(a.infoBulle, "Pick one");
    EXPECT_EQ(b.infoBulle, "Pick one");
}

TEST_F(Traducteur, SameCaptionInTwoWindowsTranslatesByWindow) {
    Partage("[frmAbout]\nOK=Close\n[frmSock]\nOK=Start\n");
    FauxFormulaire about("frmAbout");
    FauxControle& lbl = about.Ajouter("lblX", GenreControle::Label, "OK");
    FauxFormulaire sock("frmSock");
    FauxControle& cmd = sock.Ajouter("cmdX", GenreControle::Bouton, "OK");
    TraduireFormulaire(about);
    TraduireFormulaire(sock);
    EXPECT_EQ(lbl.legende, "Close");
    EXPECT_EQ(cmd.legende, "Start");
}

TEST_F(Traducteur, CaptionsWithEqualsOrLineBreakCannotBeMatched) {
    struct Cas {
        const char* legende;
    };
    // Each caption below is what a tempting line of the file would need as its key.
    Partage("[frm]\n"
            "a=b=Egal\n"
            "Ligne un=Un\n"
            "Ligne deux=Deux\n"
            "Ligne un\\nLigne deux=Echappee\n");
    const Cas cas[] = {{"a=b"}, {"Ligne un\nLigne deux"}, {"Ligne un\r\nLigne deux"}};
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.legende);
        FauxFormulaire f("frm");
        FauxControle& lbl = f.Ajouter("lblMulti", GenreControle::Label, c.legende);
        FauxControle& txt = f.Ajouter("txtMulti", GenreControle::ZoneTexte);
        txt.texte = c.legende;
        TraduireFormulaire(f);
        EXPECT_EQ(lbl.legende, c.legende);
        EXPECT_EQ(txt.texte, c.legende);
    }
    EXPECT_EQ(LireTraduction("frm", "Ligne un"), "Un");
}

TEST_F(Traducteur, NoLanguageFileLeavesTheWindowAlone) {
    FauxFormulaire f("frmAbout", "\xC0 propos de Monvalor");
    FauxControle& ok = f.Ajouter("cmdOK", GenreControle::Bouton, "OK");
    FauxControle& txt = f.Ajouter("txtMontant", GenreControle::ZoneTexte);
    txt.texte = "12,50";
    TraduireFormulaire(f);
    EXPECT_EQ(f.legende, "\xC0 propos de Monvalor");
    EXPECT_EQ(ok.legende, "OK");
    EXPECT_EQ(ok.infoBulle, "");
    EXPECT_EQ(txt.texte, "12,50");
}

// --- failing steps --------------------------------------------------------------------------

struct CasPanne {
    const char* membre;
    GenreControle genre;
    // What the control holds afterwards.
    const char* legende;
    const char* infoBulle;
};

TEST_F(Traducteur, AFailingStepIsSkippedAndTheOthersRun) {
    Partage("[frm]\n"
            "cmdA=Par nom\n"
            "Avant=Par l\xE9gende\n"
            "cmdA.ToolTipText=Bulle\n"
            "cmdB=Suivant\n");
    const CasPanne cas[] = {
        {"", GenreControle::Bouton, "Par nom", "Bulle"},
        // The name cannot be read: its caption still can, its tool tip cannot be found.
        {"Nom", GenreControle::Bouton, "Par l\xE9gende", ""},
        // The kind is unknown: nothing is set from the name, the tool tip still is.
        {"Genre", GenreControle::Bouton, "Avant", "Bulle"},
        {"DefinirLegende", GenreControle::Bouton, "Avant", "Bulle"},
        {"DefinirInfoBulle", GenreControle::Bouton, "Par nom", ""},
    };
    for (const CasPanne& c : cas) {
        SCOPED_TRACE(c.membre);
        FauxFormulaire f("frm");
        FauxControle& a = f.Ajouter("cmdA", c.genre, "Avant");
        a.enPanne.insert(c.membre);
        FauxControle& b = f.Ajouter("cmdB", GenreControle::Bouton, "B");
        TraduireFormulaire(f);
        EXPECT_EQ(a.legende, c.legende);
        EXPECT_EQ(a.infoBulle, c.infoBulle);
        EXPECT_EQ(b.legende, "Suivant");
    }
}

TEST_F(Traducteur, CaptionThatCannotBeReadSkipsOnlyItsLookUp) {
    Partage("[frm]\nAvant=Apr\xE8s\nlblA.ToolTipText=Bulle\n");
    FauxFormulaire f("frm");
    FauxControle& a = f.Ajouter("lblA", GenreControle::Label, "Avant");
    a.enPanne.insert("Legende");
    FauxControle& b = f.Ajouter("lblB", GenreControle::Label, "Avant");
    TraduireFormulaire(f);
    EXPECT_EQ(a.legende, "Avant");
    EXPECT_EQ(a.infoBulle, "Bulle");
    EXPECT_EQ(b.legende, "Apr\xE8s");
}

TEST_F(Traducteur, AFailingButtonOrColumnDoesNotStopTheNextOnes) {
    Partage("[frm]\nk0=Zero\nk1=Un\nk2=Deux\n");
    FauxFormulaire f("frm");
    FauxControle& barre = f.Ajouter("tbr", GenreControle::BarreOutils);
    barre.clesBoutons = {"k0", "k1", "k2"};
    barre.enPanne.insert("DefinirInfoBulleBouton1");
    FauxControle& liste = f.Ajouter("lvw", GenreControle::ListeVue);
    liste.clesColonnes = {"k0", "k1", "k2"};
    liste.enPanne.insert("DefinirEnTeteColonne0");
    FauxControle& barreMuette = f.Ajouter("tbrMuette", GenreControle::BarreOutils);
    barreMuette.clesBoutons = {"k0"};
    barreMuette.enPanne.insert("ClesBoutons");
    TraduireFormulaire(f);

    const std::map<std::size_t, std::string> boutons = {{0, "Zero"}, {2, "Deux"}};
    EXPECT_EQ(barre.infoBullesBoutons, boutons);
    const std::map<std::size_t, std::string> colonnes = {{1, "Un"}, {2, "Deux"}};
    EXPECT_EQ(liste.entetes, colonnes);
    EXPECT_TRUE(barreMuette.infoBullesBoutons.empty());
}

TEST_F(Traducteur, WindowFailuresDoNotStopTheRest) {
    Partage("[frm]\nCaption=Window\ncmdA=Done\n");
    {
        FauxFormulaire f("frm");
        f.enPanne.insert("DefinirLegende");
        FauxControle& a = f.Ajouter("cmdA", GenreControle::Bouton, "A");
        TraduireFormulaire(f);
        EXPECT_EQ(f.legende, "Fen\xEAtre");
        EXPECT_EQ(a.legende, "Done");
    }
    {
        FauxFormulaire f("frm");
        f.enPanne.insert("Controles");
        f.Ajouter("cmdA", GenreControle::Bouton, "A");
        TraduireFormulaire(f);
        EXPECT_EQ(f.legende, "Window");
        EXPECT_EQ(f.controles[0]->legende, "A");
    }
    {
        FauxFormulaire f("frm");
        f.enPanne.insert("Nom");
        f.Ajouter("cmdA", GenreControle::Bouton, "A");
        EXPECT_NO_THROW(TraduireFormulaire(f));
        EXPECT_EQ(f.legende, "Fen\xEAtre");
        EXPECT_EQ(f.controles[0]->legende, "A");
    }
}

} // namespace
