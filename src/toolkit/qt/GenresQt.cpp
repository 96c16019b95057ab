#include "toolkit/qt/GenresQt.h"

#include "forms/Regles.h"
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/ListesQt.h"
#include "toolkit/qt/TexteQt.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <array>

namespace monvalor {

namespace {

// Each event of a control goes to the form, which tells the window.
auto Vers(FormQt& form, const ConceptionControle& c, Evenement evenement) {
    return [f = &form, &c, evenement] { f->Transmettre(c.nom, c.indice, evenement); };
}

// A link of the designs: a label that Tab reaches (Enter or Space then opens it, through the
// form's keys), that shows when it has the focus, and that screen readers call a link.
class LienQt final : public QLabel {
public:
    LienQt(QWidget& parent, FormQt& form, const ConceptionControle& c)
        : QLabel(&parent), form_(form), c_(c) {}
    // What a click does.
    void Ouvrir() { form_.Transmettre(c_.nom, c_.indice, Evenement::Click); }

protected:
    void paintEvent(QPaintEvent* evenement) override {
        QLabel::paintEvent(evenement);
        if (!hasFocus()) {
            return;
        }
        QStylePainter peintre(this);
        QStyleOptionFocusRect cadre;
        cadre.initFrom(this);
        // Around the caption, as the system's links show it; only the keyboard brings the
        // focus here, so the style always shows it.
        cadre.rect = style()
                         ->itemTextRect(fontMetrics(), contentsRect(),
                                        static_cast<int>(alignment()), isEnabled(), text())
                         .adjusted(-1, 0, 1, 0)
                         .intersected(rect());
        cadre.state |= QStyle::State_KeyboardFocusChange;
        cadre.backgroundColor = palette().color(backgroundRole());
        peintre.drawPrimitive(QStyle::PE_FrameFocusRect, cadre);
    }

private:
    FormQt& form_;
    const ConceptionControle& c_;
};

// What screen readers hear of a link: its caption, as a link they can open.
class AccessibleLien final : public QAccessibleWidget {
public:
    explicit AccessibleLien(LienQt& lien) : QAccessibleWidget(&lien, QAccessible::Link) {}
    QString text(QAccessible::Text quoi) const override {
        QString t = QAccessibleWidget::text(quoi);
        return quoi == QAccessible::Name && t.isEmpty() ? static_cast<QLabel*>(widget())->text()
                                                        : t;
    }
    QAccessible::State state() const override {
        QAccessible::State etat = QAccessibleWidget::state();
        etat.linked = true;
        return etat;
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<LienQt*>(widget())->Ouvrir();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

QAccessibleInterface* AccessibleDe(const QString&, QObject* objet) {
    auto* lien = dynamic_cast<LienQt*>(objet);
    return lien != nullptr ? new AccessibleLien(*lien) : nullptr;
}

QObject* CreerLabel(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    QLabel* label = nullptr;
    if (EstLien(c)) {
        // Before the first link is made, so that no reader met it without.
        static const bool fabriqueInstallee = (QAccessible::installFactory(AccessibleDe), true);
        static_cast<void>(fabriqueInstallee);
        label = new LienQt(parent, form, c);
    } else {
        label = new QLabel(&parent);
    }
    // Captions come from the language files: shown as written, never as markup, and a label
    // opens nothing by itself (the links of the About window are clicks the window handles).
    label->setTextFormat(Qt::PlainText);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    if (EstLien(c)) {
        // Tab only (the flags above take the focus away): a click opens the link, and leaves
        // the focus where it was.
        label->setFocusPolicy(Qt::TabFocus);
    }
    label->setText(VersQString(c.legende));
    // A picture is centred in its box; a caption that wraps, or a link, starts at the top; a
    // plain one-line caption sits in the middle of its row.
    if (c.genre == Genre::Image) {
        label->setAlignment(Qt::AlignCenter);
    } else if (c.retourLigne || c.lien) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    label->setWordWrap(c.retourLigne);
    // Qt reports no click on a label: the form watches for it.
    label->installEventFilter(&form);
    return label;
}

QObject* CreerZoneTexte(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    if (c.retourLigne) {
        auto* lignes = new QPlainTextEdit(VersQString(c.legende), &parent);
        QObject::connect(lignes, &QPlainTextEdit::textChanged, lignes,
                         Vers(form, c, Evenement::Change));
        return lignes;
    }
    auto* ligne = new QLineEdit(VersQString(c.legende), &parent);
    QObject::connect(ligne, &QLineEdit::textChanged, ligne, Vers(form, c, Evenement::Change));
    return ligne;
}

QAbstractButton* Cliquable(QAbstractButton* bouton, const ConceptionControle& c, FormQt& form) {
    QObject::connect(bouton, &QAbstractButton::clicked, bouton, Vers(form, c, Evenement::Click));
    return bouton;
}

QObject* CreerBouton(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    auto* poussoir = new QPushButton(VersQString(c.legende), &parent);
    // Enter presses the button that has the focus.
    poussoir->setAutoDefault(true);
    poussoir->setDefault(c.defaut);
    return Cliquable(poussoir, c, form);
}

QObject* CreerCase(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    return Cliquable(new QCheckBox(VersQString(c.legende), &parent), c, form);
}

QObject* CreerOption(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    return Cliquable(new QRadioButton(VersQString(c.legende), &parent), c, form);
}

QObject* CreerCadre(const ConceptionControle& c, QWidget& parent, FormQt&) {
    return new QGroupBox(VersQString(c.legende), &parent);
}

QObject* CreerLigne(const ConceptionControle&, QWidget& parent, FormQt&) {
    auto* ligne = new QFrame(&parent);
    ligne->setFrameShape(QFrame::HLine);
    ligne->setFrameShadow(QFrame::Plain);
    ligne->setLineWidth(1);
    return ligne;
}

QObject* CreerMinuterie(const ConceptionControle& c, QWidget&, FormQt& form) {
    auto* minuterie = new QTimer(&form);
    minuterie->setObjectName(VersQString(c.nom));
    QObject::connect(minuterie, &QTimer::timeout, minuterie, Vers(form, c, Evenement::Timer));
    return minuterie;
}

QObject* CreerBarreOutils(const ConceptionControle& c, QWidget& parent, FormQt&) {
    auto* barre = new QToolBar(&parent);
    for (std::string_view cle : c.cles) {
        barre->addAction(VersQString(cle))->setObjectName(VersQString(cle));
    }
    return barre;
}

QObject* CreerListeVue(const ConceptionControle& c, QWidget& parent, FormQt&) {
    auto* liste = new QTreeWidget(&parent);
    liste->setColumnCount(static_cast<int>(c.cles.size()));
    QStringList entetes;
    for (std::string_view cle : c.cles) {
        entetes << VersQString(cle);
    }
    liste->setHeaderLabels(entetes);
    return liste;
}

QObject* CreerBarreProgression(const ConceptionControle&, QWidget& parent, FormQt&) {
    auto* barre = new QProgressBar(&parent);
    barre->setRange(0, EchelleProgressionQt);
    barre->setValue(0);
    barre->setTextVisible(false);
    return barre;
}

std::string TexteLabel(QWidget& w) {
    return DepuisQString(static_cast<QLabel&>(w).text());
}
void DefinirTexteLabel(QWidget& w, const std::string& t) {
    static_cast<QLabel&>(w).setText(VersQString(t));
}
std::string TexteBouton(QWidget& w) {
    return DepuisQString(static_cast<QAbstractButton&>(w).text());
}
void DefinirTexteBouton(QWidget& w, const std::string& t) {
    static_cast<QAbstractButton&>(w).setText(VersQString(t));
}
std::string TexteCadre(QWidget& w) {
    return DepuisQString(static_cast<QGroupBox&>(w).title());
}
void DefinirTexteCadre(QWidget& w, const std::string& t) {
    static_cast<QGroupBox&>(w).setTitle(VersQString(t));
}
// A text box of lines holds Windows line ends; Qt's own are LF.
std::string TexteBoite(QWidget& w) {
    if (auto* lignes = qobject_cast<QPlainTextEdit*>(&w)) {
        return DepuisQString(
            lignes->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
    }
    return DepuisQString(static_cast<QLineEdit&>(w).text());
}
void DefinirTexteBoite(QWidget& w, const std::string& t) {
    if (auto* lignes = qobject_cast<QPlainTextEdit*>(&w)) {
        lignes->setPlainText(VersQString(t).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else {
        static_cast<QLineEdit&>(w).setText(VersQString(t));
    }
}
std::string ValeurListe(QWidget& w) {
    return dynamic_cast<ListeQt&>(w).Valeur();
}
void DefinirValeurListe(QWidget& w, const std::string& t) {
    dynamic_cast<ListeQt&>(w).DefinirValeur(t);
}

void DefinirBulleBouton(QWidget& w, std::size_t position, const std::string& texte) {
    static_cast<QToolBar&>(w)
        .actions()
        .at(static_cast<qsizetype>(position))
        ->setToolTip(BulleQt(texte));
}
void DefinirEnteteColonne(QWidget& w, std::size_t position, const std::string& texte) {
    static_cast<QTreeWidget&>(w).headerItem()->setText(static_cast<int>(position),
                                                       VersQString(texte));
}

using enum Genre;
constexpr std::array<GenreQt, NombreGenres> kGenres = {{
    {Label, CreerLabel, TexteLabel, DefinirTexteLabel, nullptr},
    {ZoneTexte, CreerZoneTexte, TexteBoite, DefinirTexteBoite, nullptr},
    {Bouton, CreerBouton, TexteBouton, DefinirTexteBouton, nullptr},
    {CaseACocher, CreerCase, TexteBouton, DefinirTexteBouton, nullptr},
    {BoutonOption, CreerOption, TexteBouton, DefinirTexteBouton, nullptr},
    {Cadre, CreerCadre, TexteCadre, DefinirTexteCadre, nullptr},
    {Image, CreerLabel, nullptr, nullptr, nullptr},
    {Ligne, CreerLigne, nullptr, nullptr, nullptr},
    {Minuterie, CreerMinuterie, nullptr, nullptr, nullptr},
    {BarreOutils, CreerBarreOutils, nullptr, nullptr, DefinirBulleBouton},
    {ListeVue, CreerListeVue, nullptr, nullptr, DefinirEnteteColonne},
    {ListeLecteurs, CreerListeLecteurs, ValeurListe, DefinirValeurListe, nullptr},
    {ListeDossiers, CreerListeDossiers, ValeurListe, DefinirValeurListe, nullptr},
    {BarreProgression, CreerBarreProgression, nullptr, nullptr, nullptr},
}};

// One description per kind, in the order of Genre, with the properties the core gives it.
constexpr bool Coherent() {
    for (std::size_t i = 0; i < kGenres.size(); ++i) {
        const GenreQt& g = kGenres[i];
        if (static_cast<std::size_t>(g.genre) != i ||
            (g.texte != nullptr) != APropriete(g.genre, Propriete::Texte) ||
            (g.definirCle != nullptr) != APropriete(g.genre, Propriete::TexteCle)) {
            return false;
        }
    }
    return true;
}
static_assert(Coherent());

} // namespace

const GenreQt& DescriptionQt(Genre genre) {
    return kGenres[static_cast<std::size_t>(genre)];
}

QSize PlaceLegendeQt(const QWidget& w, Genre genre, int largeur) {
    switch (genre) {
    case Genre::Label: {
        const auto& label = static_cast<const QLabel&>(w);
        return label.wordWrap() ? QSize(0, label.heightForWidth(largeur)) : label.sizeHint();
    }
    case Genre::Bouton: {
        // The style's own margins around the text, without the least width some styles give
        // every push button.
        const auto& bouton = static_cast<const QPushButton&>(w);
        const QStyle& style = *bouton.style();
        const int marge = style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &bouton) +
                          2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &bouton);
        return bouton.fontMetrics().size(Qt::TextShowMnemonic, bouton.text()) + QSize(marge, marge);
    }
    case Genre::CaseACocher:
    case Genre::BoutonOption:
        return w.sizeHint();
    case Genre::Cadre:
        return {w.minimumSizeHint().width(), 0};
    default:
        return {};
    }
}

} // namespace monvalor
