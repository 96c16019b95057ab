// The Qt face over every design table: the native form it builds and the events it routes.
#include "support/TexteSource.h"
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/TexteQt.h"

#include "Doubles.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

using namespace monvalor;
using namespace monvalor::test;

namespace {

// Records the events of a form, by control.
struct Recepteur final : IRecepteur {
    std::vector<std::pair<std::string, Evenement>> recus;
    void Recevoir(std::string_view c, int, Evenement e) override { recus.emplace_back(c, e); }
};

// The kinds no window uses yet, some in a frame; txtNom bold, disabled; chkA hidden; optB tipped.
constexpr std::string_view kCles[] = {"k0", "k1"};
constexpr Police kGras{"Tahoma", 10, true};
constexpr ConceptionControle Essai(Genre genre, std::string_view nom, int haut,
                                   int tabulation = SansTabulation) {
    ConceptionControle c{genre, nom, nom, {60, haut, 3000, genre == Genre::Cadre ? 1200 : 255}};
    c.tabulation = tabulation;
    c.police = nom == "txtNom" ? &kGras : nullptr;
    c.conteneur = haut < 1200 && genre != Genre::Cadre ? "fraCadre" : "";
    c.visible = nom != "chkA";
    c.actif = nom != "txtNom";
    c.infoBulle = nom == "optB" ? "Bulle" : "";
    c.cles = kCles;
    return c;
}
constexpr ConceptionControle kControles[] = {
    Essai(Genre::Cadre, "fraCadre", 60),          Essai(Genre::Label, "lblNom", 300),
    Essai(Genre::ZoneTexte, "txtNom", 600, 1),    Essai(Genre::CaseACocher, "chkA", 1700, 2),
    Essai(Genre::BoutonOption, "optB", 2000, 0),  Essai(Genre::ZoneTexte, "txtSansLibelle", 2150),
    Essai(Genre::BarreOutils, "tbrOutils", 2300), Essai(Genre::ListeVue, "lvwListe", 2800, 3),
};
constexpr ConceptionFenetre kEssai{"frmEssai",    "Essai", 3200, 3800,      {"MS Sans Serif", 8.25},
                                   Bordure::Fixe, true,    "",   kControles};

// Every table, with the controls that take the focus in tab order.
const std::pair<const ConceptionFenetre*, std::vector<std::string_view>> kTables[] = {
    {&ConceptionConvertisseur,
     {"txtMontant", "txtEuros", "txtFrancs", "txtTaux", "txtTVA", "txtMontantHT", "txtMontantTTC",
      u8"txtRéduction"_ansi, "txtMontantLibre"}},
    {&ConceptionAbout, {"cmdOK", "cmdSysInfo", "cmdVersion"}},
    {&ConceptionSock, {"txtUrl", "cmdDownload", "chkEnTetes", "cmdPause", "cmdStop", "txtHead"}},
    {&ConceptionRepertoire,
     {"OKButton", "CancelButton", "dirHisto", "drvHisto", u8"txtRépertoire"_ansi,
      u8"cmdValideRépertoire"_ansi}},
    {&kEssai, {"optB", "txtNom", "chkA", "lvwListe"}},
};

// The Qt class each kind is built as, in the order of Genre; a timer has no widget.
const char* const kClasses[] = {"QLabel",       "QLineEdit",   "QPushButton", "QCheckBox",
                                "QRadioButton", "QGroupBox",   "QLabel",      "QFrame",
                                nullptr,        "QToolBar",    "QTreeWidget", "QComboBox",
                                "QListWidget",  "QProgressBar"};

void Touche(QWidget& w, int touche) {
    QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier);
    QApplication::sendEvent(&w, &appui);
}

void Relacher(QWidget& w, QPoint position, Qt::MouseButton bouton = Qt::LeftButton) {
    QMouseEvent relache(QEvent::MouseButtonRelease, position, w.mapToGlobal(position), bouton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &relache);
}

// Lets the deferred destruction of unloaded forms happen.
void Digerer() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class FaceQt : public AvecDoubles {
protected:
    void SetUp() override {
        AvecDoubles::SetUp();
        Plateforme().formulaires = std::make_shared<FabriqueQt>();
    }
    void TearDown() override {
        AvecDoubles::TearDown();
        Digerer();
    }
};

} // namespace

TEST_F(FaceQt, BuildsEveryTableAsDesigned) {
    for (const auto& [t, tabulation] : kTables) {
        SCOPED_TRACE(std::string(t->nom));
        Recepteur r;
        VueQt vue(*t, r);
        QWidget& form = vue.Form();
        EXPECT_EQ(std::tuple(form.objectName(), form.windowTitle(), form.size(),
                             form.font().families().value(0), form.windowType() == Qt::Dialog),
                  std::tuple(VersQString(t->nom), VersQString(t->legende),
                             QSize(Twips(t->largeur), Twips(t->hauteur)),
                             VersQString(t->police.face), t->bordure == Bordure::Dialogue));

        std::vector<std::pair<int, QWidget*>> ordre;
        std::string dernierLabel;
        for (const ConceptionControle& c : t->controles) {
            SCOPED_TRACE(std::string(c.nom));
            QWidget* w = vue.Widget(c.nom, c.indice);
            if (c.genre == Genre::Minuterie) {
                EXPECT_TRUE(w == nullptr && vue.Minuterie(c.nom) != nullptr);
                continue;
            }
            ASSERT_TRUE(w != nullptr && w->inherits(c.genre == Genre::ZoneTexte && c.retourLigne
                                                        ? "QPlainTextEdit"
                                                        : kClasses[static_cast<int>(c.genre)]));
            EXPECT_EQ(w->parentWidget(), c.conteneur.empty() ? &form : vue.Widget(c.conteneur));
            EXPECT_EQ(w->geometry(), QRect(Twips(c.position.gauche), Twips(c.position.haut),
                                           Twips(c.position.largeur), Twips(c.position.hauteur)));
            const Police& p = c.police ? *c.police : t->police;
            const QFont& q = w->font();
            EXPECT_EQ(std::tuple(q.families().value(0), q.pointSizeF(), q.bold(), q.underline()),
                      std::tuple(VersQString(p.face), p.points, p.gras, p.souligne));
            EXPECT_EQ(std::tuple(w->objectName(), w->toolTip(), !w->isHidden(), w->isEnabled(),
                                 w->cursor().shape() == Qt::PointingHandCursor),
                      std::tuple(VersQString(c.nom), VersQString(c.infoBulle), c.visible, c.actif,
                                 c.lien));
            if (c.couleur != SansCouleur) {
                EXPECT_EQ(w->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF,
                          static_cast<QRgb>(c.couleur));
            }
            if (AUnTexte(c.genre)) {
                EXPECT_EQ(vue.Controle(c.nom, c.indice).Texte(), c.legende);
            }
            if (auto* bouton = qobject_cast<QPushButton*>(w)) {
                EXPECT_EQ(bouton->isDefault(), c.defaut);
            }
            if (c.genre == Genre::Label) {
                EXPECT_EQ(static_cast<QLabel*>(w)->wordWrap(), c.retourLigne);
            }
            if (c.genre == Genre::ZoneTexte) {
                // What a screen reader says of the box: the label right before it, whose
                // mnemonic leads here; none when something else comes between.
                EXPECT_EQ(w->accessibleName(), VersQString(dernierLabel));
                const auto libelles = form.findChildren<QLabel*>();
                EXPECT_EQ(std::count_if(libelles.begin(), libelles.end(),
                                        [&](QLabel* l) { return l->buddy() == w; }),
                          dernierLabel.empty() ? 0 : 1);
            }
            dernierLabel = c.genre == Genre::Label ? c.legende : "";
            if (c.tabulation != SansTabulation && w->focusPolicy() != Qt::NoFocus) {
                ordre.emplace_back(c.tabulation, w);
            }
        }
        // Tab goes from one control to the next in tab order; the first has the focus.
        std::sort(ordre.begin(), ordre.end());
        std::vector<std::string> noms;
        for (QWidget* w = ordre.front().second; noms.size() < ordre.size();
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() != Qt::NoFocus) {
                noms.push_back(DepuisQString(w->objectName()));
            }
        }
        EXPECT_EQ(noms, std::vector<std::string>(tabulation.begin(), tabulation.end()));
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(form.focusWidget(), ordre.front().second);
    }
}

TEST_F(FaceQt, IconsToolbarButtonsAndListColumnsTakeWhatTheWindowGives) {
    Q_INIT_RESOURCE(monvalor); // the program's pictures, in the face's static library
    Recepteur r;
    VueQt about(ConceptionAbout, r), vue(kEssai, r);
    // A picture box shows an icon at the size the designs give it.
    about.Controle(u8"Icône"_ansi).DefinirImage("monvalor");
    const auto* image = static_cast<QLabel*>(about.Widget(u8"Icône"_ansi));
    EXPECT_EQ(image->pixmap().deviceIndependentSize().width(), 32.0);
    // Toolbar buttons and list columns take their texts by position, and only they.
    vue.Controle("tbrOutils").DefinirTexteCle(1, "Ouvrir");
    vue.Controle("lvwListe").DefinirTexteCle(0, "Nom");
    EXPECT_THROW(vue.Controle("lvwListe").DefinirTexteCle(2, "Trop"), Erreur);
    EXPECT_THROW(vue.Controle("chkA").DefinirTexteCle(0, "Non"), Erreur);
    const QTreeWidgetItem* entete = static_cast<QTreeWidget*>(vue.Widget("lvwListe"))->headerItem();
    // A progress bar shows its value against its maximum and refuses one beyond it.
    VueQt sock(ConceptionSock, r);
    IControle& barre = sock.Controle("ProgressBar");
    barre.DefinirMax(200);
    barre.DefinirValeur(50);
    EXPECT_THROW(barre.DefinirValeur(200.5), Erreur);
    EXPECT_THROW(vue.Controle("chkA").DefinirValeur(1), Erreur);
    const auto* qbarre = static_cast<QProgressBar*>(sock.Widget("ProgressBar"));
    EXPECT_EQ(std::tuple(barre.Valeur(), qbarre->value() * 4, qbarre->maximum()),
              std::tuple(50.0, qbarre->maximum(), 10000));
    EXPECT_EQ(
        QStringList({static_cast<QToolBar*>(vue.Widget("tbrOutils"))->actions().at(1)->toolTip(),
                     entete->text(0), entete->text(1)}),
        QStringList({"Ouvrir", "Nom", "k1"}));
}

TEST_F(FaceQt, RoutesEachControlsEventsToItsWindow) {
    Recepteur r;
    {
        VueQt about(ConceptionAbout, r);
        static_cast<QPushButton*>(about.Widget("cmdSysInfo"))->click();
        QWidget& site = *about.Widget("lblSite");
        Relacher(site, {5, 5});
        // Neither another button nor a release dragged off the label is a click.
        Relacher(site, {5, 5}, Qt::RightButton);
        Relacher(site, {-20, 5});
        // Keys no control took: Enter the default button, Esc the cancel one (both cmdOK).
        Touche(about.Form(), Qt::Key_Return);
        Touche(about.Form(), Qt::Key_Escape);
        Touche(about.Form(), Qt::Key_A);
        about.Form().close();
    }
    VueQt conv(ConceptionConvertisseur, r);
    conv.Controle("txtTaux").DefinirTexte("5,5");
    conv.Controle("Timer").DefinirIntervalle(1);
    QEventLoop boucle;
    QTimer::singleShot(50, &boucle, &QEventLoop::quit);
    boucle.exec();
    conv.Controle("Timer").DefinirIntervalle(0);
    ASSERT_GE(r.recus.size(), 7u);
    r.recus.resize(7); // the timer ticked at least once
    using enum Evenement;
    const decltype(r.recus) attendus = {
        {"cmdSysInfo", Click}, {"lblSite", Click},  {"cmdOK", Click}, {"cmdOK", Click},
        {"", Fermeture},       {"txtTaux", Change}, {"Timer", Timer}};
    EXPECT_EQ(r.recus, attendus);
}

TEST_F(FaceQt, TheAboutWindowClosesWithItsKeysAndShowsModallyOverItsOwner) {
    // Enter on a focused button presses that button, not the default one.
    frmAbout& a = frmAbout::Defaut();
    Touche(*dynamic_cast<VueQt&>(a.Vue()).Widget("cmdSysInfo"), Qt::Key_Return);
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(systeme->messages.size(), 1u);
    Plateforme().instancePrecedente = true; // the owner loads without its welcome
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    QWidget& formProprietaire = dynamic_cast<VueQt&>(proprietaire.Vue()).Form();
    const QRect disponible = QGuiApplication::primaryScreen()->availableGeometry();
    auto afficher = [&] {
        bool modal = false;
        QPoint centre;
        QObject portee; // the timers die with this call
        QTimer::singleShot(0, &portee, [&] {
            auto& v = dynamic_cast<VueQt&>(a.Vue());
            modal = v.Form().isVisible() && v.Form().windowModality() == Qt::ApplicationModal &&
                    v.Form().parentWidget() == &formProprietaire;
            centre = v.Form().frameGeometry().center();
            static_cast<QPushButton*>(v.Widget("cmdOK"))->click();
        });
        QTimer::singleShot(5000, &portee, [&] { a.Decharger(); }); // never left hanging
        a.Afficher(proprietaire);
        EXPECT_TRUE(modal);
        EXPECT_FALSE(a.EstChargee());
        return centre;
    };
    // The owner still hidden, as at start: the middle of the screen.
    EXPECT_LE((afficher() - disponible.center()).manhattanLength(), 12);
    // The owner on screen: over the owner.
    formProprietaire.move(disponible.topLeft() + QPoint(300, 200));
    proprietaire.Montrer();
    QApplication::processEvents();
    EXPECT_LE((afficher() - formProprietaire.frameGeometry().center()).manhattanLength(), 12);
    // At the screen's left edge: kept inside the screen.
    formProprietaire.move(disponible.topLeft() + QPoint(0, 200));
    QApplication::processEvents();
    EXPECT_GE(afficher().x() - disponible.left(), Twips(ConceptionAbout.largeur) / 2 - 2);
}

TEST_F(FaceQt, TheDriveAndFolderListsShowTheirDrivesAndFoldersAndOpenWhatTheUserPicks) {
    volumes->lecteurs = {{"/", "Racine", GenreVolume::Systeme},
                         {"/mnt/nas", "nas", GenreVolume::Reseau}};
    volumes->dossiers = {"/", "/home", "/home/anne", "/home/anne/Documents", "/root"};
    volumes->refuses = {"/root"};
    volumes->pasPrets = {"/mnt/nas"};
    volumes->courant = "/home";
    Recepteur r;
    VueQt vue(ConceptionRepertoire, r);
    auto& lecteurs = *static_cast<QComboBox*>(vue.Widget("drvHisto"));
    auto& dossiers = *static_cast<QListWidget*>(vue.Widget("dirHisto"));
    auto lignes = [&] {
        QStringList l;
        for (int i = 0; i < dossiers.count(); ++i) {
            l << QString(dossiers.item(i)->data(Qt::UserRole).toInt(), ' ') +
                     dossiers.item(i)->text();
        }
        return std::tuple(l, dossiers.currentRow(), vue.Controle("dirHisto").Texte());
    };
    EXPECT_EQ(std::tuple(lecteurs.count(), lecteurs.itemText(1), lecteurs.currentIndex()),
              std::tuple(2, QString("/mnt/nas [nas]"), 0));
    EXPECT_EQ(lignes(), std::tuple(QStringList({"/", " home", "  anne"}), 1, "/home"));

    // Double-click opens; Enter opens the folder the user moved to, and on the current folder
    // presses the default button.
    emit dossiers.itemDoubleClicked(dossiers.item(2));
    EXPECT_EQ(lignes(),
              std::tuple(QStringList({"/", " home", "  anne", "   Documents"}), 2, "/home/anne"));
    dossiers.setCurrentRow(0);
    Touche(dossiers, Qt::Key_Return);
    EXPECT_EQ(lignes(), std::tuple(QStringList({"/", " home", " root"}), 0, "/"));
    Touche(dossiers, Qt::Key_Return);
    Touche(vue.Form(), Qt::Key_Escape);
    vue.Controle("dirHisto").DefinirTexte("/"); // where it is: no change
    // A folder that refuses is the list's own message; nothing changes.
    emit dossiers.itemDoubleClicked(dossiers.item(2));
    EXPECT_EQ(lignes(), std::tuple(QStringList({"/", " home", " root"}), 0, "/"));
    ASSERT_EQ(systeme->messages.size(), 1u);
    EXPECT_EQ(std::get<0>(systeme->messages[0]), std::string(u8"Permission refusée"_ansi));
    // The user picks a drive; the program sets a folder that cannot be read and hears why.
    emit lecteurs.activated(1);
    EXPECT_EQ(vue.Controle("drvHisto").Texte(), "/mnt/nas [nas]");
    EXPECT_THROW(vue.Controle("dirHisto").DefinirTexte("/mnt/nas"), Erreur);
    EXPECT_EQ(lignes(), std::tuple(QStringList({"/", " home", " root"}), 0, "/"));
    using enum Evenement;
    const decltype(r.recus) attendus = {{"dirHisto", Change},
                                        {"dirHisto", Change},
                                        {"OKButton", Click},
                                        {"CancelButton", Click},
                                        {"drvHisto", Change}};
    EXPECT_EQ(r.recus, attendus);
    // Opening the list reads the drives again: a key plugged in meanwhile shows.
    volumes->lecteurs.push_back({"/media/anne/CLE", "CLE", GenreVolume::Amovible});
    lecteurs.showPopup();
    lecteurs.hidePopup();
    EXPECT_EQ(std::tuple(lecteurs.count(), lecteurs.currentText()),
              std::tuple(3, QString("/mnt/nas [nas]")));
}
