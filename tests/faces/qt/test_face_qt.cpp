// The Qt face: the face contract over its native widgets, and what only it does.
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/ServicesQt.h"
#include "toolkit/qt/TexteQt.h"

#include "Agencement.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

using namespace monvalor;
using namespace monvalor::test;
using namespace monvalor::test::contrat;

namespace {

void Frapper(QWidget& w, int touche, const QString& texte = {}) {
    QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier, texte);
    QApplication::sendEvent(&w, &appui);
}

void Relacher(QWidget& w, QPoint position, Qt::MouseButton bouton = Qt::LeftButton) {
    QMouseEvent relache(QEvent::MouseButtonRelease, position, w.mapToGlobal(position), bouton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &relache);
}

// What Qt shows of a tip: one that looks like markup as rich text, any other as it is.
QString BulleMontree(const QString& bulle) {
    return Qt::mightBeRichText(bulle) ? QTextDocumentFragment::fromHtml(bulle).toPlainText()
                                      : bulle;
}

// The Qt class each kind is built as, in the order of Genre; a timer has no widget.
const char* const kClasses[] = {"QLabel",       "QLineEdit",   "QPushButton", "QCheckBox",
                                "QRadioButton", "QGroupBox",   "QLabel",      "QFrame",
                                nullptr,        "QToolBar",    "QTreeWidget", "QComboBox",
                                "QListWidget",  "QProgressBar"};

struct AdaptateurQt {
    using Vue = VueQt;
    static std::shared_ptr<IFabriqueFormulaires> Fabrique() {
        return std::make_shared<FabriqueQt>();
    }
    static std::unique_ptr<Vue> Creer(const ConceptionFenetre& c, IRecepteur& r) {
        return std::make_unique<VueQt>(c, r);
    }
    static std::optional<Genre> GenreNatif(Vue& vue, const ConceptionControle& c) {
        QWidget* w = vue.Widget(c.nom, c.indice);
        if (w == nullptr) {
            return vue.Minuterie(c.nom) ? std::optional(Genre::Minuterie) : std::nullopt;
        }
        const std::string_view classe = w->metaObject()->className();
        const auto* label = qobject_cast<QLabel*>(w);
        for (std::size_t g = 0; g < std::size(kClasses); ++g) {
            const auto genre = static_cast<Genre>(g);
            // A picture box is a label too, centred.
            const bool centre = genre == Genre::Image || genre == Genre::Label
                                    ? label != nullptr && (label->alignment() == Qt::AlignCenter) ==
                                                              (genre == Genre::Image)
                                    : true;
            if (kClasses[g] != nullptr && centre &&
                classe ==
                    (genre == Genre::ZoneTexte && c.retourLigne ? "QPlainTextEdit" : kClasses[g])) {
                return genre;
            }
        }
        return std::nullopt;
    }
    static std::string Conteneur(Vue& vue, const ConceptionControle& c) {
        QWidget* parent = vue.Widget(c.nom, c.indice)->parentWidget();
        return parent == &vue.Form() ? "" : DepuisQString(parent->objectName());
    }
    static std::string Libelle(Vue& vue, const ConceptionControle& c) {
        // The name a screen reader says, and the label whose mnemonic leads here.
        QWidget* w = vue.Widget(c.nom, c.indice);
        const auto libelles = vue.Form().findChildren<QLabel*>();
        const auto amis = std::count_if(libelles.begin(), libelles.end(),
                                        [&](QLabel* l) { return l->buddy() == w; });
        EXPECT_EQ(amis, w->accessibleName().isEmpty() ? 0 : 1);
        return DepuisQString(w->accessibleName());
    }
    static void VerifierNatif(Vue& vue, const ConceptionFenetre& t, const ConceptionControle& c) {
        QWidget& w = *vue.Widget(c.nom, c.indice);
        // What has no caption stands exactly as designed; a caption may take room around it.
        const QRect dessin(QPoint(Twips(c.position.gauche), Twips(c.position.haut)),
                           QPoint(Twips(c.position.gauche + c.position.largeur) - 1,
                                  Twips(c.position.haut + c.position.hauteur) - 1));
        if (AUneLegende(c.genre)) {
            EXPECT_TRUE(w.geometry().intersects(dessin));
        } else {
            EXPECT_EQ(w.geometry(), dessin);
        }
        const Police& p = c.police ? *c.police : t.police;
        const QFont& q = w.font();
        EXPECT_EQ(std::tuple(q.families().value(0), q.pointSizeF(), q.bold(), q.underline()),
                  std::tuple(VersQString(p.face), p.points, p.gras, p.souligne));
        EXPECT_EQ(std::tuple(w.objectName(), w.cursor().shape() == Qt::PointingHandCursor),
                  std::tuple(VersQString(c.nom), c.lien));
        if (c.couleur != SansCouleur) {
            EXPECT_EQ(w.palette().color(QPalette::WindowText).rgb() & 0xFFFFFF,
                      static_cast<QRgb>(c.couleur));
        }
        if (auto* bouton = qobject_cast<QPushButton*>(&w)) {
            EXPECT_EQ(bouton->isDefault(), c.defaut);
        }
        if (c.genre == Genre::Label) {
            EXPECT_EQ(static_cast<QLabel&>(w).wordWrap(), c.retourLigne);
        }
        // Captions and tips are shown as written; no label opens a link by itself.
        if (const auto* label = qobject_cast<QLabel*>(&w)) {
            EXPECT_EQ(std::tuple(label->textFormat(), label->openExternalLinks(),
                                 label->textInteractionFlags() == Qt::NoTextInteraction),
                      std::tuple(Qt::PlainText, false, true));
        }
        EXPECT_EQ(BulleMontree(w.toolTip()), VersQString(c.infoBulle));
        // The form itself, once per table.
        if (&c == t.controles.data()) {
            QWidget& form = vue.Form();
            EXPECT_EQ(std::tuple(form.objectName(), form.size(), form.font().families().value(0),
                                 form.windowType() == Qt::Dialog),
                      std::tuple(VersQString(t.nom), QSize(Twips(t.largeur), Twips(t.hauteur)),
                                 VersQString(t.police.face), t.bordure == Bordure::Dialogue));
        }
    }
    // The room the style itself gives the text: a button's or a check box's contents, a
    // label's contents, a frame's width less its corners.
    static Place Placer(Vue& vue, const ConceptionControle& c) {
        QWidget& w = *vue.Widget(c.nom, c.indice);
        Place p{w.x(), w.y(), w.x() + w.width(), w.y() + w.height()};
        QSize texte, place = w.contentsRect().size();
        const QFontMetrics fm = w.fontMetrics();
        QStyleOptionButton option;
        option.initFrom(&w);
        if (auto* label = qobject_cast<QLabel*>(&w); label != nullptr && c.genre == Genre::Label) {
            texte =
                fm.boundingRect(QRect(QPoint(), place),
                                Qt::TextShowMnemonic | (label->wordWrap() ? Qt::TextWordWrap : 0),
                                label->text())
                    .size();
        } else if (auto* bouton = qobject_cast<QAbstractButton*>(&w)) {
            texte = fm.size(Qt::TextShowMnemonic, bouton->text());
            const auto element = qobject_cast<QCheckBox*>(&w)      ? QStyle::SE_CheckBoxContents
                                 : qobject_cast<QRadioButton*>(&w) ? QStyle::SE_RadioButtonContents
                                                                   : QStyle::SE_PushButtonContents;
            place = w.style()->subElementRect(element, &option, &w).size();
        } else if (auto* cadre = qobject_cast<QGroupBox*>(&w)) {
            texte = QSize(fm.horizontalAdvance(cadre->title()), 0);
            place = QSize(w.width() - 2 * fm.horizontalAdvance(QLatin1Char('x')), 0);
        }
        p.texteLargeur = texte.width();
        p.texteHauteur = texte.height();
        p.placeLargeur = place.width();
        p.placeHauteur = place.height();
        return p;
    }
    static std::vector<std::string> OrdreTabulation(Vue& vue, const ConceptionFenetre& t) {
        // Tab goes from one tab stop to the next, from the first in tab order.
        std::vector<std::pair<int, QWidget*>> arrets;
        for (const ConceptionControle& c : t.controles) {
            QWidget* w = vue.Widget(c.nom, c.indice);
            if (w != nullptr && c.tabulation != SansTabulation && w->focusPolicy() != Qt::NoFocus) {
                arrets.emplace_back(c.tabulation, w);
            }
        }
        std::vector<std::string> noms;
        std::sort(arrets.begin(), arrets.end());
        for (QWidget* w = arrets.front().second; noms.size() < arrets.size();
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() != Qt::NoFocus) {
                noms.push_back(DepuisQString(w->objectName()));
            }
        }
        return noms;
    }
    static std::string Focus(Vue& vue) {
        vue.Form().show();
        QApplication::processEvents();
        QWidget* w = vue.Form().focusWidget();
        return w ? DepuisQString(w->objectName()) : "";
    }
    static double PositionBarre(Vue& vue, std::string_view nom) {
        const auto* barre = static_cast<QProgressBar*>(vue.Widget(nom));
        return static_cast<double>(barre->value()) / barre->maximum();
    }
    static void Cliquer(Vue& vue, std::string_view nom) {
        QWidget* w = vue.Widget(nom);
        if (auto* bouton = qobject_cast<QAbstractButton*>(w)) {
            bouton->click();
        } else {
            Relacher(*w, {5, 5});
        }
    }
    static void Taper(Vue& vue, std::string_view nom, char c) {
        Frapper(*vue.Widget(nom), Qt::Key_0 + (c - '0'), QString(QChar(c)));
    }
    static std::string Tabuler(Vue& vue) {
        Frapper(*vue.Form().focusWidget(), Qt::Key_Tab);
        return DepuisQString(vue.Form().focusWidget()->objectName());
    }
    static void Appuyer(Vue& vue, std::string_view focus, monvalor::Touche touche) {
        using enum monvalor::Touche;
        vue.Widget(focus)->setFocus(Qt::TabFocusReason);
        Frapper(*vue.Widget(focus), touche == Entree   ? Qt::Key_Return
                                    : touche == Espace ? Qt::Key_Space
                                                       : Qt::Key_Escape);
    }
    static void Fermer(Vue& vue) { vue.Form().close(); }
    static void AttendreTic(Vue& vue, std::string_view nom) {
        QEventLoop boucle;
        QObject::connect(vue.Minuterie(nom), &QTimer::timeout, &boucle, &QEventLoop::quit);
        QTimer::singleShot(5000, &boucle, &QEventLoop::quit);
        boucle.exec();
    }
    // Lets the deferred destruction of unloaded forms happen.
    static void Digerer() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

class FaceQt : public ContratFace<AdaptateurQt> {};

} // namespace

namespace monvalor::test::contrat {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ContratFace, AdaptateurQt);
}

// Run at each scale a screen may have (QT_SCALE_FACTOR): every caption whole, nothing covered.
TEST_F(FaceQt, EveryWindowShowsEachCaptionWholeWithoutOverlap) {
    for (const auto& [t, tabulation] : kTables) {
        if (t == &kEssai) {
            continue; // the kinds no window uses, piled up on purpose
        }
        SCOPED_TRACE(std::string(t->nom));
        Recepteur r;
        const auto vue = AdaptateurQt::Creer(*t, r);
        VerifierAgencement<AdaptateurQt>(*vue, *t, 1);
        if (t == &ConceptionConvertisseur) {
            VerifierLegendeChangee<AdaptateurQt>(*vue, t->controles[0]);
        }
    }
}

TEST_F(FaceQt, PicturesShowTheirIconAtTheDesignsSizeAndLinksTakeOnlyALeftClick) {
    Q_INIT_RESOURCE(monvalor); // the program's pictures, in the face's static library
    Recepteur r;
    VueQt about(ConceptionAbout, r);
    about.Controle(u8"Icône"_ansi).DefinirImage("monvalor");
    const auto* image = static_cast<QLabel*>(about.Widget(u8"Icône"_ansi));
    EXPECT_EQ(image->pixmap().deviceIndependentSize().width(), 32.0);
    // Neither another button nor a release dragged off the label is a click.
    QWidget& site = *about.Widget("lblSite");
    Relacher(site, {5, 5}, Qt::RightButton);
    Relacher(site, {-20, 5});
    EXPECT_TRUE(r.recus.empty());
    // Toolbar buttons' tips and list columns' headers are the face's to show.
    VueQt vue(kEssai, r);
    // Tips as written, markup included.
    const std::string balises = "<b>Ouvrir</b> & <img src=\"/tmp/x.png\">";
    vue.Controle("tbrOutils").DefinirTexteCle(1, balises);
    vue.Controle("lvwListe").DefinirTexteCle(0, "Nom");
    vue.Controle("optB").DefinirInfoBulle(balises);
    const QTreeWidgetItem* entete = static_cast<QTreeWidget*>(vue.Widget("lvwListe"))->headerItem();
    EXPECT_EQ(QStringList(
                  {BulleMontree(
                       static_cast<QToolBar*>(vue.Widget("tbrOutils"))->actions().at(1)->toolTip()),
                   BulleMontree(vue.Widget("optB")->toolTip()), entete->text(0), entete->text(1)}),
              QStringList({VersQString(balises), VersQString(balises), "Nom", "k1"}));
    EXPECT_EQ(vue.Controle("optB").InfoBulle(), balises);
}

TEST_F(FaceQt, AFocusedLinkShowsItAndScreenReadersHearALinkTheyCanOpen) {
    Recepteur r;
    VueQt about(ConceptionAbout, r);
    about.Montrer();
    QApplication::processEvents();
    QWidget& site = *about.Widget("lblSite");
    const QImage sansFocus = site.grab().toImage();
    site.setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(site.hasFocus());
    EXPECT_NE(site.grab().toImage(), sansFocus);
    QAccessibleInterface* lien = QAccessible::queryAccessibleInterface(&site);
    ASSERT_NE(lien, nullptr);
    EXPECT_EQ(std::tuple(lien->role(), lien->text(QAccessible::Name), lien->state().linked,
                         lien->state().focused),
              std::tuple(QAccessible::Link, static_cast<QLabel&>(site).text(), true, true));
    lien->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(r.recus, (decltype(r.recus){{"lblSite", Evenement::Click}}));
    // The other labels stay text.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(about.Widget("lblTitle"))->role(),
              QAccessible::StaticText);
}

TEST_F(FaceQt, TheAboutWindowClosesWithItsKeysAndShowsModallyOverItsOwner) {
    // Enter on a focused button presses that button, not the default one.
    frmAbout& a = frmAbout::Defaut();
    Frapper(*dynamic_cast<VueQt&>(a.Vue()).Widget("cmdSysInfo"), Qt::Key_Return);
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
    Frapper(dossiers, Qt::Key_Return);
    EXPECT_EQ(lignes(), std::tuple(QStringList({"/", " home", " root"}), 0, "/"));
    Frapper(dossiers, Qt::Key_Return);
    Frapper(vue.Form(), Qt::Key_Escape);
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

// The box's text may come from a server: never markup, never a right-to-left override, never
// more than fits the screen.
TEST_F(FaceQt, MessageBoxesShowTheirTextAsWrittenAndBounded) {
    const auto montrer = [](const std::string& texte) {
        QString vu;
        Qt::TextFormat format = Qt::AutoText;
        QObject portee;
        QTimer::singleShot(0, &portee, [&] {
            if (auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                vu = b->text();
                format = b->textFormat();
                b->buttons().front()->click();
            }
        });
        QTimer::singleShot(5000, &portee, [] {
            if (QWidget* b = QApplication::activeModalWidget()) {
                b->close();
            }
        });
        BoiteMessageQt().Afficher(texte, MsgOK, "");
        EXPECT_EQ(format, Qt::PlainText);
        return vu;
    };
    const std::string balises = "<h1 style='color:red'>Gros</h1><img src=\"/usr/share/x.png\">"
                                "<a href=\"file:///etc/passwd\">ici</a>";
    EXPECT_EQ(montrer(balises), VersQString(balises));
    // U+202E in UTF-8, arriving as bytes: three characters of the code page.
    const QString inverse = montrer("\xE2\x80\xAE"
                                    "exe.txt");
    EXPECT_FALSE(inverse.contains(QChar(0x202E)));
    EXPECT_EQ(inverse, QStringLiteral(u"\u00E2\u20AC\u00AEexe.txt"));
    std::string cent;
    for (int i = 0; i < 100; ++i) {
        cent += "ligne\r\n";
    }
    EXPECT_EQ(montrer(cent).count(QLatin1Char('\n')), 24);
}
