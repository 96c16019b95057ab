// The converter window on Qt's offscreen platform, with the clipboard and the end of the
// program replaced by doubles.
#include "Doubles.h"
#include "converter/ui/frmConvertisseur.h"
#include "platform/Services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace monvalor;

namespace {

using test::PressePapierMemoire;
using test::SystemeEspion;

class Convertisseur : public ::testing::Test {
protected:
    std::shared_ptr<PressePapierMemoire> pp = std::make_shared<PressePapierMemoire>();
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();

    void SetUp() override {
        ReinitialiserServices();
        Plateforme().pressePapier = pp;
        Plateforme().systeme = systeme;
        frmConvertisseur::ReinitialiserDefaut();
    }
    void TearDown() override {
        frmConvertisseur::ReinitialiserDefaut();
        ReinitialiserServices();
    }

    frmConvertisseur& Charge() {
        frmConvertisseur& f = frmConvertisseur::Defaut();
        f.Charger();
        return f;
    }
    QLineEdit* Boite(frmConvertisseur& f, const char* nom) {
        return f.Controle<QLineEdit>(QString::fromUtf8(nom));
    }
};

} // namespace

TEST_F(Convertisseur, ControlsFollowTheDesign) {
    frmConvertisseur& f = Charge();
    struct Ligne {
        const char* label;
        const char* legende;
        QRect geometrieLabel;
        const char* boite;
        bool gras;
    };
    // Twips at 15 per pixel.
    const Ligne lignes[] = {
        {"Label1", "Presse Papier", {0, 0, 65, 17}, "txtMontant", false},
        {"Label2", "Euros", {0, 16, 57, 17}, "txtEuros", true},
        {"Label3", "Francs", {0, 32, 57, 17}, "txtFrancs", true},
        {"Label8", "Taux", {0, 48, 57, 17}, "txtTaux", false},
        {"Label4", "TVA ou %", {0, 64, 57, 17}, "txtTVA", false},
        {"Label5", "Montant HT", {0, 80, 65, 17}, "txtMontantHT", false},
        {"Label6", "Montant TTC", {0, 96, 73, 17}, "txtMontantTTC", false},
        {"Label9",
         "R\xC3\xA9"
         "duction",
         {0, 112, 73, 17},
         "txtR\xC3\xA9"
         "duction",
         false},
        {"Label7", "Montant libre", {0, 128, 73, 17}, "txtMontantLibre", false},
    };
    for (const Ligne& l : lignes) {
        SCOPED_TRACE(l.label);
        auto* label = f.Controle<QLabel>(QString::fromLatin1(l.label));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(l.legende));
        EXPECT_EQ(label->geometry(), l.geometrieLabel);
        EXPECT_EQ(label->font().bold(), l.gras);
        QLineEdit* b = Boite(f, l.boite);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->geometry(), QRect(72, l.geometrieLabel.y(), 73, 17));
        EXPECT_FALSE(b->isReadOnly());
        EXPECT_EQ(b->text(), QString::fromLatin1(std::string(l.boite) == "txtTaux" ? "19,6" : ""));
        EXPECT_EQ(b->accessibleName(), label->text());
    }
    EXPECT_EQ(f.Form().size(), QSize(148, 148));
    ASSERT_NE(f.Timer(), nullptr);
    EXPECT_EQ(f.Timer()->objectName(), QStringLiteral("Timer"));
}

TEST_F(Convertisseur, LoadGivesTheTitleArmsTheTimerAndFocusesTheAmount) {
    frmConvertisseur& f = Charge();
    EXPECT_EQ(f.Form().windowTitle(), QStringLiteral("Monvalor"));
    EXPECT_TRUE(f.Timer()->isActive());
    EXPECT_EQ(f.Timer()->interval(), 500);
    f.Montrer();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), Boite(f, "txtMontant"));
    EXPECT_TRUE(systeme->fins.empty());
}

TEST_F(Convertisseur, TabOrderFollowsTheTabIndexes) {
    frmConvertisseur& f = Charge();
    const char* ordre[] = {"txtMontant",
                           "txtEuros",
                           "txtFrancs",
                           "txtTaux",
                           "txtTVA",
                           "txtMontantHT",
                           "txtMontantTTC",
                           "txtR\xC3\xA9"
                           "duction",
                           "txtMontantLibre"};
    QWidget* w = Boite(f, ordre[0]);
    for (size_t i = 1; i < std::size(ordre); ++i) {
        w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus)) {
            w = w->nextInFocusChain();
        }
        EXPECT_EQ(w->objectName(), QString::fromUtf8(ordre[i])) << i;
    }
}

TEST_F(Convertisseur, FreeEntryAndRateGoThroughTheClipboard) {
    frmConvertisseur& f = Charge();
    pp->contenu = "avant";
    Boite(f, "txtMontantLibre")->setText(QStringLiteral("250"));
    EXPECT_EQ(pp->contenu, "250");
    f.Timer_Timer();
    EXPECT_EQ(Boite(f, "txtMontant")->text(), QStringLiteral("250"));
    EXPECT_EQ(Boite(f, "txtEuros")->text(), QStringLiteral("38,11"));
    EXPECT_EQ(pp->contenu, "");

    Boite(f, "txtMontantLibre")->setText(QStringLiteral("100"));
    f.Timer_Timer();
    Boite(f, "txtTaux")->setText(QStringLiteral("5,5"));
    EXPECT_EQ(pp->contenu, "100");
    f.Timer_Timer();
    EXPECT_EQ(Boite(f, "txtMontantTTC")->text(), QStringLiteral("105,5"));
    EXPECT_EQ(Boite(f, "txtR\xC3\xA9"
                       "duction")
                  ->text(),
              QStringLiteral("94,5"));
}

TEST_F(Convertisseur, TheTimerPicksUpACopiedAmount) {
    frmConvertisseur& f = Charge();
    f.DefinirIntervalle(10);
    pp->contenu = "1\xA0"
                  "234,56";
    QElapsedTimer attente;
    attente.start();
    while (!pp->contenu.empty() && attente.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    }
    EXPECT_EQ(pp->contenu, "");
    EXPECT_EQ(Boite(f, "txtMontant")->text(), QString::fromUtf8("1\xC2\xA0"
                                                                "234,56"));
    EXPECT_EQ(Boite(f, "txtFrancs")->text(), QStringLiteral("8098,18"));
    EXPECT_EQ(f.Timer()->interval(), 500);
}

TEST_F(Convertisseur, ASecondCopyPutsZeroOnTheClipboardAndEnds) {
    Plateforme().instancePrecedente = true;
    pp->contenu = "quelque chose";
    frmConvertisseur& f = Charge();
    EXPECT_EQ(pp->contenu, "0");
    EXPECT_EQ(systeme->fins, std::vector<int>{0});
    EXPECT_NE(f.Form().windowTitle(), QStringLiteral("Monvalor"));
    EXPECT_FALSE(f.Timer()->isActive());
}

TEST_F(Convertisseur, ClosingTheWindowEndsTheProgram) {
    frmConvertisseur& f = Charge();
    f.Montrer();
    f.Form().close();
    EXPECT_EQ(systeme->fins, std::vector<int>{0});
}

TEST_F(Convertisseur, TheWelcomeRunsAfterTheTimerIsArmed) {
    frmConvertisseur& f = frmConvertisseur::Defaut();
    bool timerActif = false;
    f.Bienvenue = [&](frmConvertisseur& frm) { timerActif = frm.Timer()->isActive(); };
    f.Charger();
    EXPECT_TRUE(timerActif);
}
