// The About window on Qt's offscreen platform, with the shell, the registry, the start of
// programs and the message boxes replaced by doubles.
#include "about/ui/frmAbout.h"
#include "converter/ui/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/Services.h"

#include "../unit/DossierTemporaire.h"
#include "Doubles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

using namespace monvalor;
using namespace monvalor::test;

namespace {

const char* const kMessage = "Les informations syst\xE8me ne sont pas disponibles actuellement";

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class APropos : public ::testing::Test {
protected:
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<BoiteMessageEspion> boites = std::make_shared<BoiteMessageEspion>();
    std::shared_ptr<RegistreMemoire> registre = std::make_shared<RegistreMemoire>();
    DossierTemporaire dossier;

    void SetUp() override {
        ReinitialiserServices();
        ReinitialiserTraducteur();
        Services& s = Plateforme();
        s.systeme = systeme;
        s.boiteMessage = boites;
        s.registre = registre;
        s.pressePapier = std::make_shared<PressePapierMemoire>();
        s.application.titre = "Monvalor";
        s.application.nomExe = "monvalor";
        s.application.repertoire = dossier.Chemin().string();
        s.application.versionMajeure = 1;
        s.application.versionMineure = 3;
        s.application.versionRevision = 1;
        s.application.description = "Logiciel de conversion Franc/Euro.";
        s.application.copyright = "Copyright \xA9 2026 Essai";
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

    void Langue(const char* nom, const std::string& contenu) {
        EcrireFichier(dossier.Chemin() / nom, contenu);
    }

    static void Relacher(QWidget& w, QPoint position, Qt::MouseButton bouton = Qt::LeftButton) {
        QMouseEvent appui(QEvent::MouseButtonPress, position, w.mapToGlobal(position), bouton,
                          bouton, Qt::NoModifier);
        QApplication::sendEvent(&w, &appui);
        QMouseEvent relache(QEvent::MouseButtonRelease, position, w.mapToGlobal(position), bouton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &relache);
    }

    static void Touche(QWidget& w, int touche) {
        QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier);
        QApplication::sendEvent(&w, &appui);
        QKeyEvent relache(QEvent::KeyRelease, touche, Qt::NoModifier);
        QApplication::sendEvent(&w, &relache);
    }

    // Lets the deferred destruction of an unloaded form happen.
    static void Digerer() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(APropos, ControlsFollowTheDesign) {
    frmAbout& a = frmAbout::Defaut();
    struct Controle {
        const char* nom;
        bool bouton;
        QRect position; // twips at 15 per pixel
    };
    const Controle controles[] = {
        {"Ic\xC3\xB4ne", false, {8, 8, 36, 36}},       {"lblTitle", false, {86, 16, 259, 32}},
        {"lblVersion", false, {86, 52, 259, 15}},      {"cmdVersion", true, {8, 72, 65, 33}},
        {"lblDescription", false, {88, 75, 259, 110}}, {"lblSite", false, {8, 192, 369, 17}},
        {"lblEmail", false, {8, 216, 369, 17}},        {"lblDisclaimer", false, {17, 247, 258, 71}},
        {"cmdOK", true, {288, 263, 84, 23}},           {"cmdSysInfo", true, {288, 293, 83, 23}},
    };
    a.Charger();
    for (const Controle& c : controles) {
        SCOPED_TRACE(c.nom);
        QWidget* w = c.bouton ? static_cast<QWidget*>(a.Controle<QPushButton>(U(c.nom)))
                              : static_cast<QWidget*>(a.Controle<QLabel>(U(c.nom)));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.position);
    }
    EXPECT_EQ(a.Form().objectName(), QStringLiteral("frmAbout"));
    EXPECT_EQ(a.Form().size(), QSize(382, 365));
    EXPECT_EQ(a.Form().font().families().value(0), QStringLiteral("Tahoma"));
    EXPECT_EQ(a.cmdVersion().text(), U("Mise \xC3\xA0 jour"));
    EXPECT_EQ(a.cmdOK().text(), QStringLiteral("OK"));
    EXPECT_EQ(a.cmdSysInfo().text(), U("&Infos syst\xC3\xA8me..."));
    EXPECT_TRUE(a.cmdOK().isDefault());
    EXPECT_EQ(a.lblDisclaimer().text(), QString());
    EXPECT_TRUE(a.lblDescription().wordWrap());
    for (QLabel* lien : {&a.lblSite(), &a.lblEmail()}) {
        SCOPED_TRACE(lien->objectName().toStdString());
        EXPECT_EQ(lien->font().families().value(0), QStringLiteral("Times New Roman"));
        EXPECT_TRUE(lien->font().underline());
        EXPECT_EQ(lien->palette().color(QPalette::WindowText), QColor(Qt::blue));
        EXPECT_EQ(lien->cursor().shape(), Qt::PointingHandCursor);
    }
    const auto lignes = a.Form().findChildren<QFrame*>(QStringLiteral("Line1"));
    ASSERT_EQ(lignes.size(), 2);
    EXPECT_NE(lignes[0]->palette().color(QPalette::WindowText),
              lignes[1]->palette().color(QPalette::WindowText));
}

TEST_F(APropos, LoadWritesCaptionVersionTitleAndDescription) {
    struct Cas {
        int majeure, mineure, revision;
        const char* copyright;
        const char* version;
        const char* titre;
    };
    const Cas cas[] = {
        {1, 3, 1, "Copyright \xA9 2026 Essai", "Version 1.3.1",
         "Monvalor Copyright \xC2\xA9 2026 Essai"},
        {1, 3, 10, "Copyright \xA9 2026 Essai", "Version 1.3.10",
         "Monvalor Copyright \xC2\xA9 2026 Essai"},
        {12, 0, 305, "", "Version 12.0.305", "Monvalor"},
        {0, 0, 0, "x", "Version 0.0.0", "Monvalor x"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.version);
        frmAbout::ReinitialiserDefaut();
        InfosApplication& app = Plateforme().application;
        app.versionMajeure = c.majeure;
        app.versionMineure = c.mineure;
        app.versionRevision = c.revision;
        app.copyright = c.copyright;
        frmAbout& a = frmAbout::Defaut();
        EXPECT_EQ(a.lblVersion().text(), U(c.version));
        EXPECT_EQ(a.Form().windowTitle(), U("\xC3\x80 propos de Monvalor"));
        EXPECT_EQ(a.lblTitle().text(), U(c.titre));
        EXPECT_EQ(a.lblDescription().text(), QStringLiteral("Logiciel de conversion Franc/Euro."));
    }
}

TEST_F(APropos, TouchingAControlOrAPropertyLoadsTheWindowOnce) {
    frmAbout& a = frmAbout::Defaut();
    EXPECT_FALSE(a.EstChargee());
    a.Site("https://exemple.test");
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(a.lblSite().text(), QStringLiteral("https://exemple.test"));
    // A second touch does not load again: what was set stays.
    a.lblVersion().setText(QStringLiteral("Version 9"));
    a.Email("a@b.test");
    EXPECT_EQ(a.lblVersion().text(), QStringLiteral("Version 9"));
}

TEST_F(APropos, TheMailLinkTakesTheVersionWrittenAtLoad) {
    Plateforme().application.versionRevision = 10;
    Plateforme().application.nomExe = "convertisseur";
    frmAbout& a = frmAbout::Defaut();
    a.Email("contact@monvalor.example");
    EXPECT_EQ(a.LienEmailPourTest(), "mailto:contact@monvalor.example?subject=A propos de "
                                     "convertisseur Version 1.3.10");
    EXPECT_EQ(a.lblEmail().text(), QStringLiteral("contact@monvalor.example"));

    // The link is made from the caption as it stands when the address is given.
    a.lblVersion().setText(QStringLiteral("Version 2.0.0"));
    a.Email("x@y.test");
    EXPECT_EQ(a.LienEmailPourTest(), "mailto:x@y.test?subject=A propos de convertisseur "
                                     "Version 2.0.0");
}

TEST_F(APropos, ClickingTheLinksOpensSiteAndMailLinkWhateverTheLabelsShow) {
    frmAbout& a = frmAbout::Defaut();
    a.Site("https://monvalor.example/telechargement");
    a.lblSite().setText(QStringLiteral("https://ailleurs.example"));
    a.Email("contact@monvalor.example");
    a.lblEmail().setText(QStringLiteral("autre@ailleurs.example"));

    Relacher(a.lblSite(), {5, 5});
    Relacher(a.lblEmail(), {5, 5});
    const std::vector<std::string> attendus = {
        "https://monvalor.example/telechargement",
        "mailto:contact@monvalor.example?subject=A propos de monvalor Version 1.3.1"};
    EXPECT_EQ(systeme->ouverts, attendus);

    // Neither the right button nor a release dragged off the label is a click.
    Relacher(a.lblSite(), {5, 5}, Qt::RightButton);
    Relacher(a.lblSite(), {-20, 5});
    EXPECT_EQ(systeme->ouverts.size(), 2u);
    EXPECT_TRUE(a.EstChargee());
}

TEST_F(APropos, GetKeyValueReadsTextsAndNumbers) {
    struct Cas {
        const char* nom;
        std::uint32_t type;
        std::string octets;
        bool lu;
        std::string valeur;
    };
    using namespace std::string_literals;
    const Cas cas[] = {
        {"text with its NUL", 1, "C:\\Outils\\msinfo32.exe\0"s, true, "C:\\Outils\\msinfo32.exe"},
        {"text stored without NUL", 1, "abc"s, true, "abc"},
        {"only the last NUL goes", 1, "ab\0\0"s, true, "ab\0"s},
        {"inner NULs stay", 1, "a\0b\0"s, true, "a\0b"s},
        {"empty text", 1, ""s, true, ""},
        {"NUL alone", 1, "\0"s, true, ""},
        {"accented text", 1, "syst\xE8me\0"s, true, "syst\xE8me"},
        {"number 5", 4, "\x05\x00\x00\x00"s, true, "5"},
        {"number 12345", 4, "\x39\x30\x00\x00"s, true, "12345"},
        {"all four bytes", 4, "\x01\x02\x03\x04"s, true, "67305985"},
        {"minus one", 4, "\xFF\xFF\xFF\xFF"s, true, "-1"},
        {"lowest", 4, "\x00\x00\x00\x80"s, true, "-2147483648"},
        {"zero", 4, "\x00\x00\x00\x00"s, true, "0"},
        {"binary keeps the old text", 3, "\x01\x02"s, true, "avant"},
        {"expandable text keeps the old text", 2, "%PATH%\0"s, true, "avant"},
        {"fills the buffer", 1, std::string(1024, 'x'), true, std::string(1024, 'x')},
        {"too long for the buffer", 1, std::string(1025, 'x'), false, ""},
    };
    frmAbout& a = frmAbout::Defaut();
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        registre->valeurs.clear();
        registre->Poser("SOFTWARE\\Essai", "Valeur", c.type, c.octets);
        std::string valeur = "avant";
        EXPECT_EQ(a.GetKeyValue(RacineMachineLocale, "SOFTWARE\\Essai", "Valeur", valeur), c.lu);
        EXPECT_EQ(valeur, c.valeur);
    }
    EXPECT_FALSE(a.EstChargee());
}

TEST_F(APropos, GetKeyValueFailsQuietlyWithAnEmptyText) {
    frmAbout& a = frmAbout::Defaut();
    registre->Poser("SOFTWARE\\Essai", "Valeur", 1, "texte");
    std::string valeur = "avant";
    EXPECT_FALSE(a.GetKeyValue(RacineMachineLocale, "SOFTWARE\\Essai", "Autre", valeur));
    EXPECT_EQ(valeur, "");
    valeur = "avant";
    EXPECT_FALSE(a.GetKeyValue(0x80000001, "SOFTWARE\\Essai", "Valeur", valeur));
    EXPECT_EQ(valeur, "");
    registre->enPanne = true;
    valeur = "avant";
    EXPECT_FALSE(a.GetKeyValue(RacineMachineLocale, "SOFTWARE\\Essai", "Valeur", valeur));
    EXPECT_EQ(valeur, "");
}

TEST_F(APropos, StartSysInfoFollowsTheRegistry) {
    using namespace std::string_literals;
    DossierTemporaire outils;
    const std::string outil = outils.Fichier("outil-infos");
    EcrireFichier(outil, "#!/bin/sh\n");
    DossierTemporaire avecMsinfo;
    EcrireFichier(avecMsinfo.Chemin() / "MSINFO32.EXE", "MZ");
    DossierTemporaire sansMsinfo;

    const std::string msinfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    const std::string emplacement = "SOFTWARE\\Microsoft\\Shared Tools Location";
    struct Cas {
        const char* nom;
        std::optional<std::string> path;         // the "PATH" value, with its NUL
        std::optional<std::string> dossierOutil; // the "MSINFO" value
        bool registreEnPanne;
        std::vector<std::string> lancesAttendus;
        bool message;
    };
    const Cas cas[] = {
        {"PATH names an existing tool", outil + '\0', std::nullopt, false, {outil}, false},
        {"PATH is taken even when the file is missing",
         "/nulle/part/msinfo32\0"s,
         avecMsinfo.Chemin().string(),
         false,
         {"/nulle/part/msinfo32"},
         true},
        {"the folder holds MSINFO32.EXE",
         std::nullopt,
         avecMsinfo.Chemin().string(),
         false,
         {JoindreChemin(avecMsinfo.Chemin().string(), "MSINFO32.EXE")},
         false},
        {"the folder lacks MSINFO32.EXE",
         std::nullopt,
         sansMsinfo.Chemin().string(),
         false,
         {},
         true},
        {"nothing recorded", std::nullopt, std::nullopt, false, {}, true},
        {"a name cut by a NUL is not started",
         outil + '\0' + "x\0"s,
         std::nullopt,
         false,
         {},
         true},
        {"the registry fails", std::nullopt, std::nullopt, true, {}, true},
    };
    frmAbout& a = frmAbout::Defaut();
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        registre->valeurs.clear();
        registre->enPanne = c.registreEnPanne;
        if (c.path) {
            registre->Poser(msinfo, "PATH", RegTexte, *c.path);
        }
        if (c.dossierOutil) {
            registre->Poser(emplacement, "MSINFO", RegTexte, *c.dossierOutil + '\0');
        }
        systeme->lances.clear();
        boites->messages.clear();
        a.StartSysInfo();
        std::vector<std::string> lances;
        for (const auto& [programme, style] : systeme->lances) {
            lances.push_back(programme);
            EXPECT_EQ(style, 1);
        }
        EXPECT_EQ(lances, c.lancesAttendus);
        const std::vector<MessageVu> attendus =
            c.message ? std::vector<MessageVu>{{kMessage, MsgOK, ""}} : std::vector<MessageVu>{};
        EXPECT_EQ(boites->messages, attendus);
    }
}

TEST_F(APropos, StartSysInfoLooksAtTheLocalMachineKeysInTurn) {
    frmAbout::Defaut().StartSysInfo();
    using A = RegistreMemoire::Adresse;
    const std::vector<A> attendues = {
        A{0x80000002, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"},
        A{0x80000002, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"},
    };
    EXPECT_EQ(registre->lectures, attendues);
}

TEST_F(APropos, TheSysInfoButtonShowsTheTranslatedMessage) {
    Langue("Monvalor.lng", std::string("[frmAbout]\r\n") + kMessage + "=No system info\r\n");
    frmAbout& a = frmAbout::Defaut();
    a.cmdSysInfo().click();
    ASSERT_EQ(boites->messages.size(), 1u);
    EXPECT_EQ(boites->messages[0].texte, "No system info");
    EXPECT_TRUE(a.EstChargee());
}

TEST_F(APropos, TheUpdateButtonLeavesEverythingAlone) {
    frmAbout& a = frmAbout::Defaut();
    a.cmdVersion().click();
    EXPECT_TRUE(a.EstChargee());
    EXPECT_TRUE(boites->messages.empty());
    EXPECT_TRUE(systeme->ouverts.empty());
    EXPECT_TRUE(systeme->lances.empty());
}

TEST_F(APropos, UnloadKeepsTheFieldsButNotTheCaptions) {
    frmAbout& a = frmAbout::Defaut();
    a.Site("https://monvalor.example/telechargement");
    a.Email("contact@monvalor.example");
    const std::string lien = a.LienEmailPourTest();
    a.lblSite().setText(QStringLiteral("https://monvalor.example"));
    a.lblDescription().setText(a.lblDescription().text() + QStringLiteral(" et plus"));
    a.lblVersion().setText(QStringLiteral("Version 7"));

    a.cmdOK().click();
    EXPECT_FALSE(a.EstChargee());
    Digerer();
    EXPECT_EQ(a.Site(), "https://monvalor.example/telechargement");
    EXPECT_EQ(a.LienEmailPourTest(), lien);

    // A new load: the design captions, rewritten by the load step only.
    EXPECT_EQ(a.lblSite().text(), QStringLiteral("https://monvalor.example"));
    EXPECT_EQ(a.lblEmail().text(), QStringLiteral("contact@monvalor.example"));
    EXPECT_EQ(a.lblDescription().text(), QStringLiteral("Logiciel de conversion Franc/Euro."));
    EXPECT_EQ(a.lblVersion().text(), QStringLiteral("Version 1.3.1"));
    Relacher(a.lblSite(), {5, 5});
    EXPECT_EQ(systeme->ouverts,
              std::vector<std::string>{"https://monvalor.example/telechargement"});
}

TEST_F(APropos, KeysCloseTheWindowAsUsersExpect) {
    struct Cas {
        const char* nom;
        const char* cible; // the control that has the focus; nullptr for none
        int touche;
        bool ferme;
        bool message;
    };
    const Cas cas[] = {
        {"Enter on OK", "cmdOK", Qt::Key_Return, true, false},
        {"keypad Enter on OK", "cmdOK", Qt::Key_Enter, true, false},
        {"Esc on OK", "cmdOK", Qt::Key_Escape, true, false},
        {"Esc on another button", "cmdSysInfo", Qt::Key_Escape, true, false},
        {"Enter without focus", nullptr, Qt::Key_Return, true, false},
        {"Esc without focus", nullptr, Qt::Key_Escape, true, false},
        {"Enter presses the focused button", "cmdSysInfo", Qt::Key_Return, false, true},
        {"other keys do nothing", "cmdOK", Qt::Key_A, false, false},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        boites->messages.clear();
        frmAbout& a = frmAbout::Defaut();
        a.Charger();
        QWidget* cible = c.cible ? a.Controle<QPushButton>(U(c.cible)) : &a.Form();
        ASSERT_NE(cible, nullptr);
        Touche(*cible, c.touche);
        EXPECT_EQ(!a.EstChargee(), c.ferme);
        EXPECT_EQ(!boites->messages.empty(), c.message);
        a.Decharger();
        Digerer();
    }
}

TEST_F(APropos, ClosingTheWindowUnloadsIt) {
    frmAbout& a = frmAbout::Defaut();
    a.Site("https://exemple.test");
    a.Montrer();
    a.Form().close();
    EXPECT_FALSE(a.EstChargee());
    EXPECT_EQ(a.Site(), "https://exemple.test");
}

TEST_F(APropos, AfficherTranslatesShowsModallyOverTheOwnerAndReturnsOnUnload) {
    Langue("Shared.lng", "[frmAbout]\r\nCaption=About it\r\ncmdOK=Fine\r\n"
                         "lblSite.ToolTipText=Our site\r\n");
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    proprietaire.Charger();
    frmAbout& a = frmAbout::Defaut();

    struct Vu {
        bool visible = false;
        bool modal = false;
        bool possede = false;
        QString titre, ok, infoBulle;
    } vu;
    bool garde = false;
    QObject portee;
    QTimer::singleShot(0, &portee, [&] {
        QWidget& form = a.Form();
        vu = {form.isVisible(),
              form.windowModality() == Qt::ApplicationModal,
              form.parentWidget() == &proprietaire.Form(),
              form.windowTitle(),
              a.cmdOK().text(),
              a.lblSite().toolTip()};
        a.cmdOK().click();
    });
    // Should Afficher fail to return, the test still ends and says so.
    QTimer::singleShot(5000, &portee, [&] {
        garde = true;
        a.Decharger();
    });
    a.Afficher(proprietaire);
    EXPECT_FALSE(garde);
    EXPECT_FALSE(a.EstChargee());
    EXPECT_TRUE(vu.visible);
    EXPECT_TRUE(vu.modal);
    EXPECT_TRUE(vu.possede);
    EXPECT_EQ(vu.titre, QStringLiteral("About it"));
    EXPECT_EQ(vu.ok, QStringLiteral("Fine"));
    EXPECT_EQ(vu.infoBulle, QStringLiteral("Our site"));
}

TEST_F(APropos, AfficherCentresTheWindowOnTheScreenOrOverAVisibleOwner) {
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    proprietaire.Charger();
    frmAbout& a = frmAbout::Defaut();
    QScreen* ecran = QGuiApplication::primaryScreen();
    ASSERT_NE(ecran, nullptr);
    const QRect disponible = ecran->availableGeometry();

    QPoint centre;
    QObject portee;
    auto relever = [&] {
        QTimer::singleShot(0, &portee, [&] {
            centre = a.Form().frameGeometry().center();
            a.cmdOK().click();
        });
    };
    // The owner still hidden, as at start: the middle of the screen.
    relever();
    a.Afficher(proprietaire);
    EXPECT_LE((centre - disponible.center()).manhattanLength(), 12);

    // The owner on screen: over the owner, kept inside the screen.
    proprietaire.Form().move(disponible.topLeft() + QPoint(300, 200));
    proprietaire.Montrer();
    relever();
    a.Afficher(proprietaire);
    const QRect cadreProprietaire = proprietaire.Form().frameGeometry();
    QRect attendu(QPoint(), a.Form().size());
    attendu.moveCenter(cadreProprietaire.center());
    if (disponible.contains(attendu)) {
        EXPECT_LE((centre - cadreProprietaire.center()).manhattanLength(), 12);
    }
    EXPECT_TRUE(disponible.contains(centre));
}
