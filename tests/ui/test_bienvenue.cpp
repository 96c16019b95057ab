// The welcome of every start, run by the converter window's load step, on Qt's offscreen
// platform with the clipboard and the system replaced by doubles.
#include "about/ui/frmAbout.h"
#include "converter/Adresses.h"
#include "converter/ui/Bienvenue.h"
#include "converter/ui/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/Services.h"

#include "DossierTemporaire.h"
#include "Doubles.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

// The converter's icon is a resource of the windows' static library.
static void ChargerRessources() {
    Q_INIT_RESOURCE(monvalor);
}

using namespace monvalor;
using namespace monvalor::test;

namespace {

class Bienvenue : public ::testing::Test {
protected:
    std::shared_ptr<PressePapierMemoire> pp = std::make_shared<PressePapierMemoire>();
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    DossierTemporaire dossier;

    void SetUp() override {
        ChargerRessources();
        test::RemettreFenetresEtServices();
        Plateforme().pressePapier = pp;
        Plateforme().systeme = systeme;
        Plateforme().application.repertoire = dossier.Chemin().string();
        Plateforme().application.description = "Logiciel de conversion.";
    }
    void TearDown() override { test::RemettreFenetresEtServices(); }

    // Starts the converter window with the welcome, as the program does; pendant runs while
    // the About window is open, then the About window is closed with its OK button.
    frmConvertisseur& Demarrer(const std::function<void(frmAbout&, frmConvertisseur&)>& pendant) {
        frmConvertisseur& frm = frmConvertisseur::Defaut();
        frm.Bienvenue = BienvenueDemarrage;
        bool ouverte = false;
        QObject portee; // the timers die with this call, whatever happens in it
        QTimer::singleShot(0, &portee, [&] {
            frmAbout& a = frmAbout::Defaut();
            ouverte = a.EstChargee() && a.Form().isVisible();
            pendant(a, frm);
            a.cmdOK().click();
        });
        bool bloque = false;
        QTimer::singleShot(10000, &portee, [&bloque] {
            bloque = true;
            frmAbout::Defaut().Decharger();
        });
        frm.Charger();
        EXPECT_FALSE(bloque) << "the About window did not close";
        EXPECT_TRUE(ouverte) << "the About window was not shown during the load";
        // The load step ends once the About window is closed.
        EXPECT_TRUE(frm.EstChargee());
        EXPECT_FALSE(frmAbout::Defaut().EstChargee());
        return frm;
    }
};

} // namespace

TEST_F(Bienvenue, HandsTheAboutWindowItsAddressesIconAndHowTo) {
    bool cache = false, possede = false, memeIcone = false;
    std::string site, lien;
    QString lblSite, lblEmail, description;
    int largeur = 0;
    Demarrer([&](frmAbout& a, frmConvertisseur& f) {
        cache = !f.Form().isVisible();
        possede = a.Form().parentWidget() == &f.Form();
        site = a.Site();
        lien = a.LienEmailPourTest();
        lblSite = a.lblSite().text();
        lblEmail = a.lblEmail().text();
        description = a.lblDescription().text();
        largeur = a.lblDescription().width();
        const QImage vue = a.Icône().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage attendue = f.Form().windowIcon().pixmap(QSize(32, 32)).toImage();
        memeIcone = !attendue.isNull() && vue == attendue.convertToFormat(QImage::Format_ARGB32);
    });
    EXPECT_TRUE(cache);
    EXPECT_TRUE(possede);
    EXPECT_EQ(site, SiteWeb);
    EXPECT_EQ(lblSite, QStringLiteral("https://monvalor.example"));
    EXPECT_EQ(lblEmail, QStringLiteral("contact@monvalor.example"));
    EXPECT_EQ(lien, "mailto:contact@monvalor.example?subject=A propos de monvalor Version 0.0.0");
    EXPECT_EQ(description,
              QString::fromUtf8(
                  "Logiciel de conversion.\r\n\r\n!! S\xC3\xA9lectionnez le montant et appuyez sur "
                  "ctrl-c pour faire appara\xC3\xAEtre la fen\xC3\xAAtre.\r\nLa zone Montant Libre "
                  "vous permet d'entrer manuellement un montant !!"));
    EXPECT_TRUE(memeIcone);
    EXPECT_TRUE(systeme->fins.empty());

    // Each CR LF is drawn as one line break: the label needs exactly the height of the same
    // text with plain line feeds, more than the text on one line.
    const QString avecLf =
        QString(description).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QLabel crlf(description), lf(avecLf), uneLigne(QString(avecLf).replace('\n', ' '));
    for (QLabel* l : {&crlf, &lf, &uneLigne}) {
        l->setWordWrap(true);
        l->setFont(frmAbout::Defaut().Form().font());
    }
    EXPECT_EQ(crlf.heightForWidth(largeur), lf.heightForWidth(largeur));
    EXPECT_GT(lf.heightForWidth(largeur), uneLigne.heightForWidth(largeur));
}

TEST_F(Bienvenue, TheWatcherTakesAnAmountWhileTheAboutWindowIsOpen) {
    pp->contenu = "42";
    QString pendant;
    frmConvertisseur& frm = Demarrer([&](frmAbout&, frmConvertisseur& f) {
        f.DefinirIntervalle(10);
        QDeadlineTimer limite(5000);
        while (!pp->contenu.empty() && !limite.hasExpired()) {
            QApplication::processEvents(QEventLoop::AllEvents);
            QThread::msleep(2);
        }
        pendant = f.Controle<QLineEdit>(QStringLiteral("txtMontant"))->text();
    });
    EXPECT_EQ(pendant, QStringLiteral("42"));
    EXPECT_EQ(pp->contenu, "");
    EXPECT_EQ(frm.Controle<QLineEdit>(QStringLiteral("txtEuros"))->text(), QStringLiteral("6,4"));
}

TEST_F(Bienvenue, ATranslatedDescriptionReplacesTheHowToLines) {
    EcrireFichier(dossier.Chemin() / "Monvalor.lng",
                  "[frmAbout]\r\nlblDescription=Converts amounts.\r\n");
    QString description;
    Demarrer([&](frmAbout& a, frmConvertisseur&) { description = a.lblDescription().text(); });
    EXPECT_EQ(description, QStringLiteral("Converts amounts."));
}
