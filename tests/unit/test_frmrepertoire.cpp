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
        volumes->lecteurs = {{"/", "Racine", GenreVolume::Systeme},
                             {"/home/anne", "Dossier personnel", GenreVolume::Personnel},
                             {"/media/anne/CLE", "CLE", GenreVolume::Amovible},
                             {"/mnt/nas", "nas:/export", GenreVolume::Reseau}};
        volumes->dossiers.insert({"/", "/home", "/home/anne", "/home/anne/Documents",
                                  "/home/anne/Documents/Factures", "/home/anne/abc", "/media",
                                  "/media/anne", "/media/anne/CLE", "/mnt", "/mnt/nas",
                                  "/mnt/nas/partage", "/root", "/home/anne/" + kZebre,
                                  "/home/anne/" + kZoe, "/home/anne/" + kElements});
        volumes->pasPrets = {"/mnt/nas"};
        volumes->refuses = {"/root"};
        volumes->courant = "/home/anne";
    }
    static frmRepertoire& F() { return frmRepertoire::Defaut(); }
    FormulaireMemoire& Form() { return Forme(F()); }
    // What the three controls show: the drive, the folder, the text box.
    std::vector<std::string> Montre() {
        return {F().Ctl("drvHisto").Texte(), F().Ctl("dirHisto").Texte(), F().Ctl(kTexte).Texte()};
    }
    std::vector<std::string> Messages() { return systeme->Textes(); }
};

const std::vector<std::string> kAccueil = {"/home/anne [Dossier personnel]", "/home/anne",
                                           "/home/anne"};
const std::vector<std::string> kFactures = {"/home/anne [Dossier personnel]",
                                            "/home/anne/Documents/Factures",
                                            "/home/anne/Documents/Factures"};

} // namespace

TEST_F(Repertoire, OpensWhereItIsToldOrWhereTheListsStartAndListsAsAFrenchReaderSorts) {
    F().Charger();
    EXPECT_EQ(Montre(), kAccueil);
    EXPECT_EQ(Form().Legende(), u8"Sélectionnez un répertoire"_ansi);
    std::vector<EntreeDossier> attendues = {{"/home/anne", "/home/anne", 0, true}};
    for (const std::string& nom :
         {std::string("abc"), std::string("Documents"), kElements, kZebre, kZoe}) {
        attendues.push_back({"/home/anne/" + nom, nom, 1, false});
    }
    EXPECT_EQ(Form().Memoire("dirHisto").Dossiers().Entrees(), attendues);
    F().Decharger();

    F().Repertoire = "/home/anne/Documents/Factures";
    F().Charger();
    EXPECT_EQ(Montre(), kFactures);
    EXPECT_EQ(Form().Memoire("dirHisto").Dossiers().Entrees(),
              (std::vector<EntreeDossier>{{"/home/anne", "/home/anne", 0, true},
                                          {"/home/anne/Documents", "Documents", 1, true},
                                          {"/home/anne/Documents/Factures", "Factures", 2, true}}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Repertoire, AStartOnADriveThatIsNotReadyIsToldOnceAndLeavesTheWindowUntranslated) {
    EcrireFichier(dossier.Chemin() / "Shared.lng", "[frmRepertoire]\r\nCaption=Select a folder\r\n"
                                                   "Annuler=Cancel\r\n");
    F().Repertoire = "/mnt/nas/partage";
    F().Charger();
    // The failure's own text, with a single OK button and the program's title.
    const std::vector<MessageVu> attendus = {
        {std::string(u8"Pas prêt : /mnt/nas"_ansi), MsgOK, ""}};
    EXPECT_EQ(systeme->messages, attendus);
    EXPECT_EQ(Montre(), (std::vector<std::string>{"/mnt/nas [nas:/export]", "/home/anne", ""}));
    EXPECT_EQ(std::tuple(Form().Legende(), F().Ctl("CancelButton").Texte()),
              std::tuple(std::string(u8"Sélectionnez un répertoire"_ansi), std::string("Annuler")));
    // Once it can position itself, it translates.
    F().Ctl(kTexte).DefinirTexte("/home/anne");
    Form().Cliquer(kValide);
    EXPECT_EQ(std::tuple(Form().Legende(), F().Ctl("CancelButton").Texte()),
              std::tuple(std::string("Select a folder"), std::string("Cancel")));
}

TEST_F(Repertoire, PickingADriveMovesToItsLastFolderAndOneThatIsNotReadyChangesNothingElse) {
    F().Repertoire = "/home/anne/Documents/Factures";
    F().Charger();
    Form().Choisir("drvHisto", 0);
    EXPECT_EQ(Montre(), (std::vector<std::string>{"/ [Racine]", "/", "/"}));
    Form().Choisir("drvHisto", 3);
    EXPECT_EQ(Messages(), Textes{u8"Pas prêt : /mnt/nas"_ansi});
    EXPECT_EQ(Montre(), (std::vector<std::string>{"/mnt/nas [nas:/export]", "/", "/"}));
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
    Form().Choisir("dirHisto", 4); // "/root" refuses
    EXPECT_EQ(Messages(), Textes{u8"Permission refusée"_ansi});
    EXPECT_EQ(F().Ctl("dirHisto").Texte(), "/");
}

TEST_F(Repertoire, APathTypedCountsOnlyOnceAppliedWithOk) {
    struct Cas {
        const char* tape;
        bool applique;
        const char* bouton;
        const char* rendu;
        Textes messages;
    };
    const Cas cas[] = {
        {"/home/anne/Documents/Factures", true, "OKButton", "/home/anne/Documents/Factures", {}},
        {"Documents/Factures", true, "OKButton", "/home/anne/Documents/Factures", {}},
        {"/home/anne/Documents/Factures", false, "OKButton", "/home/anne", {}},
        {"/home/anne/Documentz",
         true,
         "OKButton",
         "/home/anne",
         {u8"Chemin d'accès introuvable"_ansi}},
        {"/home/anne/Documents", true, "CancelButton", "", {}},
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
                  std::tuple(std::string(c.rendu), false, c.messages));
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
    EXPECT_EQ(F().Repertoire, "/home/anne/Documents");
    EXPECT_EQ(Form().Proprietaires(), std::vector<IVueFormulaire*>{&proprietaire.Vue()});

    F().Repertoire = "/home/anne/abc";
    fabrique->pendantModal = [](FormulaireMemoire& form) { form.FermerParLaBarreDeTitre(); };
    F().Decharger();
    F().MontrerModal(&proprietaire);
    EXPECT_EQ(std::tuple(F().Repertoire, F().EstChargee()), std::tuple("/home/anne/abc", false));
}
