// The About window on Qt's offscreen platform, with the shell, the registry, the start of
// programs and the message boxes replaced by doubles.
#include "about/ui/frmAbout.h"
#include "converter/ui/frmConvertisseur.h"
#include "localisation/Traducteur.h"
#include "platform/Services.h"

#include "DossierTemporaire.h"
#include "Doubles.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace monvalor;
using namespace monvalor::test;
using namespace std::string_literals;

namespace {

const char* const kMessage = "Les informations syst\xE8me ne sont pas disponibles actuellement";
const char* const kSite = "https://monvalor.example/telechargement";

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void Relacher(QWidget& w, QPoint position, Qt::MouseButton bouton = Qt::LeftButton) {
    const QPoint global = w.mapToGlobal(position);
    QMouseEvent appui(QEvent::MouseButtonPress, position, global, bouton, bouton, Qt::NoModifier);
    QApplication::sendEvent(&w, &appui);
    QMouseEvent relache(QEvent::MouseButtonRelease, position, global, bouton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&w, &relache);
}

// Lets the deferred destruction of an unloaded form happen.
void Digerer() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class APropos : public ::testing::Test {
protected:
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<BoiteMessageEspion> boites = std::make_shared<BoiteMessageEspion>();
    std::shared_ptr<RegistreMemoire> registre = std::make_shared<RegistreMemoire>();
    DossierTemporaire dossier;

    void SetUp() override {
        test::RemettreFenetresEtServices();
        Services& s = Plateforme();
        s.systeme = systeme;
        s.boiteMessage = boites;
        s.registre = registre;
        InfosApplication& app = s.application; // titled "Monvalor", program "monvalor"
        app.repertoire = dossier.Chemin().string();
        app.versionMajeure = 1;
        app.versionMineure = 3;
        app.versionRevision = 1;
        app.description = "Logiciel de conversion Franc/Euro.";
        app.copyright = "Copyright \xA9 2026 Essai";
    }
    void TearDown() override { test::RemettreFenetresEtServices(); }
};

} // namespace

TEST_F(APropos, ControlsFollowTheDesignAndLoadWritesTheTexts) {
    frmAbout& a = frmAbout::Defaut();
    const std::pair<const char*, QRect> controles[] = {
        {"Ic\xC3\xB4ne", {8, 8, 36, 36}},       {"lblTitle", {86, 16, 259, 32}},
        {"lblVersion", {86, 52, 259, 15}},      {"cmdVersion", {8, 72, 65, 33}},
        {"lblDescription", {88, 75, 259, 110}}, {"lblSite", {8, 192, 369, 17}},
        {"lblEmail", {8, 216, 369, 17}},        {"lblDisclaimer", {17, 247, 258, 71}},
        {"cmdOK", {288, 263, 84, 23}},          {"cmdSysInfo", {288, 293, 83, 23}},
    };
    for (const auto& [nom, position] : controles) {
        QWidget* w = a.Form().findChild<QWidget*>(U(nom));
        ASSERT_NE(w, nullptr) << nom;
        EXPECT_EQ(w->geometry(), position) << nom; // twips at 15 per pixel
    }
    EXPECT_EQ(a.Form().size(), QSize(382, 365));
    EXPECT_EQ(a.Form().font().families().value(0), QStringLiteral("Tahoma"));
    EXPECT_EQ(a.cmdVersion().text(), U("Mise \xC3\xA0 jour"));
    EXPECT_EQ(a.cmdOK().text(), QStringLiteral("OK"));
    EXPECT_EQ(a.cmdSysInfo().text(), U("&Infos syst\xC3\xA8me..."));
    EXPECT_TRUE(a.cmdOK().isDefault());
    EXPECT_EQ(a.lblDisclaimer().text(), QString());
    EXPECT_TRUE(a.lblDescription().wordWrap());
    for (QLabel* lien : {&a.lblSite(), &a.lblEmail()}) {
        EXPECT_EQ(lien->font().families().value(0), QStringLiteral("Times New Roman"));
        EXPECT_TRUE(lien->font().underline());
        EXPECT_EQ(lien->palette().color(QPalette::WindowText), QColor(Qt::blue));
        EXPECT_EQ(lien->cursor().shape(), Qt::PointingHandCursor);
    }
    const auto lignes = a.Form().findChildren<QFrame*>(QStringLiteral("Line1"));
    ASSERT_EQ(lignes.size(), 2);
    EXPECT_NE(lignes[0]->palette().color(QPalette::WindowText),
              lignes[1]->palette().color(QPalette::WindowText));

    // Written by the load step.
    EXPECT_EQ(a.Form().windowTitle(), U("\xC3\x80 propos de Monvalor"));
    EXPECT_EQ(a.lblTitle().text(), U("Monvalor Copyright \xC2\xA9 2026 Essai"));
    // Every number in full; no copyright, no trailing space.
    frmAbout::ReinitialiserDefaut();
    InfosApplication& app = Plateforme().application;
    app.versionMajeure = 12;
    app.versionMineure = 0;
    app.versionRevision = 305;
    app.copyright.clear();
    EXPECT_EQ(frmAbout::Defaut().lblVersion().text(), QStringLiteral("Version 12.0.305"));
    EXPECT_EQ(frmAbout::Defaut().lblTitle().text(), QStringLiteral("Monvalor"));
}

TEST_F(APropos, LinksLoadTheWindowOnceAndOpenWhateverTheLabelsShow) {
    Plateforme().application.nomExe = "convertisseur";
    frmAbout& a = frmAbout::Defaut();
    EXPECT_FALSE(a.EstChargee());
    a.Site(kSite);
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(a.lblSite().text(), U(kSite));
    a.Email("contact@monvalor.example");
    EXPECT_EQ(a.LienEmailPourTest(),
              "mailto:contact@monvalor.example?subject=A propos de convertisseur Version 1.3.1");
    // No second load: the link takes the version caption as it stands.
    a.lblVersion().setText(QStringLiteral("Version 2.0.0"));
    a.Email("x@y.test");
    EXPECT_EQ(a.lblEmail().text(), QStringLiteral("x@y.test"));
    a.lblSite().setText(QStringLiteral("https://ailleurs.example"));
    a.lblEmail().setText(QStringLiteral("autre@ailleurs.example"));

    Relacher(a.lblSite(), {5, 5});
    Relacher(a.lblEmail(), {5, 5});
    const std::vector<std::string> attendus = {
        kSite, "mailto:x@y.test?subject=A propos de convertisseur Version 2.0.0"};
    EXPECT_EQ(systeme->ouverts, attendus);
    // Neither the right button nor a release dragged off the label is a click.
    Relacher(a.lblSite(), {5, 5}, Qt::RightButton);
    Relacher(a.lblSite(), {-20, 5});
    EXPECT_EQ(systeme->ouverts.size(), 2u);
}

TEST_F(APropos, GetKeyValueReadsTextsAndNumbers) {
    // What it is, the value's type and bytes, the result, the text then.
    const std::tuple<const char*, std::uint32_t, std::string, bool, std::string> cas[] = {
        {"text with its NUL", 1, "C:\\Outils\\msinfo32.exe\0"s, true, "C:\\Outils\\msinfo32.exe"},
        {"text stored without NUL", 1, "abc"s, true, "abc"},
        {"only the last NUL goes", 1, "a\0b\0\0"s, true, "a\0b\0"s},
        {"empty text", 1, ""s, true, ""},
        {"NUL alone", 1, "\0"s, true, ""},
        {"number whose last byte reads as a NUL", 4, "\x05\x00\x00\x00"s, true, "5"},
        {"byte order", 4, "\x01\x02\x03\x04"s, true, "67305985"},
        {"minus one", 4, "\xFF\xFF\xFF\xFF"s, true, "-1"},
        {"lowest", 4, "\x00\x00\x00\x80"s, true, "-2147483648"},
        {"binary keeps the old text", 3, "\x01\x02"s, true, "avant"},
        {"expandable text keeps the old text", 2, "%PATH%\0"s, true, "avant"},
        {"fills the buffer", 1, std::string(1024, 'x'), true, std::string(1024, 'x')},
        {"too long for the buffer", 1, std::string(1025, 'x'), false, ""},
    };
    frmAbout& a = frmAbout::Defaut();
    for (const auto& [nom, type, octets, lu, attendu] : cas) {
        SCOPED_TRACE(nom);
        registre->Poser("SOFTWARE\\Essai", "Valeur", type, octets);
        std::string valeur = "avant";
        EXPECT_EQ(a.GetKeyValue(RacineMachineLocale, "SOFTWARE\\Essai", "Valeur", valeur), lu);
        EXPECT_EQ(valeur, attendu);
    }
    // Another name, another root, a failing registry: quietly "" and false.
    const std::tuple<std::uintptr_t, const char*, bool> echecs[] = {
        {RacineMachineLocale, "Autre", false},
        {0x80000001, "Valeur", false},
        {RacineMachineLocale, "Valeur", true}};
    for (const auto& [racine, nom, panne] : echecs) {
        registre->enPanne = panne;
        std::string valeur = "avant";
        EXPECT_FALSE(a.GetKeyValue(racine, "SOFTWARE\\Essai", nom, valeur));
        EXPECT_EQ(valeur, "");
    }
}

TEST_F(APropos, StartSysInfoFollowsTheRegistry) {
    DossierTemporaire outils, avec, sans;
    const std::string outil = outils.Fichier("outil-infos");
    EcrireFichier(outil, "#!/bin/sh\n");
    EcrireFichier(avec.Chemin() / "MSINFO32.EXE", "MZ");
    const std::string dossierAvec = avec.Chemin().string();
    struct Cas {
        const char* nom;
        std::optional<std::string> path, dossier; // the "PATH" (with its NUL) and "MSINFO" values
        std::string lance;                        // "" for none
        bool message;
    };
    const Cas cas[] = {
        {"PATH names an existing tool", outil + '\0', std::nullopt, outil, false},
        {"PATH wins even when its file is missing", "/nulle/part/msinfo32\0"s, dossierAvec,
         "/nulle/part/msinfo32", true},
        {"the folder holds MSINFO32.EXE", std::nullopt, dossierAvec,
         JoindreChemin(dossierAvec, "MSINFO32.EXE"), false},
        {"the folder lacks MSINFO32.EXE", std::nullopt, sans.Chemin().string(), "", true},
        {"a name cut by a NUL is not started", outil + '\0' + "x\0"s, std::nullopt, "", true},
        {"nothing recorded", std::nullopt, std::nullopt, "", true},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        registre->valeurs.clear();
        registre->lectures.clear();
        if (c.path) {
            registre->Poser(CleInfosSysteme, "PATH", RegTexte, *c.path);
        }
        if (c.dossier) {
            registre->Poser(CleEmplacementOutils, "MSINFO", RegTexte, *c.dossier + '\0');
        }
        systeme->lances.clear();
        boites->messages.clear();
        frmAbout::Defaut().StartSysInfo();
        using Lance = std::pair<std::string, int>;
        EXPECT_EQ(systeme->lances,
                  (c.lance.empty() ? std::vector<Lance>{} : std::vector<Lance>{{c.lance, 1}}));
        EXPECT_EQ(boites->messages, (c.message ? std::vector<MessageVu>{{kMessage, MsgOK, ""}}
                                               : std::vector<MessageVu>{}));
    }
    // With nothing recorded, both local machine keys were looked at, in turn.
    using A = RegistreMemoire::Adresse;
    const std::vector<A> attendues = {
        A{0x80000002, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH"},
        A{0x80000002, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO"},
    };
    EXPECT_EQ(registre->lectures, attendues);
}

TEST_F(APropos, UpdateButtonIsInertAndSysInfoShowsTheTranslatedMessage) {
    EcrireFichier(dossier.Chemin() / "Monvalor.lng",
                  std::string("[frmAbout]\r\n") + kMessage + "=No system info\r\n");
    frmAbout& a = frmAbout::Defaut();
    a.cmdVersion().click(); // leaves everything alone
    a.cmdSysInfo().click();
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(boites->messages, (std::vector<MessageVu>{{"No system info", MsgOK, ""}}));
    EXPECT_TRUE(systeme->ouverts.empty());
    EXPECT_TRUE(systeme->lances.empty());
}

TEST_F(APropos, UnloadKeepsTheFieldsButNotTheCaptions) {
    frmAbout& a = frmAbout::Defaut();
    a.Site(kSite);
    a.Email("contact@monvalor.example");
    const std::string lien = a.LienEmailPourTest();
    a.lblSite().setText(QStringLiteral("https://monvalor.example"));
    a.lblDescription().setText(QStringLiteral("autre"));
    a.lblVersion().setText(QStringLiteral("Version 7"));

    a.cmdOK().click();
    EXPECT_FALSE(a.EstChargee());
    Digerer();
    EXPECT_EQ(a.Site(), kSite);
    EXPECT_EQ(a.LienEmailPourTest(), lien);
    // A new load: the design captions, rewritten by the load step only.
    EXPECT_EQ(a.lblSite().text(), QStringLiteral("https://monvalor.example"));
    EXPECT_EQ(a.lblEmail().text(), QStringLiteral("contact@monvalor.example"));
    EXPECT_EQ(a.lblDescription().text(), QStringLiteral("Logiciel de conversion Franc/Euro."));
    EXPECT_EQ(a.lblVersion().text(), QStringLiteral("Version 1.3.1"));
    Relacher(a.lblSite(), {5, 5});
    EXPECT_EQ(systeme->ouverts, std::vector<std::string>{kSite});

    // Closing the window unloads it too.
    a.Montrer();
    a.Form().close();
    EXPECT_FALSE(a.EstChargee());
    EXPECT_EQ(a.Site(), kSite);
}

TEST_F(APropos, KeysCloseTheWindowAsUsersExpect) {
    // What has the focus (nullptr: nothing), the key, whether it closes, whether a message shows.
    const std::tuple<const char*, int, bool, bool> cas[] = {
        {nullptr, Qt::Key_Return, true, false},      {nullptr, Qt::Key_Enter, true, false},
        {nullptr, Qt::Key_Escape, true, false},      {"cmdSysInfo", Qt::Key_Escape, true, false},
        {"cmdSysInfo", Qt::Key_Return, false, true}, // Enter presses the focused button
        {"cmdOK", Qt::Key_A, false, false},
    };
    for (const auto& [focus, touche, ferme, message] : cas) {
        SCOPED_TRACE(testing::Message() << (focus ? focus : "form") << " " << touche);
        boites->messages.clear();
        frmAbout& a = frmAbout::Defaut();
        a.Charger();
        QWidget* cible = focus ? a.Controle<QPushButton>(U(focus)) : &a.Form();
        ASSERT_NE(cible, nullptr);
        QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier);
        QApplication::sendEvent(cible, &appui);
        QKeyEvent relache(QEvent::KeyRelease, touche, Qt::NoModifier);
        QApplication::sendEvent(cible, &relache);
        EXPECT_EQ(!a.EstChargee(), ferme);
        EXPECT_EQ(!boites->messages.empty(), message);
        a.Decharger();
        Digerer();
    }
}

TEST_F(APropos, AfficherTranslatesThenShowsModallyCentredOnScreenOrOverAVisibleOwner) {
    EcrireFichier(
        dossier.Chemin() / "Shared.lng",
        "[frmAbout]\r\nCaption=About it\r\ncmdOK=Fine\r\nlblSite.ToolTipText=Our site\r\n");
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    proprietaire.Charger();
    QScreen* ecran = QGuiApplication::primaryScreen();
    ASSERT_NE(ecran, nullptr);
    const QRect disponible = ecran->availableGeometry();
    frmAbout& a = frmAbout::Defaut();
    bool modal = false;
    QString textes;
    QPoint centre;
    auto afficher = [&] {
        bool garde = false;
        QObject portee; // the timers die with this call
        QTimer::singleShot(0, &portee, [&] {
            QWidget& form = a.Form();
            modal = form.isVisible() && form.windowModality() == Qt::ApplicationModal &&
                    form.parentWidget() == &proprietaire.Form();
            textes = form.windowTitle() + '|' + a.cmdOK().text() + '|' + a.lblSite().toolTip();
            centre = form.frameGeometry().center();
            a.cmdOK().click();
        });
        QTimer::singleShot(5000, &portee, [&] {
            garde = true;
            a.Decharger();
        });
        a.Afficher(proprietaire);
        EXPECT_FALSE(garde) << "Afficher did not return";
        EXPECT_FALSE(a.EstChargee());
    };
    // The owner still hidden, as at start: the middle of the screen.
    afficher();
    EXPECT_TRUE(modal);
    EXPECT_EQ(textes, QStringLiteral("About it|Fine|Our site"));
    EXPECT_LE((centre - disponible.center()).manhattanLength(), 12);

    // The owner on screen: over the owner, kept inside the screen.
    proprietaire.Form().move(disponible.topLeft() + QPoint(300, 200));
    proprietaire.Montrer();
    afficher();
    const QRect cadreProprietaire = proprietaire.Form().frameGeometry();
    QRect attendu(QPoint(), a.Form().size());
    attendu.moveCenter(cadreProprietaire.center());
    if (disponible.contains(attendu)) {
        EXPECT_LE((centre - cadreProprietaire.center()).manhattanLength(), 12);
    }
    EXPECT_TRUE(disponible.contains(centre));
}
