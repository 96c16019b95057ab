// Translation of real Qt widgets from language files in a temporary program folder.
#include "../unit/DossierTemporaire.h"

#include "about/ui/frmAbout.h"
#include "localisation/Traducteur.h"
#include "localisation/ui/TraduireQt.h"
#include "platform/Services.h"
#include "platform/qt/TexteQt.h"
#include "support/INI.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
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

template <typename T> T* Nouveau(QWidget* parent, const char* nom) {
    auto* w = new T(parent);
    w->setObjectName(U(nom));
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
        Plateforme().application.titre = "Monvalor";
        form.setObjectName(U("frmTest"));
        form.setWindowTitle(U("Fenêtre d'essai"));
    }
    void TearDown() override {
        ReinitialiserTraducteur();
        ReinitialiserServices();
    }

    // Language files are Windows-1252, like the ones users write on Windows.
    void Programme(std::string_view contenu) {
        EcrireFichier(dossier.Chemin() / "Monvalor.lng", contenu);
    }
    void Partage(std::string_view contenu) {
        EcrireFichier(dossier.Chemin() / "Shared.lng", contenu);
    }
};

TEST_F(TraduireQt, EveryKindOfWidgetTakesItsTranslation) {
    Partage("[frmTest]\n"
            "Caption=Test window\n"
            "lblBonjour=Hello\n"
            "lblBonjour.ToolTipText=A greeting\n"
            "Oui=Yes\n"
            "chkActif=Enabled\n"
            "fraOptions=Choix \xE0 faire\n"
            "Dedans=Inside\n"
            "cmdAppliquer=Apply\n"
            "12,50=Twelve\n"
            "txtNotes=Notes here\n"
            "Brouillon=Draft\n"
            "btnOuvrir=Open a file\n"
            "btnFermer=Close the file\n"
            "colNom=Name\n"
            "colTaille=Size\n"
            "colType=Kind\n"
            "cmdOK.ToolTipText=Closes the window\n"
            "txtR\xE9"
            "duction=10\n"
            "OK=Okay\n");
    auto* lbl = Nouveau<QLabel>(&form, "lblBonjour");
    lbl->setText(U("Bonjour"));
    auto* cmd = Nouveau<QPushButton>(&form, "cmdOK");
    cmd->setText(U("OK"));
    auto* opt = Nouveau<QRadioButton>(&form, "optOui");
    opt->setText(U("Oui"));
    auto* chk = Nouveau<QCheckBox>(&form, "chkActif");
    chk->setText(U("Actif"));
    auto* fra = Nouveau<QGroupBox>(&form, "fraOptions");
    fra->setTitle(U("Options"));
    auto* dedans = Nouveau<QLabel>(fra, "lblDedans");
    dedans->setText(U("Dedans"));
    auto* appliquer = Nouveau<QToolButton>(fra, "cmdAppliquer");
    appliquer->setText(U("Appliquer"));
    auto* txt = Nouveau<QLineEdit>(&form, "txtMontant");
    txt->setText(U("12,50"));
    auto* notes = Nouveau<QTextEdit>(&form, "txtNotes");
    notes->setPlainText(U("Rien"));
    auto* brouillon = Nouveau<QPlainTextEdit>(&form, "txtBrouillon");
    brouillon->setPlainText(U("Brouillon"));
    auto* reduction = Nouveau<QLineEdit>(&form, "txtRéduction");
    reduction->setText(U("5"));

    auto* tbr = Nouveau<QToolBar>(&form, "tbrOutils");
    QAction* ouvrir = tbr->addAction(U("Ouvrir"));
    ouvrir->setObjectName(U("btnOuvrir"));
    tbr->addSeparator();
    QAction* fermer = tbr->addAction(U("Fermer"));
    fermer->setObjectName(U("btnFermer"));
    QAction* sansCle = tbr->addAction(U("Autre"));

    auto* arbre = Nouveau<QTreeWidget>(&form, "lvwFichiers");
    arbre->setColumnCount(3);
    arbre->setHeaderLabels({U("Nom"), U("Taille"), U("Date")});
    arbre->headerItem()->setData(0, Qt::UserRole, U("colNom"));
    arbre->headerItem()->setData(1, Qt::UserRole, U("colTaille"));

    auto* table = Nouveau<QTableWidget>(&form, "lvwTable");
    table->setColumnCount(2);
    auto* entete = new QTableWidgetItem(U("Type"));
    entete->setData(Qt::UserRole, U("colType"));
    table->setHorizontalHeaderItem(1, entete);

    auto* vue = Nouveau<QTreeView>(&form, "lvwVue");
    QStandardItemModel modele(0, 2);
    modele.setHeaderData(0, Qt::Horizontal, U("Nom"), Qt::DisplayRole);
    modele.setHeaderData(0, Qt::Horizontal, U("colNom"), Qt::UserRole);
    modele.setHeaderData(1, Qt::Horizontal, U("Taille"), Qt::DisplayRole);
    vue->setModel(&modele);

    TraduireFormulaire(form);

    EXPECT_EQ(form.windowTitle(), U("Test window"));
    EXPECT_EQ(lbl->text(), U("Hello"));
    EXPECT_EQ(lbl->toolTip(), U("A greeting"));
    EXPECT_EQ(cmd->text(), U("Okay"));
    EXPECT_EQ(cmd->toolTip(), U("Closes the window"));
    EXPECT_EQ(opt->text(), U("Yes"));
    EXPECT_EQ(chk->text(), U("Enabled"));
    EXPECT_EQ(fra->title(), U("Choix à faire"));
    EXPECT_EQ(dedans->text(), U("Inside"));
    EXPECT_EQ(appliquer->text(), U("Apply"));
    EXPECT_EQ(txt->text(), U("Twelve"));
    EXPECT_EQ(notes->toPlainText(), U("Notes here"));
    EXPECT_EQ(brouillon->toPlainText(), U("Draft"));
    EXPECT_EQ(reduction->text(), U("10"));

    EXPECT_EQ(ouvrir->toolTip(), U("Open a file"));
    EXPECT_EQ(fermer->toolTip(), U("Close the file"));
    EXPECT_EQ(sansCle->toolTip(), U("Autre"));
    EXPECT_EQ(ouvrir->text(), U("Ouvrir"));

    EXPECT_EQ(arbre->headerItem()->text(0), U("Name"));
    EXPECT_EQ(arbre->headerItem()->text(1), U("Size"));
    EXPECT_EQ(arbre->headerItem()->text(2), U("Date"));
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), U("Kind"));
    EXPECT_EQ(modele.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), U("Name"));
    EXPECT_EQ(modele.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), U("Taille"));
}

TEST_F(TraduireQt, ProgramFileComesBeforeSharedFile) {
    Programme("[frmTest]\ncmdOK=\ncmdAnnuler=Cancel\n");
    Partage("[frmTest]\ncmdOK=Close\ncmdAnnuler=Abort\n");
    auto* ok = Nouveau<QPushButton>(&form, "cmdOK");
    ok->setText(U("OK"));
    auto* annuler = Nouveau<QPushButton>(&form, "cmdAnnuler");
    annuler->setText(U("Annuler"));
    TraduireFormulaire(form);
    EXPECT_EQ(ok->text(), U("Close"));
    EXPECT_EQ(annuler->text(), U("Cancel"));
}

TEST_F(TraduireQt, ToolbarAndListWithAnEntryOfTheirOwnKeepTheirParts) {
    Partage("[frmTest]\n"
            "tbrOutils=Toolbar\n"
            "lvwFichiers=List\n"
            "lvwFichiers.ToolTipText=Files\n"
            "btnOuvrir=Open\n"
            "colNom=Name\n");
    auto* tbr = Nouveau<QToolBar>(&form, "tbrOutils");
    QAction* ouvrir = tbr->addAction(U("Ouvrir"));
    ouvrir->setObjectName(U("btnOuvrir"));
    auto* arbre = Nouveau<QTreeWidget>(&form, "lvwFichiers");
    arbre->setHeaderLabels({U("Nom")});
    arbre->headerItem()->setData(0, Qt::UserRole, U("colNom"));
    TraduireFormulaire(form);
    EXPECT_EQ(ouvrir->toolTip(), U("Ouvrir"));
    EXPECT_EQ(arbre->headerItem()->text(0), U("Nom"));
    EXPECT_EQ(arbre->toolTip(), U("Files"));
}

TEST_F(TraduireQt, WidgetsSharingANameAreEachTranslated) {
    Partage("[frmTest]\noptChoix=Choice\nLine1.ToolTipText=Separator\n");
    auto* a = Nouveau<QRadioButton>(&form, "optChoix");
    a->setText(U("Premier"));
    auto* b = Nouveau<QRadioButton>(&form, "optChoix");
    b->setText(U("Second"));
    QFrame* lignes[2];
    for (QFrame*& ligne : lignes) {
        ligne = Nouveau<QFrame>(&form, "Line1");
        ligne->setFrameShape(QFrame::HLine);
    }
    TraduireFormulaire(form);
    EXPECT_EQ(a->text(), U("Choice"));
    EXPECT_EQ(b->text(), U("Choice"));
    for (QFrame* ligne : lignes) {
        EXPECT_EQ(ligne->toolTip(), U("Separator"));
    }
}

TEST_F(TraduireQt, WidgetsThatAreNotControlsAreLeftAlone) {
    // An empty key and the texts of Qt's inner widgets would all be found here, if they were
    // wrongly looked up.
    Partage("[frmTest]\n"
            "=Vide\n"
            "0=Z\xE9ro\n"
            "Sans nom=Unnamed\n"
            "Bonjour=Hello\n"
            "?"
            "?=Questions\n"
            "Fen\xEAtre d'essai=Window\n");
    auto* icone = Nouveau<QLabel>(&form, "Icône");
    QPixmap image(16, 16);
    image.fill(Qt::red);
    icone->setPixmap(image);
    auto* spin = Nouveau<QSpinBox>(&form, "spnValeur");
    spin->setValue(0);
    auto* sansNom = new QLabel(U("Sans nom"), &form);
    auto* horsAnsi = Nouveau<QLabel>(&form, "lblJapon");
    horsAnsi->setText(U("日本"));
    auto* dialogue = new QDialog(&form);
    dialogue->setObjectName(U("dlgEnfant"));
    auto* dansDialogue = Nouveau<QLabel>(dialogue, "lblDialogue");
    dansDialogue->setText(U("Bonjour"));
    auto* cadre = Nouveau<QFrame>(&form, "fraCadre");
    auto* dansCadre = Nouveau<QLabel>(cadre, "lblDansCadre");
    dansCadre->setText(U("Bonjour"));

    TraduireFormulaire(form);

    EXPECT_FALSE(icone->pixmap().isNull());
    EXPECT_EQ(icone->text(), QString());
    EXPECT_EQ(spin->text(), U("0"));
    EXPECT_EQ(sansNom->text(), U("Sans nom"));
    EXPECT_EQ(horsAnsi->text(), U("日本"));
    EXPECT_EQ(dansDialogue->text(), U("Bonjour"));
    // The window's caption is no key; a plain frame has no caption but its contents are
    // controls of the window.
    EXPECT_EQ(form.windowTitle(), U("Fenêtre d'essai"));
    EXPECT_EQ(dansCadre->text(), U("Hello"));
}

TEST_F(TraduireQt, ContentsOfAScrollAreaAreControls) {
    Partage("[frmTest]\nlblLoin=Far\n");
    auto* zone = Nouveau<QScrollArea>(&form, "scrZone");
    auto* contenu = new QWidget;
    auto* loin = Nouveau<QLabel>(contenu, "lblLoin");
    loin->setText(U("Loin"));
    zone->setWidget(contenu);
    TraduireFormulaire(form);
    EXPECT_EQ(loin->text(), U("Far"));
}

TEST_F(TraduireQt, FilesSavedAsUtf8AndEditedMeanwhile) {
    auto* ok = Nouveau<QPushButton>(&form, "cmdOK");
    ok->setText(U("OK"));
    Partage("\xEF\xBB\xBF[frmTest]\ncmdOK=Fermer \xC3\xA0 la fin\n");
    TraduireFormulaire(form);
    EXPECT_EQ(ok->text(), U("Fermer à la fin"));

    Partage("[frmTest]\ncmdOK=Termin\xE9\n");
    TraduireFormulaire(form);
    EXPECT_EQ(ok->text(), U("Terminé"));
}

} // namespace

// --- the About window with the English files that ship with the program ----------------------

namespace {

class Proprietaire final : public Fenetre {
public:
    Proprietaire() : Fenetre(QStringLiteral("frmProprietaire")) {}

protected:
    void Construire(QWidget&) override {}
};

class TraduireAbout : public TraduireQt {
protected:
    void SetUp() override {
        TraduireQt::SetUp();
        const std::filesystem::path source =
            std::filesystem::path(MONVALOR_SOURCE_DIR) / "lang" / "en";
        for (const char* nom : {"Monvalor.lng", "Shared.lng"}) {
            std::filesystem::copy_file(source / nom, dossier.Chemin() / nom);
        }
        frmAbout::ReinitialiserDefaut();
    }
    void TearDown() override {
        frmAbout::ReinitialiserDefaut();
        TraduireQt::TearDown();
    }

    // The English text the shipped files give for the key, read straight from the files.
    std::string Anglais(const char* cle) const {
        INI ini;
        ini.Path((dossier.Chemin() / "Monvalor.lng").string());
        std::string valeur = ini.Value("frmAbout", cle, "");
        if (valeur.empty()) {
            ini.Path((dossier.Chemin() / "Shared.lng").string());
            valeur = ini.Value("frmAbout", cle, "");
        }
        return valeur;
    }
};

} // namespace

TEST_F(TraduireAbout, ShownWithTheEnglishFiles) {
    frmAbout& about = frmAbout::Defaut();
    Proprietaire proprietaire;
    struct Vu {
        QString titre, ok, sysInfo, version, description, bulleSite, bulleEmail, lblVersion;
    } vu;
    bool vuOuvert = false;
    // Timers owned by the test, so that nothing fires once it has returned.
    QTimer lecteur;
    lecteur.setSingleShot(true);
    QObject::connect(&lecteur, &QTimer::timeout, [&] {
        vuOuvert = about.EstChargee() && about.Form().isVisible();
        vu = {about.Form().windowTitle(), about.cmdOK().text(),          about.cmdSysInfo().text(),
              about.cmdVersion().text(),  about.lblDescription().text(), about.lblSite().toolTip(),
              about.lblEmail().toolTip(), about.lblVersion().text()};
        about.cmdOK().click();
    });
    lecteur.start(0);
    // Never leaves the test hanging, whatever the window does.
    QTimer garde;
    garde.setSingleShot(true);
    QObject::connect(&garde, &QTimer::timeout, [&] { about.Decharger(); });
    garde.start(10000);
    about.Afficher(proprietaire);

    EXPECT_TRUE(vuOuvert);
    EXPECT_FALSE(about.EstChargee());
    const struct {
        const QString& vu;
        const char* cle;
    } attendus[] = {
        {vu.titre, "Caption"},
        {vu.ok, "cmdOK"},
        {vu.sysInfo, "cmdSysInfo"},
        {vu.version, "cmdVersion"},
        {vu.description, "lblDescription"},
        {vu.bulleSite, "lblSite.ToolTipText"},
        {vu.bulleEmail, "lblEmail.ToolTipText"},
    };
    for (const auto& a : attendus) {
        SCOPED_TRACE(a.cle);
        const std::string anglais = Anglais(a.cle);
        ASSERT_FALSE(anglais.empty());
        EXPECT_EQ(a.vu, VersQString(anglais));
    }
    // No file has an entry for it: the text set at load stays.
    EXPECT_TRUE(vu.lblVersion.startsWith(U("Version ")));
}

TEST_F(TraduireAbout, MessagesOfTheWindow) {
    const char* messages[] = {"Pas de mise \xE0 jour",
                              "Les informations syst\xE8me ne sont pas disponibles actuellement"};
    for (const char* message : messages) {
        SCOPED_TRACE(message);
        const std::string anglais = Traduire("frmAbout", message);
        EXPECT_NE(anglais, message);
        EXPECT_EQ(anglais, Anglais(message));
    }
    EXPECT_EQ(Traduire("frmAbout", "Pas de message"), "Pas de message");
}
