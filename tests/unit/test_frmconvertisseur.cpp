// The converter window over its form in memory: clipboard watch, free entry, rate, load, end.
#include "converter/Adresses.h"
#include "support/TexteSource.h"

#include "Doubles.h"
#include "Systeme.h"

using namespace monvalor;
using namespace monvalor::test;

namespace {

using Textes = std::vector<std::string>;
// The amount box, then the results.
const std::string_view kBoites[] = {"txtMontant",   "txtEuros",      "txtFrancs",          "txtTVA",
                                    "txtMontantHT", "txtMontantTTC", u8"txtRéduction"_ansi};

class Convertisseur : public AvecDoubles {
protected:
    // The window as the program starts it: loaded, the About window closed at once.
    FormulaireMemoire& Demarre() { return Forme(frmConvertisseur::Defaut()); }
    std::string Boite(std::string_view nom) { return frmConvertisseur::Defaut().Ctl(nom).Texte(); }
    Textes Boites() {
        Textes r;
        for (std::string_view b : kBoites) {
            r.push_back(Boite(b));
        }
        return r;
    }
    // Copies a text (nullopt: no text) and lets one tick run.
    void Copier(std::optional<std::string> texte) {
        pp->contenu = std::move(texte);
        Forme(frmConvertisseur::Defaut()).Tic();
    }
};

} // namespace

TEST_F(Convertisseur, TakesACopiedAmountAndLeavesAnythingElseOnTheClipboard) {
    const std::string journal = dossier.Fichier("journal.txt");
    DefinirVariable("MONVALOR_JOURNAL", journal);
    FormulaireMemoire& f = Demarre();
    EffacerVariable("MONVALOR_JOURNAL");
    f.Taper("txtMontantLibre", "a\\b\tc");
    const Textes cent = {" 100 ", "15,24", "655,96", "19,6", "83,61", "119,6", "80,4"};
    const struct {
        std::optional<std::string> copie;
        Textes boites; // after the tick
        bool pris;
    } cas[] = {
        {"12.50", {"12,50", "1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}, true},
        {" 100 ", cent, true},
        {"mot", cent, false},
        {"", cent, false},
        {std::nullopt, cent, false},
        {"0", Textes(7, "0"), true}, // what a second copy puts there
        {"0", Textes(7, "0"), true}, // taken again: the clipboard was emptied
    };
    int pris = 0;
    for (const auto& c : cas) {
        SCOPED_TRACE(c.copie.value_or("(no text)"));
        Copier(c.copie);
        pris += c.pris;
        EXPECT_EQ(std::tuple(Boites(), pp->contenu, f.FoisAuPremierPlan(), pp->vidages),
                  std::tuple(c.boites, c.pris ? "" : c.copie, pris, pris));
    }
    pp->illisible = true;
    f.Tic();
    EXPECT_EQ(Boite("txtMontant"), "0");
    // One read a tick; nothing written but the free entry.
    EXPECT_EQ(std::pair(pp->lectures, pp->ecritures), std::pair(8, 1));
    // The journal: one line per amount taken, the clock then the nine boxes, escaped.
    const std::string lignes = LireFichier(journal);
    ASSERT_EQ(std::count(lignes.begin(), lignes.end(), '\n'), 4);
    EXPECT_GT(std::stoll(lignes), 0);
    EXPECT_EQ(lignes.substr(lignes.find('\t'), lignes.find('\n') - lignes.find('\t') + 1),
              "\t12,50\t1,91\t81,99\t19,6\t2,45\t10,45\t14,95\t10,05\ta\\\\b\\tc\n");
}

TEST_F(Convertisseur, AClipboardThatTellsItsChangesIsReadOnlyAfterOne) {
    FormulaireMemoire& f = Demarre();
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
        EXPECT_EQ(std::tuple(pp->lectures - lectures, Boite("txtMontant"),
                             f.Memoire("Timer").Intervalle()),
                  std::tuple(e.lectures, e.montant, 500));
    }
    EXPECT_EQ(pp->contenu, std::nullopt);
}

TEST_F(Convertisseur, EachOfTheLastStepsStandsAlone) {
    // What breaks: a control refusing its texts, the raise, the emptying.
    for (const std::string casse : {"txtMontant", "txtEuros", "Timer", "raise", "emptying"}) {
        SCOPED_TRACE(casse);
        *pp = PressePapierMemoire();
        SetUp();
        FormulaireMemoire& f = Demarre();
        f.Taper("txtMontant", "200");
        f.Memoire("Timer").DefinirIntervalle(0); // stopped, to see the tick arm it again
        if (casse == "raise") {
            f.premierPlanEnPanne = true;
        } else if (casse == "emptying") {
            pp->viderEchoue = true;
        } else {
            f.Memoire(casse).enPanne = true;
        }
        pp->contenu = "100";
        frmConvertisseur::Defaut().Timer_Timer();
        // A broken amount box keeps 200, which is what gets converted.
        const bool montant = casse == "txtMontant";
        EXPECT_EQ(Boite("txtMontant"), montant ? "200" : "100");
        EXPECT_EQ(Boite("txtEuros"), montant ? "30,49" : casse == "txtEuros" ? "" : "15,24");
        EXPECT_EQ(Boite(u8"txtRéduction"_ansi), montant ? "160,8" : "80,4");
        EXPECT_EQ(std::tuple(f.FoisAuPremierPlan(), pp->vidages, pp->contenu,
                             f.Memoire("Timer").Intervalle(), systeme->messages.size()),
                  std::tuple(casse == "raise" ? 0 : 1, 1, casse == "emptying" ? "100" : "",
                             casse == "Timer" ? 0 : 500, 0u));
    }
}

TEST_F(Convertisseur, FreeEntryAndRateGoThroughTheClipboardAndAnErrorThereEndsTheProgram) {
    FormulaireMemoire& f = Demarre();
    f.Taper("txtMontantLibre", "100");
    EXPECT_EQ(pp->contenu, "100");
    // A rate change converts the free-entry amount again, with the new rate.
    Copier("42");
    f.Taper("txtTaux", "5,5");
    EXPECT_EQ(pp->contenu, "100");
    f.Tic();
    EXPECT_EQ(Boites(), (Textes{"100", "15,24", "655,96", "5,5", "94,79", "105,5", "94,5"}));
    // A rate that is no number leaves the taxed boxes as they were.
    f.Taper("txtTaux", "19.6");
    Copier("200");
    EXPECT_EQ(Boites(), (Textes{"200", "30,49", "1311,91", "5,5", "94,79", "105,5", "94,5"}));
    // An empty free entry puts an empty text; a result box edited by hand puts nothing.
    f.Taper("txtMontantLibre", "");
    EXPECT_EQ(pp->contenu, "");
    const int ecritures = pp->ecritures;
    f.Taper("txtEuros", "9");
    EXPECT_EQ(pp->ecritures, ecritures);
    EXPECT_TRUE(systeme->fins.empty());
    // An error escaping the handler is shown, then ends the program.
    pp->ecritureRefusee = true;
    f.Taper("txtMontantLibre", "5");
    EXPECT_EQ(systeme->messages,
              (std::vector<MessageVu>{{DescriptionErreur(ErrAccesChemin), MsgCritique, ""}}));
    EXPECT_EQ(systeme->fins, std::vector<int>{1});
}

TEST_F(Convertisseur, LoadTitlesArmsTheWatchThenWelcomesWithTheAboutWindowOverIt) {
    Textes vus;
    dynamic_cast<FabriqueMemoire&>(*Plateforme().formulaires).pendantModal =
        [&](FormulaireMemoire& about) {
            vus = {about.Legende(), about.Controle("lblSite").Texte(),
                   about.Controle("lblEmail").Texte(), about.Controle("lblDescription").Texte(),
                   about.Memoire(u8"Icône"_ansi).Image()};
            EXPECT_EQ(about.Proprietaires(),
                      std::vector<IVueFormulaire*>{&frmConvertisseur::Defaut().Vue()});
            Copier("42"); // while the About window is open, the watcher already takes an amount
            about.Cliquer("cmdOK");
        };
    Plateforme().application.description = "Logiciel.";
    EcrireFichier(dossier.Chemin() / "Shared.lng",
                  "[frmAbout]\r\nCaption=About it\r\n"); // shown translated
    FormulaireMemoire& f = Demarre();
    EXPECT_EQ(vus,
              (Textes{"About it", PageAccueil, AdresseEmail,
                      std::string(u8"Logiciel.\r\n\r\n!! Sélectionnez le montant et appuyez sur "
                                  u8"ctrl-c pour faire apparaître la fenêtre.\r\nLa zone "
                                  u8"Montant Libre vous permet d'entrer manuellement un "
                                  u8"montant !!"_ansi),
                      "monvalor"}));
    frmAbout& a = frmAbout::Defaut();
    EXPECT_EQ(std::tuple(f.Legende(), Boite("txtMontant"), a.EstChargee(), a.Site()),
              std::tuple("Monvalor", "42", false, SiteWeb));
    EXPECT_EQ(a.LienEmail(), std::string("mailto:") + AdresseEmail +
                                 "?subject=A propos de monvalor Version 0.0.0");
    // A clipboard change runs a tick at once.
    pp->contenu = "7";
    ASSERT_TRUE(pp->rappel);
    pp->rappel();
    EXPECT_EQ(Boite("txtMontant"), "7");
    EXPECT_TRUE(systeme->fins.empty());
    // Closing the window ends the program; a clipboard change after the end loads nothing.
    f.FermerParLaBarreDeTitre();
    EXPECT_EQ(systeme->fins, std::vector<int>{0});
    pp->rappel();
    EXPECT_FALSE(frmConvertisseur::Defaut().EstChargee());
}

TEST_F(Convertisseur, ASecondCopyPutsZeroOnTheClipboardAndEndsWithoutAWindow) {
    Plateforme().instancePrecedente = true;
    FormulaireMemoire& f = Demarre();
    EXPECT_EQ(
        std::tuple(pp->contenu, systeme->fins, f.EstVisible(), frmAbout::Defaut().EstChargee()),
        std::tuple("0", std::vector<int>{0}, false, false));
}

TEST(Conceptions, TheConverterIsNineRowsOfALabelAndABox240TwipsApart) {
    const std::string_view libelles[] = {
        "Presse Papier", "Euros",       "Francs",           "Taux",         "TVA ou %",
        "Montant HT",    "Montant TTC", u8"Réduction"_ansi, "Montant libre"};
    for (int rang = 0; rang < 9; ++rang) {
        SCOPED_TRACE(rang);
        const ConceptionControle& label = ConceptionConvertisseur.controles[2 * rang];
        EXPECT_EQ(label.legende, libelles[rang]);
        EXPECT_EQ(label.position.haut, 240 * rang);
        EXPECT_EQ(label.police != nullptr && label.police->gras, rang == 1 || rang == 2);
        EXPECT_EQ(ConceptionConvertisseur.controles[2 * rang + 1].position,
                  (Rectangle{1080, 240 * rang, 1095, 255}));
    }
}

TEST_F(Convertisseur, AnAmountLongerThanTheAmountBoxHoldsIsLeftOnTheClipboard) {
    Demarre();
    const struct {
        std::size_t longueur;
        bool pris;
    } cas[] = {{32768, false}, {32767, true}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.longueur);
        const std::string copie = std::string(c.longueur - 4, '0') + "1234";
        Copier(copie);
        // What the clipboard holds afterwards, by its length: emptied, or left as it was.
        EXPECT_EQ(std::tuple(Boite("txtMontant") == copie, Boite("txtEuros"),
                             pp->contenu.value_or("?").size()),
                  std::tuple(c.pris, c.pris ? "188,12" : "", c.pris ? 0 : c.longueur));
    }
}
