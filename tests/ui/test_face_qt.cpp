// The Qt face over every window's design table: the native form it builds, and the events it
// routes to the window, on Qt's offscreen platform.
#include "about/frmAbout.h"
#include "converter/frmConvertisseur.h"
#include "support/TexteSource.h"
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/TexteQt.h"

#include "Doubles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

// The program's pictures are compiled into the face's static library.
static void ChargerRessources() {
    Q_INIT_RESOURCE(monvalor);
}

using namespace monvalor;
using namespace monvalor::test;

namespace {

struct Recu {
    std::string controle;
    int indice;
    Evenement evenement;
    bool operator==(const Recu&) const = default;
};

class Recepteur final : public IRecepteur {
public:
    std::vector<Recu> recus;
    void Recevoir(std::string_view c, int i, Evenement e) override {
        recus.push_back({std::string(c), i, e});
    }
};

// The kinds no window of the program uses yet, in a frame.
constexpr std::string_view kCles[] = {"k0", "k1"};
constexpr Police kGras{"Tahoma", 10, true};
constexpr ConceptionControle kControles[] = {
    {.genre = Genre::Cadre,
     .nom = "fraCadre",
     .legende = "Cadre",
     .position = {60, 60, 3000, 1500}},
    {.genre = Genre::Label,
     .nom = "lblNom",
     .legende = "Nom",
     .position = {90, 300, 900, 255},
     .conteneur = "fraCadre"},
    {.genre = Genre::ZoneTexte,
     .nom = "txtNom",
     .position = {1000, 300, 1500, 285},
     .tabulation = 1,
     .police = &kGras,
     .conteneur = "fraCadre",
     .actif = false},
    {.genre = Genre::CaseACocher,
     .nom = "chkA",
     .legende = "A",
     .position = {60, 1700, 1000, 255},
     .tabulation = 2,
     .visible = false},
    {.genre = Genre::BoutonOption,
     .nom = "optB",
     .legende = "B",
     .position = {60, 2000, 1000, 255},
     .tabulation = 0,
     .infoBulle = "Bulle"},
    {.genre = Genre::ZoneTexte, .nom = "txtSansLibelle", .position = {1100, 1700, 1000, 285}},
    {.genre = Genre::BarreOutils,
     .nom = "tbrOutils",
     .position = {60, 2300, 3000, 400},
     .cles = kCles},
    {.genre = Genre::ListeVue,
     .nom = "lvwListe",
     .position = {60, 2800, 3000, 900},
     .tabulation = 3,
     .cles = kCles},
};
constexpr ConceptionFenetre kEssai{.nom = "frmEssai",
                                   .legende = "Essai",
                                   .largeur = 3200,
                                   .hauteur = 3800,
                                   .police = {"MS Sans Serif", 8.25},
                                   .controles = kControles};

const ConceptionFenetre* const kTables[] = {&ConceptionConvertisseur, &ConceptionAbout, &kEssai};

bool EstDuGenre(QWidget* w, Genre g) {
    switch (g) {
    case Genre::Label:
    case Genre::Image:
        return qobject_cast<QLabel*>(w) != nullptr;
    case Genre::ZoneTexte:
        return qobject_cast<QLineEdit*>(w) != nullptr;
    case Genre::Bouton:
        return qobject_cast<QPushButton*>(w) != nullptr;
    case Genre::CaseACocher:
        return qobject_cast<QCheckBox*>(w) != nullptr;
    case Genre::BoutonOption:
        return qobject_cast<QRadioButton*>(w) != nullptr;
    case Genre::Cadre:
        return qobject_cast<QGroupBox*>(w) != nullptr;
    case Genre::Ligne:
        return qobject_cast<QFrame*>(w) != nullptr;
    case Genre::BarreOutils:
        return qobject_cast<QToolBar*>(w) != nullptr;
    case Genre::ListeVue:
        return qobject_cast<QTreeWidget*>(w) != nullptr;
    case Genre::Minuterie:
        return w == nullptr;
    }
    return false;
}

void Touche(QWidget& w, int touche) {
    QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier);
    QApplication::sendEvent(&w, &appui);
}

void Relacher(QWidget& w, QPoint position, Qt::MouseButton bouton = Qt::LeftButton) {
    const QPoint global = w.mapToGlobal(position);
    QMouseEvent relache(QEvent::MouseButtonRelease, position, global, bouton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&w, &relache);
}

// Lets the deferred destruction of unloaded forms happen.
void Digerer() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class FaceQt : public ::testing::Test {
protected:
    std::shared_ptr<SystemeEspion> systeme = std::make_shared<SystemeEspion>();
    std::shared_ptr<BoiteMessageEspion> boites = std::make_shared<BoiteMessageEspion>();

    void SetUp() override {
        RemettreFenetresEtServices();
        Plateforme().formulaires = std::make_shared<FabriqueQt>();
        Plateforme().pressePapier = std::make_shared<PressePapierMemoire>();
        Plateforme().systeme = systeme;
        Plateforme().boiteMessage = boites;
    }
    void TearDown() override {
        RemettreFenetresEtServices();
        Digerer();
    }
};

} // namespace

TEST_F(FaceQt, BuildsEveryTableAsDesigned) {
    for (const ConceptionFenetre* t : kTables) {
        SCOPED_TRACE(std::string(t->nom));
        Recepteur r;
        VueQt vue(*t, r);
        QWidget& form = vue.Form();
        EXPECT_EQ(form.objectName(), VersQString(t->nom));
        EXPECT_EQ(form.windowTitle(), VersQString(t->legende));
        EXPECT_EQ(form.size(), QSize(Twips(t->largeur), Twips(t->hauteur)));
        EXPECT_EQ(form.font().families().value(0), VersQString(t->police.face));
        EXPECT_EQ(form.windowType() == Qt::Dialog, t->bordure == Bordure::Dialogue);

        std::vector<std::pair<int, QWidget*>> ordre;
        std::string dernierLabel;
        for (const ConceptionControle& c : t->controles) {
            SCOPED_TRACE(std::string(c.nom));
            QWidget* w = vue.Widget(c.nom, c.indice);
            EXPECT_TRUE(EstDuGenre(w, c.genre));
            if (c.genre == Genre::Minuterie) {
                EXPECT_NE(vue.Minuterie(c.nom), nullptr);
                continue;
            }
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->objectName(), VersQString(c.nom));
            EXPECT_EQ(w->parentWidget(), c.conteneur.empty() ? &form : vue.Widget(c.conteneur));
            EXPECT_EQ(w->geometry(), QRect(Twips(c.position.gauche), Twips(c.position.haut),
                                           Twips(c.position.largeur), Twips(c.position.hauteur)));
            const Police& p = c.police ? *c.police : t->police;
            EXPECT_EQ(w->font().families().value(0), VersQString(p.face));
            EXPECT_EQ(w->font().bold(), p.gras);
            EXPECT_EQ(w->font().underline(), p.souligne);
            EXPECT_DOUBLE_EQ(w->font().pointSizeF(), p.points);
            EXPECT_EQ(w->toolTip(), VersQString(c.infoBulle));
            EXPECT_EQ(!w->isHidden(), c.visible);
            EXPECT_EQ(w->isEnabled(), c.actif);
            EXPECT_EQ(w->cursor().shape() == Qt::PointingHandCursor, c.lien);
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
        // Tab goes from one control to the next by tab index; the first has the focus.
        std::sort(ordre.begin(), ordre.end());
        ASSERT_FALSE(ordre.empty());
        for (std::size_t i = 1; i < ordre.size(); ++i) {
            QWidget* suivant = ordre[i - 1].second->nextInFocusChain();
            while (suivant->focusPolicy() == Qt::NoFocus) {
                suivant = suivant->nextInFocusChain();
            }
            EXPECT_EQ(suivant, ordre[i].second) << i;
        }
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(form.focusWidget(), ordre.front().second);
    }
}

TEST_F(FaceQt, ToolbarButtonsAndListColumnsTakeTextsByPosition) {
    Recepteur r;
    {
        // A picture box shows an icon at the size the designs give it.
        ChargerRessources();
        VueQt about(ConceptionAbout, r);
        about.Controle(u8"Icône"_ansi).DefinirImage("monvalor");
        auto* image = static_cast<QLabel*>(about.Widget(u8"Icône"_ansi));
        EXPECT_EQ(image->pixmap().deviceIndependentSize().toSize().width(), 32);
    }
    VueQt vue(kEssai, r);
    vue.Controle("tbrOutils").DefinirTexteCle(1, "Ouvrir");
    vue.Controle("lvwListe").DefinirTexteCle(0, "Nom");
    EXPECT_THROW(vue.Controle("lvwListe").DefinirTexteCle(2, "Trop"), Erreur);
    EXPECT_THROW(vue.Controle("chkA").DefinirTexteCle(0, "Non"), Erreur);
    EXPECT_EQ(static_cast<QToolBar*>(vue.Widget("tbrOutils"))->actions().at(1)->toolTip(),
              QStringLiteral("Ouvrir"));
    auto* liste = static_cast<QTreeWidget*>(vue.Widget("lvwListe"));
    EXPECT_EQ(liste->headerItem()->text(0), QStringLiteral("Nom"));
    EXPECT_EQ(liste->headerItem()->text(1), QStringLiteral("k1"));
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
    const std::vector<Recu> attendus = {
        {"cmdSysInfo", -1, Evenement::Click}, {"lblSite", -1, Evenement::Click},
        {"cmdOK", -1, Evenement::Click},      {"cmdOK", -1, Evenement::Click},
        {"", -1, Evenement::Fermeture},       {"txtTaux", -1, Evenement::Change},
        {"Timer", -1, Evenement::Timer},
    };
    EXPECT_EQ(std::vector<Recu>(r.recus.begin(), r.recus.begin() + 7), attendus);
}

TEST_F(FaceQt, TheAboutWindowClosesWithItsKeysAndShowsModallyOverItsOwner) {
    // Enter on a focused button presses that button, not the default one.
    frmAbout& a = frmAbout::Defaut();
    a.Charger();
    auto& vue = dynamic_cast<VueQt&>(a.Vue());
    Touche(*vue.Widget("cmdSysInfo"), Qt::Key_Return);
    EXPECT_TRUE(a.EstChargee());
    EXPECT_EQ(boites->messages.size(), 1u);
    Touche(vue.Form(), Qt::Key_Escape);
    EXPECT_FALSE(a.EstChargee());
    Digerer();

    Plateforme().instancePrecedente = true; // the owner loads without its welcome
    frmConvertisseur& proprietaire = frmConvertisseur::Defaut();
    proprietaire.Charger();
    QWidget& formProprietaire = dynamic_cast<VueQt&>(proprietaire.Vue()).Form();
    const QRect disponible = QGuiApplication::primaryScreen()->availableGeometry();
    auto afficher = [&] {
        bool modal = false;
        QPoint centre;
        QObject portee; // the timers die with this call
        QTimer::singleShot(0, &portee, [&] {
            QWidget& form = dynamic_cast<VueQt&>(a.Vue()).Form();
            modal = form.isVisible() && form.windowModality() == Qt::ApplicationModal &&
                    form.parentWidget() == &formProprietaire;
            centre = form.frameGeometry().center();
            static_cast<QPushButton*>(dynamic_cast<VueQt&>(a.Vue()).Widget("cmdOK"))->click();
        });
        bool garde = false;
        QTimer::singleShot(5000, &portee, [&] {
            garde = true;
            a.Decharger();
        });
        a.Afficher(proprietaire);
        EXPECT_FALSE(garde) << "Afficher did not return";
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

TEST_F(FaceQt, AnErrorInAHandlerIsShownAndEndsTheProgramWithoutCrossingQt) {
    struct Fautive final : Fenetre {
        Fautive() : Fenetre(ConceptionAbout) {}
        void Gerer(std::string_view, int, Evenement) override { throw Erreur(ErrDivision); }
    } f;
    static_cast<QPushButton*>(dynamic_cast<VueQt&>(f.Vue()).Widget("cmdOK"))->click();
    EXPECT_EQ(boites->messages,
              (std::vector<MessageVu>{{DescriptionErreur(ErrDivision), MsgCritique, ""}}));
    EXPECT_EQ(systeme->fins, std::vector<int>{1});
}
