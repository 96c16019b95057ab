// The folder chooser's behaviour and its two lists over a form in memory and a file system of
// folders: drives that are not ready, folders that refuse, paths typed and applied or not.
#include "Doubles.h"

using namespace monvalor;
using namespace monvalor::test;

namespace {

// Texts as the core holds them, from UTF-8 literals.
struct Textes : std::vector<std::string> {
    Textes(std::initializer_list<std::string_view> textes) {
        for (std::string_view t : textes) {
            emplace_back(t);
        }
    }
};

const std::string kTexte(u8"txtRépertoire"_ansi);
const std::string kValide(u8"cmdValideRépertoire"_ansi);
const std::string kZebre(u8"zèbre"_ansi), kZoe(u8"Zoé"_ansi), kElements(u8"Éléments"_ansi);

class Repertoire : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        volumes->lecteurs = {{P("/"), "Racine", GenreVolume::Systeme},
                             {P("/home/anne"), "Dossier personnel", GenreVolume::Personnel},
                             {P("/media/anne/CLE"), "CLE", GenreVolume::Amovible},
                             {P("/mnt/nas"), "partage nas", GenreVolume::Reseau}};
        volumes->dossiers.insert(
            {P("/"), P("/home"), P("/home/anne"), P("/home/anne/Documents"),
             P("/home/anne/Documents/Factures"), P("/home/anne/abc"), P("/media"), P("/media/anne"),
             P("/media/anne/CLE"), P("/mnt"), P("/mnt/nas"), P("/mnt/nas/partage"), P("/root"),
             P("/home/anne/") + kZebre, P("/home/anne/") + kZoe, P("/home/anne/") + kElements});
        volumes->pasPrets = {P("/mnt/nas")};
        volumes->refuses = {P("/root")};
        volumes->courant = P("/home/anne");
    }
    static frmRepertoire& F() { return frmRepertoire::Defaut(); }
    FormulaireMemoire& Form() { return Forme(F()); }
    // What the three controls show: the drive, the folder, the text box.
    std::vector<std::string> Montre() {
        return {F().Ctl("drvHisto").Texte(), F().Ctl("dirHisto").Texte(), F().Ctl(kTexte).Texte()};
    }
    std::vector<std::string> Messages() { return systeme->Textes(); }
};

const std::vector<std::string> kAccueil = {P("/home/anne [Dossier personnel]"), P("/home/anne"),
                                           P("/home/anne")};
const std::vector<std::string> kFactures = {P("/home/anne [Dossier personnel]"),
                                            P("/home/anne/Documents/Factures"),
                                            P("/home/anne/Documents/Factures")};

} // namespace

TEST_F(Repertoire, OpensWhereItIsToldOrWhereTheListsStartAndListsAsAFrenchReaderSorts) {
    F().Charger();
    EXPECT_EQ(Montre(), kAccueil);
    EXPECT_EQ(Form().Legende(), u8"Sélectionnez un répertoire"_ansi);
    std::vector<EntreeDossier> attendues = {{P("/home/anne"), P("/home/anne"), 0, true}};
    for (const std::string& nom :
         {std::string("abc"), std::string("Documents"), kElements, kZebre, kZoe}) {
        attendues.push_back({P("/home/anne/") + nom, nom, 1, false});
    }
    EXPECT_EQ(Form().Memoire("dirHisto").Dossiers().Entrees(), attendues);
    F().Decharger();

    F().Repertoire = P("/home/anne/Documents/Factures");
    F().Charger();
    EXPECT_EQ(Montre(), kFactures);
    EXPECT_EQ(
        Form().Memoire("dirHisto").Dossiers().Entrees(),
        (std::vector<EntreeDossier>{{P("/home/anne"), P("/home/anne"), 0, true},
                                    {P("/home/anne/Documents"), "Documents", 1, true},
                                    {P("/home/anne/Documents/Factures"), "Factures", 2, true}}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Repertoire, AStartOnADriveThatIsNotReadyIsToldOnceAndLeavesTheWindowUntranslated) {
    EcrireFichier(dossier.Chemin() / "Shared.lng", "[frmRepertoire]\r\nCaption=Select a folder\r\n"
                                                   "Annuler=Cancel\r\n");
    F().Repertoire = P("/mnt/nas/partage");
    F().Charger();
    // The failure's own text, with a single OK button and the program's title.
    const std::vector<MessageVu> attendus = {
        {std::string(u8"Pas prêt : "_ansi) + P(P("/mnt/nas")), MsgOK, ""}};
    EXPECT_EQ(systeme->messages, attendus);
    EXPECT_EQ(Montre(),
              (std::vector<std::string>{P("/mnt/nas [partage nas]"), P("/home/anne"), ""}));
    EXPECT_EQ(std::tuple(Form().Legende(), F().Ctl("CancelButton").Texte()),
              std::tuple(std::string(u8"Sélectionnez un répertoire"_ansi), std::string("Annuler")));
    // Once it can position itself, it translates.
    F().Ctl(kTexte).DefinirTexte(P("/home/anne"));
    Form().Cliquer(kValide);
    EXPECT_EQ(std::tuple(Form().Legende(), F().Ctl("CancelButton").Texte()),
              std::tuple(std::string("Select a folder"), std::string("Cancel")));
}

TEST_F(Repertoire, PickingADriveMovesToItsLastFolderAndOneThatIsNotReadyChangesNothingElse) {
    F().Repertoire = P("/home/anne/Documents/Factures");
    F().Charger();
    Form().Choisir("drvHisto", 0);
    EXPECT_EQ(Montre(), (std::vector<std::string>{P("/ [Racine]"), P("/"), P("/")}));
    Form().Choisir("drvHisto", 3);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{std::string(u8"Pas prêt : "_ansi) + P(P("/mnt/nas"))});
    EXPECT_EQ(Montre(), (std::vector<std::string>{P("/mnt/nas [partage nas]"), P("/"), P("/")}));
    Form().Choisir("drvHisto", 1);
    EXPECT_EQ(Montre(), kFactures);
}

TEST_F(Repertoire, TheFolderListOpensWhatIsDoubleClickedAndTellsWhatCannotBeRead) {
    F().Charger();
    Form().Choisir("dirHisto", 2); // Documents
    Form().Choisir("dirHisto", 2); // Factures
    EXPECT_EQ(Montre(), kFactures);
    Form().Choisir("dirHisto", 0); // back to the drive's root
    EXPECT_EQ(Montre(), kAccueil);
    Form().Choisir("drvHisto", 0);
    Form().Choisir("dirHisto", 4); // P("/root") refuses
    EXPECT_EQ(Messages(), Textes{u8"Permission refusée"_ansi});
    EXPECT_EQ(F().Ctl("dirHisto").Texte(), P("/"));
}

TEST_F(Repertoire, APathTypedCountsOnlyOnceAppliedWithOk) {
    struct Cas {
        std::string tape;
        bool applique;
        const char* bouton;
        std::string rendu;
        Textes messages;
    };
    const Cas cas[] = {
        {P("/home/anne/Documents/Factures"),
         true,
         "OKButton",
         P("/home/anne/Documents/Factures"),
         {}},
        {P("Documents/Factures"), true, "OKButton", P("/home/anne/Documents/Factures"), {}},
        {P("/home/anne/Documents/Factures"), false, "OKButton", P("/home/anne"), {}},
        {P("/home/anne/Documentz"),
         true,
         "OKButton",
         P("/home/anne"),
         {u8"Chemin d'accès introuvable"_ansi}},
        {P("/home/anne/Documents"), true, "CancelButton", "", {}},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.tape);
        systeme->messages.clear();
        F().Repertoire.clear();
        F().Charger();
        F().Ctl(kTexte).DefinirTexte(c.tape);
        if (c.applique) {
            Form().Cliquer(kValide);
            // Even a path that is not there, until a button replaces it.
            EXPECT_EQ(F().Repertoire, c.tape);
        }
        Form().Montrer();
        Form().Cliquer(c.bouton);
        EXPECT_EQ(std::tuple(F().Repertoire, Form().EstVisible(), Messages()),
                  std::tuple(c.rendu, false, c.messages));
        F().Decharger();
    }
}

TEST_F(Repertoire, ShowsModallyOverItsCallerAndTheTitleBarSetsNothing) {
    auto fabrique = std::make_shared<FabriqueMemoire>();
    Plateforme().formulaires = fabrique;
    fabrique->pendantModal = [](FormulaireMemoire& form) {
        if (form.Conception().nom == "frmRepertoire") {
            form.Choisir("dirHisto", 2);
            form.Cliquer("OKButton");
        }
    };
    Plateforme().instancePrecedente = true; // the owner loads without its welcome
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    proprietaire.Charger();
    F().MontrerModal(&proprietaire);
    EXPECT_EQ(F().Repertoire, P("/home/anne/Documents"));
    EXPECT_EQ(Form().Proprietaires(), std::vector<IVueFormulaire*>{&proprietaire.Vue()});

    F().Repertoire = P("/home/anne/abc");
    fabrique->pendantModal = [](FormulaireMemoire& form) { form.FermerParLaBarreDeTitre(); };
    F().Decharger();
    F().MontrerModal(&proprietaire);
    EXPECT_EQ(std::tuple(F().Repertoire, F().EstChargee()), std::tuple(P("/home/anne/abc"), false));
}
