// The clipboard watcher over a window double and a clipboard double.
#include "converter/Veilleur.h"
#include "platform/Services.h"
#include "support/Erreur.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

using namespace monvalor;

namespace {

// A clipboard that can be unreadable, refuse to be emptied, and counts what is asked of it.
class PressePapierDouble final : public IPressePapier {
public:
    std::optional<std::string> contenu = std::string();
    bool illisible = false;
    bool viderEchoue = false;
    int lectures = 0;
    int ecritures = 0;
    int vidages = 0;

    std::optional<std::string> LireTexte() override {
        ++lectures;
        if (illisible) {
            throw Erreur(ErrArgument);
        }
        return contenu;
    }
    void EcrireTexte(const std::string& texte) override {
        ++ecritures;
        contenu = texte;
    }
    void Vider() override {
        ++vidages;
        if (viderEchoue) {
            throw Erreur(ErrArgument);
        }
        contenu = std::string();
    }
};

// The converter window's boxes; any box, the raise and the timer can be made to fail.
class VueDouble final : public IVueConvertisseur {
public:
    std::map<Boite, std::string> boites{{Boite::Taux, "19,6"}};
    std::set<Boite> boitesEnPanne;
    bool premierPlanEchoue = false;
    bool intervalleEchoue = false;
    int premierPlan = 0;
    std::vector<int> intervalles;
    int ecrituresBoites = 0;

    std::string Texte(Boite b) const override {
        auto it = boites.find(b);
        return it == boites.end() ? std::string() : it->second;
    }
    void DefinirTexte(Boite b, const std::string& t) override {
        ++ecrituresBoites;
        if (boitesEnPanne.count(b)) {
            throw Erreur(ErrType);
        }
        boites[b] = t;
    }
    void AuPremierPlan() override {
        if (premierPlanEchoue) {
            throw Erreur(ErrArgument);
        }
        ++premierPlan;
    }
    void DefinirIntervalle(int ms) override {
        if (intervalleEchoue) {
            throw Erreur(ErrArgument);
        }
        intervalles.push_back(ms);
    }
};

const Boite kResultats[] = {Boite::Euros,     Boite::Francs,     Boite::TVA,
                            Boite::MontantHT, Boite::MontantTTC, Boite::Reduction};

class Veilleur : public ::testing::Test {
protected:
    PressePapierDouble pp;
    VueDouble vue;

    std::vector<std::string> Resultats() const {
        std::vector<std::string> r;
        for (Boite b : kResultats) {
            r.push_back(vue.Texte(b));
        }
        return r;
    }
};

} // namespace

TEST_F(Veilleur, TakesACopiedAmountShowsItsConversionsAndEmptiesTheClipboard) {
    pp.contenu = "12.50";
    EXPECT_TRUE(Timer_Timer(vue, pp));
    EXPECT_EQ(vue.Texte(Boite::Montant), "12,50");
    EXPECT_EQ(Resultats(),
              (std::vector<std::string>{"1,91", "81,99", "2,45", "10,45", "14,95", "10,05"}));
    EXPECT_EQ(pp.contenu, "");
    EXPECT_EQ(pp.vidages, 1);
    EXPECT_EQ(vue.premierPlan, 1);
    EXPECT_EQ(vue.intervalles, std::vector<int>{500});
}

TEST_F(Veilleur, TheSameAmountCopiedTwiceIsTakenTwice) {
    for (int i = 0; i < 2; ++i) {
        pp.contenu = "100";
        EXPECT_TRUE(Timer_Timer(vue, pp));
    }
    EXPECT_EQ(vue.premierPlan, 2);
    EXPECT_EQ(pp.vidages, 2);
}

TEST_F(Veilleur, IgnoresWhatIsNotAnAmountAndLeavesItOnTheClipboard) {
    struct Cas {
        const char* nom;
        std::optional<std::string> contenu;
        bool illisible;
    };
    const Cas cas[] = {
        {"no text (an image)", std::string(), false},
        {"spaces only", std::string("    "), false},
        {"a word", std::string("bonjour"), false},
        {"two separators once normalised", std::string("1.234,56"), false},
        {"unreadable", std::nullopt, false},
        {"clipboard busy", std::string("12"), true},
        {"binary data", std::string("\x01\x02\xFF", 3), false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        PressePapierDouble p;
        VueDouble v;
        v.boites[Boite::Montant] = "avant";
        p.contenu = c.contenu;
        p.illisible = c.illisible;
        EXPECT_FALSE(Timer_Timer(v, p));
        EXPECT_EQ(p.lectures, 1);
        EXPECT_EQ(p.contenu, c.contenu);
        EXPECT_EQ(p.vidages, 0);
        EXPECT_EQ(v.premierPlan, 0);
        EXPECT_EQ(v.ecrituresBoites, 0);
        EXPECT_EQ(v.Texte(Boite::Montant), "avant");
        EXPECT_EQ(v.intervalles, std::vector<int>{500});
    }
}

TEST_F(Veilleur, KeepsSurroundingSpacesInTheAmountBox) {
    pp.contenu = " 12.5 ";
    EXPECT_TRUE(Timer_Timer(vue, pp));
    EXPECT_EQ(vue.Texte(Boite::Montant), " 12,5 ");
    EXPECT_EQ(vue.Texte(Boite::Euros), "1,91");
}

TEST_F(Veilleur, EachOfTheLastStepsStandsAlone) {
    struct Cas {
        const char* nom;
        void (*casser)(VueDouble&, PressePapierDouble&);
    };
    const Cas cas[] = {
        {"amount box",
         [](VueDouble& v, PressePapierDouble&) { v.boitesEnPanne.insert(Boite::Montant); }},
        {"euros box",
         [](VueDouble& v, PressePapierDouble&) { v.boitesEnPanne.insert(Boite::Euros); }},
        {"raise", [](VueDouble& v, PressePapierDouble&) { v.premierPlanEchoue = true; }},
        {"emptying", [](VueDouble&, PressePapierDouble& p) { p.viderEchoue = true; }},
        {"timer", [](VueDouble& v, PressePapierDouble&) { v.intervalleEchoue = true; }},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        PressePapierDouble p;
        VueDouble v;
        p.contenu = "100";
        v.boites[Boite::Montant] = "100"; // so a broken amount box still converts 100
        c.casser(v, p);
        EXPECT_TRUE(Timer_Timer(v, p));
        const std::string nom = c.nom;
        // Every step that was not broken did its work.
        EXPECT_EQ(v.Texte(Boite::Montant), "100");
        EXPECT_EQ(v.Texte(Boite::Euros), nom == "euros box" ? "" : "15,24");
        EXPECT_EQ(v.Texte(Boite::Francs), "655,96");
        EXPECT_EQ(v.Texte(Boite::Reduction), "80,4");
        EXPECT_EQ(v.premierPlan, nom == "raise" ? 0 : 1);
        EXPECT_EQ(p.vidages, 1);
        EXPECT_EQ(p.contenu, nom == "emptying" ? "100" : "");
        EXPECT_EQ(v.intervalles, nom == "timer" ? std::vector<int>{} : std::vector<int>{500});
    }
}

TEST_F(Veilleur, AFailedAmountBoxConvertsWhatTheBoxStillHolds) {
    // The conversions read the amount box, not the clipboard text.
    vue.boites[Boite::Montant] = "200";
    vue.boitesEnPanne.insert(Boite::Montant);
    pp.contenu = "100";
    Timer_Timer(vue, pp);
    EXPECT_EQ(vue.Texte(Boite::Montant), "200");
    EXPECT_EQ(vue.Texte(Boite::Euros), "30,49");
}

TEST_F(Veilleur, ABadRateUpdatesOnlyEurosAndFrancs) {
    for (const char* taux : {"", "19.6", "abc"}) {
        SCOPED_TRACE(taux);
        VueDouble v;
        PressePapierDouble p;
        v.boites[Boite::Taux] = taux;
        for (Boite b : kResultats) {
            v.boites[b] = "ancien";
        }
        p.contenu = "100";
        EXPECT_TRUE(Timer_Timer(v, p));
        EXPECT_EQ(v.Texte(Boite::Euros), "15,24");
        EXPECT_EQ(v.Texte(Boite::Francs), "655,96");
        for (Boite b : {Boite::TVA, Boite::MontantHT, Boite::MontantTTC, Boite::Reduction}) {
            EXPECT_EQ(v.Texte(b), "ancien");
        }
    }
}

TEST_F(Veilleur, ASecondCopysZeroShowsZeroEverywhere) {
    pp.contenu = "0";
    EXPECT_TRUE(Timer_Timer(vue, pp));
    EXPECT_EQ(Resultats(), std::vector<std::string>(6, "0"));
    EXPECT_EQ(vue.premierPlan, 1);
}

TEST_F(Veilleur, FreeEntryAndRatePutTheFreeEntryTextOnTheClipboard) {
    pp.contenu = "ce que l'utilisateur avait copi\xE9";
    for (const char* texte : {"2", "25", "250"}) {
        vue.boites[Boite::MontantLibre] = texte;
        txtMontantLibre_Change(vue, pp);
        EXPECT_EQ(pp.contenu, texte);
    }
    Timer_Timer(vue, pp);
    EXPECT_EQ(vue.Texte(Boite::Montant), "250");

    // A rate change converts the free-entry amount again, with the new rate.
    vue.boites[Boite::MontantLibre] = "100";
    vue.boites[Boite::Montant] = "42";
    vue.boites[Boite::Taux] = "5,5";
    txtTaux_Change(vue, pp);
    EXPECT_EQ(pp.contenu, "100");
    Timer_Timer(vue, pp);
    EXPECT_EQ(vue.Texte(Boite::Montant), "100");
    EXPECT_EQ(vue.Texte(Boite::MontantTTC), "105,5");

    // An empty free entry puts an empty text; the next tick does nothing.
    vue.boites[Boite::MontantLibre] = "";
    txtTaux_Change(vue, pp);
    EXPECT_EQ(pp.contenu, "");
    EXPECT_FALSE(Timer_Timer(vue, pp));

    // A word typed there stays on the clipboard.
    vue.boites[Boite::MontantLibre] = "abc";
    txtMontantLibre_Change(vue, pp);
    EXPECT_FALSE(Timer_Timer(vue, pp));
    EXPECT_EQ(pp.contenu, "abc");
}

TEST_F(Veilleur, AnEmptyClipboardCostsOneReadAndNothingElse) {
    for (int i = 0; i < 10; ++i) {
        Timer_Timer(vue, pp);
    }
    EXPECT_EQ(pp.lectures, 10);
    EXPECT_EQ(pp.ecritures + pp.vidages, 0);
    EXPECT_EQ(vue.ecrituresBoites, 0);
}
