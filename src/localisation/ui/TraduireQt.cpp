// Qt widgets seen as the controls of a translatable window.
//
// The controls of a form are its descendant widgets that carry an objectName, listed depth
// first in the order in which each was given its parent (the order of QObject::children(),
// as findChildren walks it): a container comes before the widgets it holds. Qt's own inner
// widgets ("qt_..." names) are not controls, though named widgets inside them (the contents
// of a scroll area) are; nor are other windows parented to the form (dialogs, menus), nor the
// buttons that a toolbar makes for its actions, which are reached through their toolbar.
#include "localisation/ui/TraduireQt.h"

#include "localisation/Traducteur.h"
#include "platform/qt/TexteQt.h"
#include "support/Erreur.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>

#include <memory>
#include <vector>

namespace monvalor {

namespace {

// The step asked for something the control does not have; translation skips the step.
[[noreturn]] void ProprieteAbsente() {
    throw Erreur(ErrArgument);
}

// A Qt text as a key: one that Windows-1252 cannot hold could only match by accident once its
// characters became '?', so its look-up fails instead.
std::string Cle(const QString& texte) {
    std::string ansi;
    if (!DepuisQStringExact(texte, ansi)) {
        ProprieteAbsente();
    }
    return ansi;
}

// A label that shows a picture plays the part of a picture box: it has no caption to set.
bool EstImage(const QLabel& label) {
    return !label.pixmap().isNull() || label.movie() != nullptr;
}

GenreControle GenreDe(QWidget& w) {
    if (auto* label = qobject_cast<QLabel*>(&w)) {
        return EstImage(*label) ? GenreControle::Autre : GenreControle::Label;
    }
    if (qobject_cast<QRadioButton*>(&w) != nullptr) {
        return GenreControle::BoutonOption;
    }
    if (qobject_cast<QCheckBox*>(&w) != nullptr) {
        return GenreControle::CaseACocher;
    }
    if (qobject_cast<QPushButton*>(&w) != nullptr || qobject_cast<QToolButton*>(&w) != nullptr) {
        return GenreControle::Bouton;
    }
    if (qobject_cast<QGroupBox*>(&w) != nullptr) {
        return GenreControle::Cadre;
    }
    if (qobject_cast<QLineEdit*>(&w) != nullptr || qobject_cast<QTextEdit*>(&w) != nullptr ||
        qobject_cast<QPlainTextEdit*>(&w) != nullptr) {
        return GenreControle::ZoneTexte;
    }
    if (qobject_cast<QToolBar*>(&w) != nullptr) {
        return GenreControle::BarreOutils;
    }
    if (qobject_cast<QTreeView*>(&w) != nullptr || qobject_cast<QTableView*>(&w) != nullptr) {
        return GenreControle::ListeVue;
    }
    // Only a plain frame holds other controls; lines are plain frames too, but decoration.
    if (w.metaObject() == &QFrame::staticMetaObject) {
        const QFrame::Shape forme = static_cast<QFrame&>(w).frameShape();
        if (forme != QFrame::HLine && forme != QFrame::VLine) {
            return GenreControle::Cadre;
        }
    }
    return GenreControle::Autre;
}

class ControleQt final : public IControleTraduisible {
public:
    explicit ControleQt(QWidget& widget) : widget_(&widget), genre_(GenreDe(widget)) {}

    std::string Nom() const override { return Cle(Widget().objectName()); }
    GenreControle Genre() const override { return genre_; }

    std::string Legende() const override {
        QWidget& w = Widget();
        if (genre_ == GenreControle::Label) {
            return Cle(static_cast<QLabel&>(w).text());
        }
        if (auto* groupe = qobject_cast<QGroupBox*>(&w)) {
            return Cle(groupe->title());
        }
        if (auto* bouton = qobject_cast<QAbstractButton*>(&w)) {
            return Cle(bouton->text());
        }
        ProprieteAbsente();
    }

    void DefinirLegende(const std::string& legende) override {
        QWidget& w = Widget();
        if (genre_ == GenreControle::Label) {
            static_cast<QLabel&>(w).setText(VersQString(legende));
        } else if (auto* groupe = qobject_cast<QGroupBox*>(&w)) {
            groupe->setTitle(VersQString(legende));
        } else if (auto* bouton = qobject_cast<QAbstractButton*>(&w)) {
            bouton->setText(VersQString(legende));
        } else {
            ProprieteAbsente();
        }
    }

    std::string Texte() const override {
        QWidget& w = Widget();
        if (auto* ligne = qobject_cast<QLineEdit*>(&w)) {
            return Cle(ligne->text());
        }
        if (auto* zone = qobject_cast<QTextEdit*>(&w)) {
            return Cle(zone->toPlainText());
        }
        if (auto* zone = qobject_cast<QPlainTextEdit*>(&w)) {
            return Cle(zone->toPlainText());
        }
        ProprieteAbsente();
    }

    void DefinirTexte(const std::string& texte) override {
        QWidget& w = Widget();
        if (auto* ligne = qobject_cast<QLineEdit*>(&w)) {
            ligne->setText(VersQString(texte));
        } else if (auto* zone = qobject_cast<QTextEdit*>(&w)) {
            zone->setPlainText(VersQString(texte));
        } else if (auto* zone = qobject_cast<QPlainTextEdit*>(&w)) {
            zone->setPlainText(VersQString(texte));
        } else {
            ProprieteAbsente();
        }
    }

    void DefinirInfoBulle(const std::string& infoBulle) override {
        Widget().setToolTip(VersQString(infoBulle));
    }

    std::vector<std::string> ClesBoutons() const override {
        auto* barre = qobject_cast<QToolBar*>(&Widget());
        if (barre == nullptr) {
            ProprieteAbsente();
        }
        actions_.clear();
        std::vector<std::string> cles;
        for (QAction* action : barre->actions()) {
            actions_.emplace_back(action);
            std::string cle;
            // A key Windows-1252 cannot hold is no key at all.
            if (!DepuisQStringExact(action->objectName(), cle)) {
                cle.clear();
            }
            cles.push_back(std::move(cle));
        }
        return cles;
    }

    void DefinirInfoBulleBouton(std::size_t indice, const std::string& infoBulle) override {
        if (indice >= actions_.size() || actions_[indice].isNull()) {
            ProprieteAbsente();
        }
        actions_[indice]->setToolTip(VersQString(infoBulle));
    }

    std::vector<std::string> ClesColonnes() const override {
        const QAbstractItemModel* modele = Modele();
        std::vector<std::string> cles;
        const int colonnes = modele->columnCount();
        for (int colonne = 0; colonne < colonnes; ++colonne) {
            const QVariant cle = modele->headerData(colonne, Qt::Horizontal, Qt::UserRole);
            std::string ansi;
            if (!cle.isValid() || !DepuisQStringExact(cle.toString(), ansi)) {
                ansi.clear();
            }
            cles.push_back(std::move(ansi));
        }
        return cles;
    }

    void DefinirEnTeteColonne(std::size_t indice, const std::string& texte) override {
        QAbstractItemModel* modele = Modele();
        if (indice >= static_cast<std::size_t>(modele->columnCount()) ||
            !modele->setHeaderData(static_cast<int>(indice), Qt::Horizontal, VersQString(texte),
                                   Qt::DisplayRole)) {
            ProprieteAbsente();
        }
    }

private:
    // The widget may go while the window translates itself, when a change handler that a
    // new text sets off unloads the window.
    QWidget& Widget() const {
        if (widget_.isNull()) {
            ProprieteAbsente();
        }
        return *widget_;
    }

    QAbstractItemModel* Modele() const {
        auto* vue = qobject_cast<QAbstractItemView*>(&Widget());
        if (vue == nullptr || vue->model() == nullptr) {
            ProprieteAbsente();
        }
        return vue->model();
    }

    QPointer<QWidget> widget_;
    GenreControle genre_;
    mutable std::vector<QPointer<QAction>> actions_;
};

bool EstInterne(const QObject& objet) {
    return objet.objectName().startsWith(QLatin1String("qt_"));
}

// The buttons a toolbar makes for its actions belong to the toolbar.
bool EstBoutonDeBarre(const QWidget& w) {
    return qobject_cast<const QToolButton*>(&w) != nullptr &&
           qobject_cast<const QToolBar*>(w.parentWidget()) != nullptr;
}

void Recenser(QObject& parent, std::vector<QWidget*>& controles) {
    for (QObject* enfant : parent.children()) {
        auto* w = qobject_cast<QWidget*>(enfant);
        if (w == nullptr || w->isWindow()) {
            continue;
        }
        if (!w->objectName().isEmpty() && !EstInterne(*w) && !EstBoutonDeBarre(*w)) {
            controles.push_back(w);
        }
        Recenser(*w, controles);
    }
}

class FormulaireQt final : public IFormulaireTraduisible {
public:
    explicit FormulaireQt(QWidget& form) : form_(&form) {}

    std::string Nom() const override { return Cle(Form().objectName()); }
    void DefinirLegende(const std::string& legende) override {
        Form().setWindowTitle(VersQString(legende));
    }

    std::vector<IControleTraduisible*> Controles() override {
        std::vector<QWidget*> widgets;
        Recenser(Form(), widgets);
        controles_.clear();
        controles_.reserve(widgets.size());
        std::vector<IControleTraduisible*> resultat;
        resultat.reserve(widgets.size());
        for (QWidget* w : widgets) {
            controles_.push_back(std::make_unique<ControleQt>(*w));
            resultat.push_back(controles_.back().get());
        }
        return resultat;
    }

private:
    QWidget& Form() const {
        if (form_.isNull()) {
            ProprieteAbsente();
        }
        return *form_;
    }

    QPointer<QWidget> form_;
    std::vector<std::unique_ptr<ControleQt>> controles_;
};

} // namespace

void TraduireFormulaire(QWidget& form) {
    try {
        FormulaireQt formulaire(form);
        TraduireFormulaire(static_cast<IFormulaireTraduisible&>(formulaire));
    } catch (...) {
        // Translation never stops the window it was asked to translate.
    }
}

} // namespace monvalor
