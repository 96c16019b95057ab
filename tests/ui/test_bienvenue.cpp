// The welcome of every start, run by the converter window's load step, on Qt's offscreen
// platform with the clipboard and the system replaced by doubles.
#include "about/ui/frmAbout.h"
#include "converter/Adresses.h"
#include "converter/ui/Bienvenue.h"
#include "converter/ui/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/Services.h"

#include "../unit/DossierTemporaire.h"
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

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kLigne1 = "!! S\xC3\xA9lectionnez le montant et appuyez sur ctrl-c pour faire "
                            "appara\xC3\xAEtre la fen\xC3\xAAtre.";
const char* const kLigne2 = "La zone Montant Libre vous permet d'entrer manuellement un montant !!";

class Bienvenue : public ::testing::Test {
protected:
    std::shared_ptr<PressePapierMemoire> pp = std::make_shared<PressePapierMemoire>();
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    DossierTemporaire dossier;

    void SetUp() override {
        ChargerRessources();
        ReinitialiserServices();
        ReinitialiserTraducteur();
        Services& s = Plateforme();
        s.pressePapier = pp;
        s.systeme = systeme;
        s.boiteMessage = std::make_shared<BoiteMessageEspion>();
        s.registre = std::make_shared<RegistreMemoire>();
        s.application.titre = "Monvalor";
        s.application.nomExe = "monvalor";
        s.application.repertoire = dossier.Chemin().string();
        s.application.versionMajeure = 1;
        s.application.versionMineure = 3;
        s.application.versionRevision = 1;
        s.application.description = "Logiciel de conversion.";
        frmAbout::ReinitialiserDefaut();
        frmConvertisseur::ReinitialiserDefaut();
    }
    void TearDown() override {
        frmAbout::ReinitialiserDefaut();
        frmConvertisseur::ReinitialiserDefaut();
        QApplication::processEvents();
        ReinitialiserTraducteur();
        ReinitialiserServices();
    }

    // Starts the converter window with the welcome, as the program does; pendant runs while
    // the About window is open, then the About window is closed with its OK button.
    frmConvertisseur& Demarrer(const std::function<void(frmAbout&, frmConvertisseur&)>& pendant) {
        frmConvertisseur& frm = frmConvertisseur::Defaut();
        frm.Bienvenue = BienvenueDemarrage;
        ouverte_ = false;
        // The timers die with this call, whatever happens in it.
        QObject portee;
        QTimer::singleShot(0, &portee, [&] {
            frmAbout& a = frmAbout::Defaut();
            ouverte_ = a.EstChargee() && a.Form().isVisible();
            pendant(a, frm);
            a.cmdOK().click();
        });
        // Should the About window never close, the test still ends and says so.
        bool bloque = false;
        QTimer::singleShot(10000, &portee, [&bloque] {
            bloque = true;
            frmAbout::Defaut().Decharger();
        });
        frm.Charger();
        EXPECT_FALSE(bloque) << "the About window did not close";
        return frm;
    }

    bool ouverte_ = false;
};

} // namespace

TEST_F(Bienvenue, HandsTheAboutWindowItsAddressesIconAndHowTo) {
    struct Vu {
        bool convertisseurVisible = true;
        bool modal = false;
        bool possede = false;
        std::string site, lien;
        QString lblSite, lblEmail, description;
        QImage icone;
        QImage iconeConvertisseur;
    } vu;
    frmConvertisseur& frm = Demarrer([&](frmAbout& a, frmConvertisseur& f) {
        vu.convertisseurVisible = f.Form().isVisible();
        vu.modal = a.Form().windowModality() == Qt::ApplicationModal;
        vu.possede = a.Form().parentWidget() == &f.Form();
        vu.site = a.Site();
        vu.lien = a.LienEmailPourTest();
        vu.lblSite = a.lblSite().text();
        vu.lblEmail = a.lblEmail().text();
        vu.description = a.lblDescription().text();
        vu.icone = a.Icône().pixmap().toImage();
        vu.iconeConvertisseur = f.Form().windowIcon().pixmap(QSize(32, 32)).toImage();
    });
    EXPECT_TRUE(ouverte_);
    EXPECT_FALSE(vu.convertisseurVisible);
    EXPECT_TRUE(vu.modal);
    EXPECT_TRUE(vu.possede);
    EXPECT_EQ(vu.site, "https://monvalor.example/telechargement");
    EXPECT_EQ(vu.lblSite, QStringLiteral("https://monvalor.example"));
    EXPECT_EQ(vu.lblEmail, QStringLiteral("contact@monvalor.example"));
    EXPECT_EQ(vu.lien,
              "mailto:contact@monvalor.example?subject=A propos de monvalor Version 1.3.1");
    EXPECT_EQ(vu.description,
              U("Logiciel de conversion.\r\n\r\n") + U(kLigne1) + U("\r\n") + U(kLigne2));
    ASSERT_FALSE(vu.iconeConvertisseur.isNull());
    EXPECT_EQ(vu.icone.convertToFormat(QImage::Format_ARGB32),
              vu.iconeConvertisseur.convertToFormat(QImage::Format_ARGB32));

    // The load step ends once the About window is closed.
    EXPECT_TRUE(frm.EstChargee());
    EXPECT_FALSE(frmAbout::Defaut().EstChargee());
    EXPECT_EQ(frmAbout::Defaut().Site(), SiteWeb);
    EXPECT_TRUE(systeme->fins.empty());
}

TEST_F(Bienvenue, TheHowToLinesShowOnLinesOfTheirOwn) {
    // Each CR LF of the caption is drawn as one line break: the label needs exactly the
    // height of the same text written with plain line feeds.
    QString avecCrLf, avecLf;
    int largeur = 0;
    Demarrer([&](frmAbout& a, frmConvertisseur&) {
        avecCrLf = a.lblDescription().text();
        largeur = a.lblDescription().width();
    });
    avecLf = avecCrLf;
    avecLf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ASSERT_NE(avecLf, avecCrLf);

    QLabel crlf(avecCrLf), lf(avecLf), uneLigne(QString(avecLf).replace('\n', ' '));
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
    EXPECT_TRUE(ouverte_);
    EXPECT_EQ(pendant, QStringLiteral("42"));
    EXPECT_EQ(pp->contenu, "");
    EXPECT_EQ(frm.Controle<QLineEdit>(QStringLiteral("txtEuros"))->text(), QStringLiteral("6,4"));
}

TEST_F(Bienvenue, ATranslatedDescriptionReplacesTheHowToLines) {
    EcrireFichier(dossier.Chemin() / "Monvalor.lng",
                  "[frmAbout]\r\nCaption=About Monvalor\r\nlblDescription=Converts amounts.\r\n");
    QString titre, description, site;
    Demarrer([&](frmAbout& a, frmConvertisseur&) {
        titre = a.Form().windowTitle();
        description = a.lblDescription().text();
        site = a.lblSite().text();
    });
    EXPECT_EQ(titre, QStringLiteral("About Monvalor"));
    EXPECT_EQ(description, QStringLiteral("Converts amounts."));
    EXPECT_EQ(site, QStringLiteral("https://monvalor.example"));
}
