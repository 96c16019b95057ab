#include "toolkit/qt/ListesQt.h"

#include "forms/ListesFichiers.h"
#include "toolkit/qt/FormeQt.h"
#include "toolkit/qt/TexteQt.h"

#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QListWidget>
#include <QStyle>
#include <QStyledItemDelegate>

namespace monvalor {

namespace {

QIcon IconeVolume(const QStyle& style, GenreVolume genre) {
    switch (genre) {
    case GenreVolume::Personnel:
        return QIcon::fromTheme(QStringLiteral("user-home"),
                                style.standardIcon(QStyle::SP_DirHomeIcon));
    case GenreVolume::Reseau:
        return QIcon::fromTheme(QStringLiteral("folder-remote"),
                                style.standardIcon(QStyle::SP_DriveNetIcon));
    case GenreVolume::Amovible:
        return QIcon::fromTheme(QStringLiteral("drive-removable-media"),
                                style.standardIcon(QStyle::SP_DriveHDIcon));
    case GenreVolume::Systeme:
    case GenreVolume::Disque:
        break;
    }
    return QIcon::fromTheme(QStringLiteral("drive-harddisk"),
                            style.standardIcon(QStyle::SP_DriveHDIcon));
}

// The drive list reads the drives again each time it opens: a key plugged in meanwhile shows.
class ListeLecteursQt final : public QComboBox, public ListeQt {
public:
    using QComboBox::QComboBox;
    ListeLecteurs modele;

    std::string Valeur() const override { return modele.Lecteur(); }
    void DefinirValeur(const std::string& valeur) override { modele.DefinirLecteur(valeur); }

    void Montrer() {
        const QSignalBlocker silence(this);
        clear();
        for (const Volume& v : modele.Lecteurs()) {
            addItem(IconeVolume(*style(), v.genre), VersQString(TexteLecteur(v)));
        }
        setCurrentIndex(static_cast<int>(modele.Indice()));
    }

    void Choisir(int i) {
        ActionSurListe([&] {
            if (i >= 0 && static_cast<std::size_t>(i) < modele.Lecteurs().size()) {
                modele.DefinirLecteur(TexteLecteur(modele.Lecteurs()[static_cast<std::size_t>(i)]));
            }
        });
        Montrer();
    }

protected:
    void showPopup() override {
        modele.Rafraichir();
        Montrer();
        QComboBox::showPopup();
    }
};

// Each folder one step further in than its parent, as in a tree.
class IndentationDossiers final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kRetrait = 12;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->rect.setLeft(option->rect.left() + kRetrait * index.data(Qt::UserRole).toInt());
    }
};

class ListeDossiersQt final : public QListWidget, public ListeQt {
public:
    explicit ListeDossiersQt(QWidget* parent) : QListWidget(parent) {
        setItemDelegate(new IndentationDossiers(this));
        setIconSize(QSize(16, 16));
        setUniformItemSizes(true);
    }
    ListeDossiers modele;

    std::string Valeur() const override { return modele.Chemin(); }
    void DefinirValeur(const std::string& valeur) override { modele.DefinirChemin(valeur); }

    void Montrer() {
        const QSignalBlocker silence(this);
        clear();
        const QIcon ouvert = style()->standardIcon(QStyle::SP_DirOpenIcon);
        const QIcon ferme = style()->standardIcon(QStyle::SP_DirClosedIcon);
        for (const EntreeDossier& e : modele.Entrees()) {
            auto* element =
                new QListWidgetItem(e.ouvert ? ouvert : ferme, VersQString(e.nom), this);
            element->setData(Qt::UserRole, e.niveau);
            element->setToolTip(BulleQt(e.chemin));
        }
        if (count() > 0) {
            setCurrentRow(static_cast<int>(modele.IndiceCourant()));
        }
    }

    void Ouvrir(int ligne) {
        ActionSurListe([&] { modele.Ouvrir(static_cast<std::size_t>(ligne)); });
        Montrer();
    }

protected:
    // Enter opens the folder the user moved to; on the current folder it is the dialog's.
    void keyPressEvent(QKeyEvent* touche) override {
        const bool entree = touche->key() == Qt::Key_Return || touche->key() == Qt::Key_Enter;
        if (entree && currentRow() >= 0 &&
            static_cast<std::size_t>(currentRow()) != modele.IndiceCourant()) {
            touche->accept();
            Ouvrir(currentRow());
            return;
        }
        QListWidget::keyPressEvent(touche);
    }
};

// A list tells its window of each change, after showing it.
template <typename Liste> Liste* Brancher(Liste* liste, FormQt& form, const ConceptionControle& c) {
    liste->modele.surChangement = [f = &form, &c, liste] {
        liste->Montrer();
        f->Transmettre(c.nom, c.indice, Evenement::Change);
    };
    liste->Montrer();
    return liste;
}

} // namespace

QObject* CreerListeLecteurs(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    auto* liste = Brancher(new ListeLecteursQt(&parent), form, c);
    QObject::connect(liste, &QComboBox::activated, liste, [liste](int i) { liste->Choisir(i); });
    return liste;
}

QObject* CreerListeDossiers(const ConceptionControle& c, QWidget& parent, FormQt& form) {
    auto* liste = Brancher(new ListeDossiersQt(&parent), form, c);
    QObject::connect(liste, &QListWidget::itemDoubleClicked, liste,
                     [liste](QListWidgetItem* element) { liste->Ouvrir(liste->row(element)); });
    return liste;
}

} // namespace monvalor
