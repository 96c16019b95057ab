// The converter window's behaviour over its form in memory: the clipboard watch, the free-entry
// and rate boxes, the load step with the welcome, the end of the program.
#include "converter/Adresses.h"
#include "converter/frmConvertisseur.h"
#include "support/TexteSource.h"

#include "DossierTemporaire.h"
#include "Doubles.h"

#include <gtest/gtest.h>

using namespace monvalor;
using namespace monvalor::test;

namespace {

const std::string_view kResultats[] = {"txtEuros",     "txtFrancs",     "txtTVA",
                                       "txtMontantHT", "txtMontantTTC", u8"txtRéduction"_ansi};

class Convertisseur : public ::testing::Test {
protected:
    std::shared_ptr<PressePapierMemoire> pp = std::make_shared<PressePapierMemoire>();
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<BoiteMessageEspion> boites = std::make_shared<BoiteMessageEspion>();
    DossierTemporaire dossier;

    void SetUp() override {
        RemettreFenetresEtServices();
        Plateforme().pressePapier = pp;
        Plateforme().systeme = systeme;
        Plateforme().boiteMessage = boites;
        Plateforme().application.repertoire = dossier.Chemin().string();
    }
    void TearDown() override { RemettreFenetresEtServices(); }

    // The window as the program starts it: loaded, the About window closed at once.
    frmConvertisseur& Demarre() {
        frmConvertisseur& f = frmConvertisseur::Defaut();
        f.Charger();
        return f;
    }
    std::string Boite(std::string_view nom) { return frmConvertisseur::Defaut().Ctl(nom).Texte(); }
    std::vector<std::string> Resultats() {
        std::vector<std::string> r;
        for (std::string_view b : kResultats) {
            r.push_back(Boite(b));
        }
        return r;
    }
    // Copies a text and lets one tick run.
    void Copier(const std::string& texte) {
        pp->contenu = texte;
        Forme(frmConvertisseur::Defaut()).Tic();
    }
};

} // namespace

TEST_F(Convertisseur, TakesACopiedAmountShowsItsConversionsAndEmptiesTheClipboard) {
    FormulaireMemoire& f = Forme(Demarre());
    const struct {
        const char* copie;
        const char* montant;
        std::vector<std::string> resultats;
    } cas[] = {
        {"12.50", "12,50", {"1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}},
        {" 100 ", " 100 ", {"15,24", "655,96", "19,6", "83,61", "119,6", "80,4"}},
        {"0", "0", {"0", "0", "0", "0", "0", "0"}}, // what a second copy puts there
    };
    int fois = 0;
    for (const auto& c : cas) {
        SCOPED_TRACE(c.copie);
        Copier(c.copie);
        EXPECT_EQ(Boite("txtMontant"), c.montant);
        EXPECT_EQ(Resultats(), c.resultats);
        EXPECT_EQ(f.FoisAuPremierPlan(), ++fois);
        EXPECT_EQ(pp->contenu, "");
    }
    // The same amount copied again is taken again: the clipboard was emptied.
    Copier("12.50");
    Copier("12.50");
    EXPECT_EQ(f.FoisAuPremierPlan(), fois + 2);
    EXPECT_EQ(pp->vidages, fois + 2);
    EXPECT_EQ(f.Memoire("Timer").Intervalle(), 500);
}

TEST_F(Convertisseur, LeavesWhatIsNotAnAmountOnTheClipboardAndTheWindowAlone) {
    FormulaireMemoire& f = Forme(Demarre());
    Copier("42");
    const std::vector<std::string> avant = Resultats();
    const std::optional<std::string> cas[] = {"mot", "1.234,56", "   ", "", "1\t\n2", std::nullopt};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.value_or("(no text)"));
        pp->contenu = c;
        f.Tic();
        EXPECT_EQ(pp->contenu, c);
        EXPECT_EQ(Boite("txtMontant"), "42");
        EXPECT_EQ(Resultats(), avant);
    }
    pp->illisible = true;
    f.Tic();
    EXPECT_EQ(f.FoisAuPremierPlan(), 1);
    EXPECT_EQ(pp->vidages, 1);
    EXPECT_EQ(f.Memoire("Timer").Intervalle(), 500);
}

TEST_F(Convertisseur, AnEmptyClipboardCostsOneReadAndNothingElse) {
    FormulaireMemoire& f = Forme(Demarre());
    const int lectures = pp->lectures;
    const int ecritures = pp->ecritures;
    for (int i = 0; i < 10; ++i) {
        f.Tic();
    }
    EXPECT_EQ(pp->lectures - lectures, 10);
    EXPECT_EQ(pp->ecritures - ecritures + pp->vidages, 0);
    EXPECT_EQ(Boite("txtMontant"), "");
}

TEST_F(Convertisseur, AClipboardThatTellsItsChangesIsReadOnlyAfterOne) {
    FormulaireMemoire& f = Forme(Demarre());
    pp->ditSiChange = true;
    const struct {
        const char* quoi;
        std::function<void()> avant;
        int lectures; // after two ticks
        std::string montant;
    } etapes[] = {
        {"a word: read once, left there", [&] { pp->Copier("mot"); }, 1, ""},
        {"nothing new", [] {}, 0, ""},
        {"an amount: read, taken; the emptied clipboard read once", [&] { pp->Copier("12,5"); }, 2,
         "12,5"},
        {"unreadable: read again at each tick",
         [&] {
             pp->illisible = true;
             pp->Copier("13");
         },
         2, "12,5"},
        {"readable again: taken", [&] { pp->illisible = false; }, 2, "13"},
        {"no text form", [&] { pp->Copier(std::nullopt); }, 1, "13"},
    };
    for (const auto& e : etapes) {
        SCOPED_TRACE(e.quoi);
        e.avant();
        const int lectures = pp->lectures;
        f.Tic();
        f.Tic();
        EXPECT_EQ(pp->lectures - lectures, e.lectures);
        EXPECT_EQ(Boite("txtMontant"), e.montant);
        EXPECT_EQ(f.Memoire("Timer").Intervalle(), 500);
    }
    EXPECT_EQ(pp->contenu, std::nullopt);
}

TEST_F(Convertisseur, EachOfTheLastStepsStandsAlone) {
    struct Cas {
        const char* nom;
        void (*casser)(FormulaireMemoire&, PressePapierMemoire&);
    };
    const Cas cas[] = {
        {"amount box", [](FormulaireMemoire& f, auto&) { f.Memoire("txtMontant").enPanne = true; }},
        {"euros box", [](FormulaireMemoire& f, auto&) { f.Memoire("txtEuros").enPanne = true; }},
        {"raise", [](FormulaireMemoire& f, auto&) { f.premierPlanEnPanne = true; }},
        {"emptying", [](FormulaireMemoire&, PressePapierMemoire& p) { p.viderEchoue = true; }},
        {"timer", [](FormulaireMemoire& f, auto&) { f.Memoire("Timer").enPanne = true; }},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        RemettreFenetresEtServices();
        pp = std::make_shared<PressePapierMemoire>();
        SetUp();
        FormulaireMemoire& f = Forme(Demarre());
        // A broken amount box still holds 100, which is what gets converted.
        f.Taper("txtMontant", "100");
        // Stopped, to see the tick arm it again.
        f.Memoire("Timer").DefinirIntervalle(0);
        c.casser(f, *pp);
        pp->contenu = "100";
        frmConvertisseur::Defaut().Timer_Timer();
        const std::string nom = c.nom;
        EXPECT_EQ(Boite("txtMontant"), "100");
        EXPECT_EQ(Boite("txtEuros"), nom == "euros box" ? "" : "15,24");
        EXPECT_EQ(Boite("txtFrancs"), "655,96");
        EXPECT_EQ(Boite(u8"txtRéduction"_ansi), "80,4");
        EXPECT_EQ(f.FoisAuPremierPlan(), nom == "raise" ? 0 : 1);
        EXPECT_EQ(pp->vidages, 1);
        EXPECT_EQ(pp->contenu, nom == "emptying" ? "100" : "");
        EXPECT_EQ(f.Memoire("Timer").Intervalle(), nom == "timer" ? 0 : 500);
        EXPECT_TRUE(boites->messages.empty());
    }
}

TEST_F(Convertisseur, TheConversionsReadTheBoxesAndABadRateLeavesTheTaxedOnes) {
    FormulaireMemoire& f = Forme(Demarre());
    f.Memoire("txtMontant").DefinirTexte("200");
    f.Memoire("txtMontant").enPanne = true;
    Copier("100");
    EXPECT_EQ(Boite("txtEuros"), "30,49");
    f.Memoire("txtMontant").enPanne = false;
    for (const char* taux : {"", "19.6", "abc"}) {
        SCOPED_TRACE(taux);
        f.Memoire("txtTaux").DefinirTexte(taux);
        for (std::string_view b : kResultats) {
            f.Memoire(b).DefinirTexte("ancien");
        }
        Copier("100");
        EXPECT_EQ(Resultats(), (std::vector<std::string>{"15,24", "655,96", "ancien", "ancien",
                                                         "ancien", "ancien"}));
    }
}

TEST_F(Convertisseur, FreeEntryAndRateGoThroughTheClipboard) {
    FormulaireMemoire& f = Forme(Demarre());
    pp->contenu = std::string(u8"ce que l'utilisateur avait copié"_ansi);
    for (const char* texte : {"2", "25", "250"}) {
        f.Taper("txtMontantLibre", texte);
        EXPECT_EQ(pp->contenu, texte);
    }
    f.Tic();
    EXPECT_EQ(Boite("txtMontant"), "250");

    // A rate change converts the free-entry amount again, with the new rate.
    f.Taper("txtMontantLibre", "100");
    Copier("42");
    f.Taper("txtTaux", "5,5");
    EXPECT_EQ(pp->contenu, "100");
    f.Tic();
    EXPECT_EQ(Boite("txtMontant"), "100");
    EXPECT_EQ(Boite("txtMontantTTC"), "105,5");

    // An empty free entry puts an empty text; a word stays on the clipboard.
    f.Taper("txtMontantLibre", "");
    EXPECT_EQ(pp->contenu, "");
    f.Taper("txtMontantLibre", "abc");
    f.Tic();
    EXPECT_EQ(pp->contenu, "abc");
    EXPECT_EQ(Boite("txtMontant"), "100");
    // Editing a result box by hand changes nothing else.
    const int ecritures = pp->ecritures;
    f.Taper("txtEuros", "9");
    EXPECT_EQ(pp->ecritures, ecritures);
}

TEST_F(Convertisseur, LoadTitlesArmsTheWatchThenWelcomesOverTheWindow) {
    bool arme = false;
    Fabrique().pendantModal = [&](FormulaireMemoire& about) {
        // While the About window is open, the watcher already takes an amount.
        FormulaireMemoire& conv = Forme(frmConvertisseur::Defaut());
        arme = conv.Memoire("Timer").Intervalle() == 500;
        pp->contenu = "42";
        conv.Tic();
        about.Cliquer("cmdOK");
    };
    frmConvertisseur& frm = Demarre();
    FormulaireMemoire& f = Forme(frm);
    EXPECT_TRUE(arme);
    EXPECT_EQ(f.Legende(), "Monvalor");
    EXPECT_EQ(Boite("txtTaux"), "19,6");
    EXPECT_EQ(Boite("txtMontant"), "42");
    EXPECT_EQ(pp->contenu, "");
    frmAbout& a = frmAbout::Defaut();
    EXPECT_FALSE(a.EstChargee());
    EXPECT_EQ(a.Site(), SiteWeb);
    EXPECT_EQ(a.LienEmail(), std::string("mailto:") + AdresseEmail +
                                 "?subject=A propos de monvalor Version 0.0.0");

    // A clipboard change runs a tick at once.
    pp->contenu = "7";
    ASSERT_TRUE(pp->rappel);
    pp->rappel();
    EXPECT_EQ(Boite("txtMontant"), "7");
    EXPECT_TRUE(systeme->fins.empty());
    // Closing the window ends the program.
    f.FermerParLaBarreDeTitre();
    EXPECT_EQ(systeme->fins, std::vector<int>{0});
    EXPECT_FALSE(frm.EstChargee());
    // A clipboard change after the end loads nothing again.
    pp->rappel();
    EXPECT_FALSE(frm.EstChargee());
}

TEST_F(Convertisseur, TheWelcomeHandsTheAboutWindowItsAddressesIconAndHowTo) {
    std::vector<std::string> vus;
    Fabrique().pendantModal = [&](FormulaireMemoire& about) {
        for (std::string_view c : {"lblSite", "lblEmail", "lblDescription"}) {
            vus.push_back(about.Controle(c).Texte());
        }
        vus.push_back(about.Memoire(u8"Icône"_ansi).Image());
        EXPECT_EQ(about.Proprietaires(),
                  std::vector<IVueFormulaire*>{&frmConvertisseur::Defaut().Vue()});
    };
    Plateforme().application.description = "Logiciel.";
    Demarre();
    const std::vector<std::string> attendus = {
        PageAccueil, AdresseEmail,
        std::string(u8"Logiciel.\r\n\r\n!! Sélectionnez le montant et appuyez sur ctrl-c pour "
                    u8"faire apparaître la fenêtre.\r\nLa zone Montant Libre vous permet "
                    u8"d'entrer manuellement un montant !!"_ansi),
        "monvalor"};
    EXPECT_EQ(vus, attendus);

    // Translated after the how-to lines were added: an entry replaces them too.
    RemettreFenetresEtServices();
    SetUp();
    EcrireFichier(dossier.Chemin() / "Shared.lng", "[frmAbout]\r\nlblDescription=Converter.\r\n");
    Fabrique().pendantModal = [&](FormulaireMemoire& about) {
        EXPECT_EQ(about.Controle("lblDescription").Texte(), "Converter.");
    };
    Demarre();
}

TEST_F(Convertisseur, ASecondCopyPutsZeroOnTheClipboardAndEndsWithoutAWindow) {
    Plateforme().instancePrecedente = true;
    frmConvertisseur& f = Demarre();
    EXPECT_EQ(pp->contenu, "0");
    EXPECT_EQ(systeme->fins, std::vector<int>{0});
    EXPECT_FALSE(Forme(f).EstVisible());
    EXPECT_FALSE(frmAbout::Defaut().EstChargee());
}

TEST_F(Convertisseur, AnErrorEscapingAHandlerIsShownThenEndsTheProgram) {
    FormulaireMemoire& f = Forme(Demarre());
    // The clipboard refuses the free-entry text.
    struct Refus final : IPressePapier {
        std::optional<std::string> LireTexte() override { return ""; }
        void EcrireTexte(const std::string&) override { throw Erreur(ErrAccesChemin); }
        void Vider() override {}
    };
    Plateforme().pressePapier = std::make_shared<Refus>();
    f.Taper("txtMontantLibre", "5");
    EXPECT_EQ(boites->messages,
              (std::vector<MessageVu>{{DescriptionErreur(ErrAccesChemin), MsgCritique, ""}}));
    EXPECT_EQ(systeme->fins, std::vector<int>{1});
}

TEST_F(Convertisseur, TheJournalHasOneLinePerAmountTaken) {
    const std::string journal = dossier.Fichier("journal.txt");
    ::setenv("MONVALOR_JOURNAL", journal.c_str(), 1);
    frmConvertisseur::ReinitialiserDefaut();
    FormulaireMemoire& f = Forme(Demarre());
    ::unsetenv("MONVALOR_JOURNAL");
    f.Taper("txtMontantLibre", "a\\b\tc");
    f.Tic(); // a text that is no amount is not noted
    Copier("12.50");
    const std::string lignes = LireFichier(journal);
    ASSERT_EQ(std::count(lignes.begin(), lignes.end(), '\n'), 1);
    EXPECT_EQ(lignes.substr(lignes.find('\t')),
              "\t12,50\t1,91\t81,99\t19,6\t2,45\t10,45\t14,95\t10,05\ta\\\\b\\tc\n");
    EXPECT_GT(std::stoll(lignes), 0);
}
