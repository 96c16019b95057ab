// Translation of real Qt widgets from language files in a temporary program folder.
#include "DossierTemporaire.h"

#include "about/ui/frmAbout.h"
#include "localisation/Traducteur.h"
#include "localisation/ui/TraduireQt.h"
#include "platform/Services.h"
#include "platform/qt/TexteQt.h"
#include "support/INI.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>

using namespace monvalor;
using monvalor::test::DossierTemporaire;
using monvalor::test::EcrireFichier;

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A named widget with its caption or text, as the designs make them.
template <typename T> T* Nouveau(QWidget* parent, const char* nom, const char* texte = "") {
    auto* w = new T(parent);
    w->setObjectName(U(nom));
    if constexpr (requires { w->setTitle(QString()); }) {
        w->setTitle(U(texte));
    } else if constexpr (requires { w->setPlainText(QString()); }) {
        w->setPlainText(U(texte));
    } else if constexpr (requires { w->setText(QString()); }) {
        w->setText(U(texte));
    }
    return w;
}

class TraduireQt : public ::testing::Test {
protected:
    DossierTemporaire dossier;
    QWidget form;

    void SetUp() override {
        ReinitialiserServices();
        ReinitialiserTraducteur();
        Plateforme().application.repertoire = dossier.Chemin().string();
        form.setObjectName(U("frmTest"));
        form.setWindowTitle(U("Fenêtre d'essai"));
    }
    void TearDown() override {
        ReinitialiserTraducteur();
        ReinitialiserServices();
    }

    // Language files are Windows-1252, like the ones users write on Windows.
    void Partage(std::string_view contenu) {
        EcrireFichier(dossier.Chemin() / "Shared.lng", contenu);
    }
};

TEST_F(TraduireQt, EveryKindOfWidgetTakesItsTranslation) {
    Partage("[frmTest]\nCaption=Test window\n"
            "lblBonjour=Hello\nlblBonjour.ToolTipText=A greeting\n"
            "OK=Okay\ncmdOK.ToolTipText=Closes the window\n"
            "Oui=Yes\noptChoix=Choice\nchkActif=Enabled\n"
            "fraOptions=Choix \xE0 faire\nDedans=Inside\ncmdAppliquer=Apply\n"
            "12,50=Twelve\ntxtNotes=Notes here\nBrouillon=Draft\ntxtR\xE9"
            "duction=10\n"
            "btnOuvrir=Open a file\nbtnFermer=Close the file\n"
            "colNom=Name\ncolTaille=Size\ncolType=Kind\n");
    auto* lbl = Nouveau<QLabel>(&form, "lblBonjour", "Bonjour");
    auto* cmd = Nouveau<QPushButton>(&form, "cmdOK", "OK");
    auto* opt = Nouveau<QRadioButton>(&form, "optOui", "Oui");
    // Members of a control array share their name: each one is translated.
    auto* choix1 = Nouveau<QRadioButton>(&form, "optChoix", "Premier");
    auto* choix2 = Nouveau<QRadioButton>(&form, "optChoix", "Second");
    auto* chk = Nouveau<QCheckBox>(&form, "chkActif", "Actif");
    auto* fra = Nouveau<QGroupBox>(&form, "fraOptions", "Options");
    auto* dedans = Nouveau<QLabel>(fra, "lblDedans", "Dedans");
    auto* appliquer = Nouveau<QToolButton>(fra, "cmdAppliquer", "Appliquer");
    auto* txt = Nouveau<QLineEdit>(&form, "txtMontant", "12,50");
    auto* notes = Nouveau<QTextEdit>(&form, "txtNotes", "Rien");
    auto* brouillon = Nouveau<QPlainTextEdit>(&form, "txtBrouillon", "Brouillon");
    auto* reduction = Nouveau<QLineEdit>(&form, "txtRéduction", "5");

    auto* tbr = Nouveau<QToolBar>(&form, "tbrOutils");
    QAction* ouvrir = tbr->addAction(U("Ouvrir"));
    ouvrir->setObjectName(U("btnOuvrir"));
    tbr->addSeparator();
    QAction* fermer = tbr->addAction(U("Fermer"));
    fermer->setObjectName(U("btnFermer"));
    QAction* sansCle = tbr->addAction(U("Autre"));

    auto* arbre = Nouveau<QTreeWidget>(&form, "lvwFichiers");
    arbre->setHeaderLabels({U("Nom"), U("Taille"), U("Date")});
    arbre->headerItem()->setData(0, Qt::UserRole, U("colNom"));
    arbre->headerItem()->setData(1, Qt::UserRole, U("colTaille"));
    auto* table = Nouveau<QTableWidget>(&form, "lvwTable");
    table->setColumnCount(2);
    auto* entete = new QTableWidgetItem(U("Type"));
    entete->setData(Qt::UserRole, U("colType"));
    table->setHorizontalHeaderItem(1, entete);

    TraduireFormulaire(form);

    EXPECT_EQ(form.windowTitle(), U("Test window"));
    EXPECT_EQ(lbl->text(), U("Hello"));
    EXPECT_EQ(lbl->toolTip(), U("A greeting"));
    EXPECT_EQ(cmd->text(), U("Okay"));
    EXPECT_EQ(cmd->toolTip(), U("Closes the window"));
    EXPECT_EQ(opt->text(), U("Yes"));
    EXPECT_EQ(choix1->text(), U("Choice"));
    EXPECT_EQ(choix2->text(), U("Choice"));
    EXPECT_EQ(chk->text(), U("Enabled"));
    EXPECT_EQ(fra->title(), U("Choix à faire"));
    EXPECT_EQ(dedans->text(), U("Inside"));
    EXPECT_EQ(appliquer->text(), U("Apply"));
    EXPECT_EQ(txt->text(), U("Twelve"));
    EXPECT_EQ(notes->toPlainText(), U("Notes here"));
    EXPECT_EQ(brouillon->toPlainText(), U("Draft"));
    EXPECT_EQ(reduction->text(), U("10"));
    // Toolbar buttons take tool tips only; a button without a key keeps its own.
    EXPECT_EQ(ouvrir->toolTip(), U("Open a file"));
    EXPECT_EQ(fermer->toolTip(), U("Close the file"));
    EXPECT_EQ(sansCle->toolTip(), U("Autre"));
    EXPECT_EQ(ouvrir->text(), U("Ouvrir"));
    EXPECT_EQ(arbre->headerItem()->text(0), U("Name"));
    EXPECT_EQ(arbre->headerItem()->text(1), U("Size"));
    EXPECT_EQ(arbre->headerItem()->text(2), U("Date"));
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), U("Kind"));
}

TEST_F(TraduireQt, OnlyTheWindowsOwnNamedControlsAreTranslated) {
    // An empty key and the texts of Qt's inner widgets would all be found here, if they were
    // wrongly looked up.
    Partage("[frmTest]\n=Vide\n0=Z\xE9ro\nSans nom=Unnamed\nBonjour=Hello\n?"
            "?=Questions\n"
            "Fen\xEAtre d'essai=Window\nLoin=Far\n");
    auto* icone = Nouveau<QLabel>(&form, "Icône");
    QPixmap image(16, 16);
    image.fill(Qt::red);
    icone->setPixmap(image);
    auto* spin = Nouveau<QSpinBox>(&form, "spnValeur");
    spin->setValue(0); // its inner line edit shows "0"
    auto* sansNom = new QLabel(U("Sans nom"), &form);
    auto* horsAnsi = Nouveau<QLabel>(&form, "lblJapon", "日本");
    auto* dialogue = Nouveau<QDialog>(&form, "dlgEnfant");
    auto* dansDialogue = Nouveau<QLabel>(dialogue, "lblDialogue", "Bonjour");
    auto* cadre = Nouveau<QFrame>(&form, "fraCadre");
    auto* dansCadre = Nouveau<QLabel>(cadre, "lblDansCadre", "Bonjour");
    auto* zone = Nouveau<QScrollArea>(&form, "scrZone");
    auto* loin = Nouveau<QLabel>(nullptr, "lblLoin", "Loin");
    zone->setWidget(loin);

    TraduireFormulaire(form);

    EXPECT_FALSE(icone->pixmap().isNull());
    EXPECT_EQ(icone->text(), QString());
    EXPECT_EQ(spin->text(), U("0"));
    EXPECT_EQ(sansNom->text(), U("Sans nom"));
    EXPECT_EQ(horsAnsi->text(), U("日本"));
    EXPECT_EQ(dansDialogue->text(), U("Bonjour"));
    EXPECT_EQ(form.windowTitle(), U("Fenêtre d'essai")); // not a key
    // The contents of a plain frame and of a scroll area are controls of the window.
    EXPECT_EQ(dansCadre->text(), U("Hello"));
    EXPECT_EQ(loin->text(), U("Far"));
}

// The About window with the English files that ship with the program.
TEST_F(TraduireQt, TheShippedEnglishFilesTranslateTheAboutWindow) {
    const auto source = std::filesystem::path(MONVALOR_SOURCE_DIR) / "lang" / "en";
    for (const char* nom : {"Monvalor.lng", "Shared.lng"}) {
        std::filesystem::copy_file(source / nom, dossier.Chemin() / nom);
    }
    // The English text for the key, read straight from the files.
    auto anglais = [&](const char* cle) {
        INI ini;
        for (const char* nom : {"Monvalor.lng", "Shared.lng"}) {
            ini.Path((dossier.Chemin() / nom).string());
            if (std::string valeur = ini.Value("frmAbout", cle, ""); !valeur.empty()) {
                return valeur;
            }
        }
        return std::string();
    };
    frmAbout::ReinitialiserDefaut();
    frmAbout& about = frmAbout::Defaut();
    TraduireFormulaire(about.Form());
    const std::pair<QString, const char*> vus[] = {
        {about.Form().windowTitle(), "Caption"},
        {about.cmdOK().text(), "cmdOK"},
        {about.cmdSysInfo().text(), "cmdSysInfo"},
        {about.cmdVersion().text(), "cmdVersion"},
        {about.lblDescription().text(), "lblDescription"},
        {about.lblSite().toolTip(), "lblSite.ToolTipText"},
        {about.lblEmail().toolTip(), "lblEmail.ToolTipText"},
    };
    for (const auto& [vu, cle] : vus) {
        SCOPED_TRACE(cle);
        EXPECT_FALSE(anglais(cle).empty());
        EXPECT_EQ(vu, VersQString(anglais(cle)));
    }
    // No file has an entry for it: the text set at load stays.
    EXPECT_EQ(about.lblVersion().text(), U("Version 0.0.0"));
    frmAbout::ReinitialiserDefaut();

    for (const char* message :
         {"Pas de mise \xE0 jour",
          "Les informations syst\xE8me ne sont pas disponibles actuellement"}) {
        SCOPED_TRACE(message);
        EXPECT_NE(Traduire("frmAbout", message), message);
        EXPECT_EQ(Traduire("frmAbout", message), anglais(message));
    }
    EXPECT_EQ(Traduire("frmAbout", "Pas de message"), "Pas de message");
}

} // namespace
