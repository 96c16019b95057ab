#include "toolkit/qt/FormeQt.h"

#include "forms/ListesFichiers.h"
#include "support/Erreur.h"
#include "toolkit/qt/TexteQt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace monvalor {

namespace {

QStringList Familles(std::string_view face) {
    if (face == "MS Sans Serif") {
        return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
    }
    if (face == "Times New Roman") {
        return {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                QStringLiteral("Times"), QStringLiteral("DejaVu Serif")};
    }
    return {VersQString(face), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
            QStringLiteral("DejaVu Sans")};
}

QRect Geometrie(const Rectangle& r) {
    return {Twips(r.gauche), Twips(r.haut), Twips(r.largeur), Twips(r.hauteur)};
}

QIcon IconeProgramme(std::string_view nom) {
    return QIcon(QStringLiteral(":/monvalor/") + VersQString(nom) + QStringLiteral(".png"));
}

// The size at which a picture box of the designs shows an icon.
constexpr int kCoteIcone = 32;

bool PrendLeFocus(Genre genre) {
    return genre == Genre::ZoneTexte || genre == Genre::Bouton || genre == Genre::CaseACocher ||
           genre == Genre::BoutonOption || genre == Genre::ListeVue ||
           genre == Genre::ListeLecteurs || genre == Genre::ListeDossiers;
}

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
class ListeLecteursQt final : public QComboBox {
public:
    using QComboBox::QComboBox;
    ListeLecteurs modele;

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

class ListeDossiersQt final : public QListWidget {
public:
    explicit ListeDossiersQt(QWidget* parent) : QListWidget(parent) {
        setItemDelegate(new IndentationDossiers(this));
        setIconSize(QSize(16, 16));
        setUniformItemSizes(true);
    }
    ListeDossiers modele;

    void Montrer() {
        const QSignalBlocker silence(this);
        clear();
        const QIcon ouvert = style()->standardIcon(QStyle::SP_DirOpenIcon);
        const QIcon ferme = style()->standardIcon(QStyle::SP_DirClosedIcon);
        for (const EntreeDossier& e : modele.Entrees()) {
            auto* element =
                new QListWidgetItem(e.ouvert ? ouvert : ferme, VersQString(e.nom), this);
            element->setData(Qt::UserRole, e.niveau);
            element->setToolTip(VersQString(e.chemin));
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

[[noreturn]] void ProprieteAbsente() {
    throw Erreur(ErrArgument);
}

} // namespace

QFont PoliceQt(const Police& police) {
    QFont f;
    f.setFamilies(Familles(police.face));
    f.setPointSizeF(police.points);
    f.setBold(police.gras);
    f.setUnderline(police.souligne);
    if (police.face == "MS Sans Serif") {
        // The free faces run a little wider than the design's bitmap face: narrowed just
        // enough that every caption fits its label.
        f.setStretch(95);
    }
    return f;
}

class ControleQt final : public IControle {
public:
    ControleQt(const ConceptionControle& conception, const Police& police, QWidget* widget,
               QTimer* minuterie)
        : conception_(conception), police_(police), widget_(widget), minuterie_(minuterie) {}

    const ConceptionControle& Conception() const { return conception_; }
    QWidget* Widget() const { return widget_.data(); }
    QTimer* Minuterie() const { return minuterie_.data(); }

    std::string Texte() const override {
        QWidget& w = Requis();
        if (auto* lecteurs = dynamic_cast<ListeLecteursQt*>(&w)) {
            return lecteurs->modele.Lecteur();
        }
        if (auto* dossiers = dynamic_cast<ListeDossiersQt*>(&w)) {
            return dossiers->modele.Chemin();
        }
        return DepuisQString(TexteQt());
    }

    void DefinirTexte(const std::string& texte) override {
        const QString t = VersQString(texte);
        QWidget& w = Requis();
        if (auto* lecteurs = dynamic_cast<ListeLecteursQt*>(&w)) {
            lecteurs->modele.DefinirLecteur(texte);
        } else if (auto* dossiers = dynamic_cast<ListeDossiersQt*>(&w)) {
            dossiers->modele.DefinirChemin(texte);
        } else if (auto* label = qobject_cast<QLabel*>(&w);
                   label && conception_.genre == Genre::Label) {
            label->setText(t);
        } else if (auto* bouton = qobject_cast<QAbstractButton*>(&w)) {
            bouton->setText(t);
        } else if (auto* cadre = qobject_cast<QGroupBox*>(&w)) {
            cadre->setTitle(t);
        } else if (auto* ligne = qobject_cast<QLineEdit*>(&w)) {
            ligne->setText(t);
        } else if (auto* lignes = qobject_cast<QPlainTextEdit*>(&w)) {
            // A text box of lines holds Windows line ends; Qt's own are LF.
            lignes->setPlainText(QString(t).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        } else {
            ProprieteAbsente();
        }
    }

    bool Visible() const override { return !Requis().isHidden(); }
    void DefinirVisible(bool visible) override { Requis().setVisible(visible); }
    bool Actif() const override { return Requis().isEnabled(); }
    void DefinirActif(bool actif) override { Requis().setEnabled(actif); }
    std::string InfoBulle() const override { return DepuisQString(Requis().toolTip()); }
    void DefinirInfoBulle(const std::string& infoBulle) override {
        Requis().setToolTip(VersQString(infoBulle));
    }
    Police LirePolice() const override { return police_; }
    void DefinirPolice(const Police& police) override {
        Requis().setFont(PoliceQt(police));
        police_ = police;
    }

    void DefinirImage(std::string_view icone) override {
        auto* image = qobject_cast<QLabel*>(&Requis());
        if (image == nullptr || conception_.genre != Genre::Image) {
            ProprieteAbsente();
        }
        image->setPixmap(IconeProgramme(icone).pixmap(QSize(kCoteIcone, kCoteIcone),
                                                      image->devicePixelRatioF()));
    }

    void DefinirIntervalle(int millisecondes) override {
        if (minuterie_.isNull() || millisecondes < 0) {
            ProprieteAbsente();
        }
        if (millisecondes == 0) {
            minuterie_->stop();
        } else {
            minuterie_->start(millisecondes);
        }
    }

    double Max() const override {
        Barre();
        return max_;
    }
    void DefinirMax(double max) override {
        Barre();
        if (!(max > 0)) {
            throw Erreur(ErrValeurPropriete);
        }
        max_ = max;
        valeur_ = std::min(valeur_, max_);
        Montrer();
    }
    double Valeur() const override {
        Barre();
        return valeur_;
    }
    void DefinirValeur(double valeur) override {
        Barre();
        if (!(valeur >= 0 && valeur <= max_)) {
            throw Erreur(ErrValeurPropriete);
        }
        valeur_ = valeur;
        Montrer();
    }

    void DefinirTexteCle(std::size_t position, const std::string& texte) override {
        QWidget& w = Requis();
        if (auto* barre = qobject_cast<QToolBar*>(&w)) {
            const QList<QAction*> actions = barre->actions();
            if (position >= static_cast<std::size_t>(actions.size())) {
                ProprieteAbsente();
            }
            actions[static_cast<qsizetype>(position)]->setToolTip(VersQString(texte));
        } else if (auto* liste = qobject_cast<QTreeWidget*>(&w)) {
            if (position >= static_cast<std::size_t>(liste->columnCount())) {
                ProprieteAbsente();
            }
            liste->headerItem()->setText(static_cast<int>(position), VersQString(texte));
        } else {
            ProprieteAbsente();
        }
    }

private:
    // The bar counts in ten-thousandths of its maximum.
    static constexpr int kEchelle = 10000;
    QProgressBar& Barre() const {
        auto* barre = qobject_cast<QProgressBar*>(&Requis());
        if (barre == nullptr) {
            ProprieteAbsente();
        }
        return *barre;
    }
    void Montrer() { Barre().setValue(static_cast<int>(valeur_ / max_ * kEchelle + 0.5)); }

    QWidget& Requis() const {
        if (widget_.isNull()) {
            ProprieteAbsente();
        }
        return *widget_;
    }

    QString TexteQt() const {
        QWidget& w = Requis();
        if (auto* label = qobject_cast<QLabel*>(&w); label && conception_.genre == Genre::Label) {
            return label->text();
        }
        if (auto* bouton = qobject_cast<QAbstractButton*>(&w)) {
            return bouton->text();
        }
        if (auto* cadre = qobject_cast<QGroupBox*>(&w)) {
            return cadre->title();
        }
        if (auto* ligne = qobject_cast<QLineEdit*>(&w)) {
            return ligne->text();
        }
        if (auto* lignes = qobject_cast<QPlainTextEdit*>(&w)) {
            return lignes->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        }
        ProprieteAbsente();
    }

    const ConceptionControle& conception_;
    Police police_;
    QPointer<QWidget> widget_;
    QPointer<QTimer> minuterie_;
    double max_ = 100, valeur_ = 0;
};

FormQt::FormQt(VueQt& vue, Qt::WindowFlags drapeaux) : QWidget(nullptr, drapeaux), vue_(&vue) {}

void FormQt::Transmettre(std::string_view controle, int indice, Evenement evenement) {
    if (vue_ != nullptr) {
        vue_->Signaler(controle, indice, evenement);
    }
}

void FormQt::closeEvent(QCloseEvent* evenement) {
    // The form is destroyed by its window object, never by Qt under our feet.
    evenement->ignore();
    if (vue_ != nullptr) {
        vue_->Signaler("", -1, Evenement::Fermeture);
    }
}

void FormQt::hideEvent(QHideEvent* evenement) {
    QWidget::hideEvent(evenement);
    if (!evenement->spontaneous()) {
        emit Cache();
    }
}

void FormQt::keyPressEvent(QKeyEvent* evenement) {
    if (vue_ != nullptr) {
        vue_->Touche(*evenement);
    }
    if (!evenement->isAccepted()) {
        QWidget::keyPressEvent(evenement);
    }
}

bool FormQt::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::MouseButtonRelease && vue_ != nullptr) {
        auto* souris = static_cast<QMouseEvent*>(evenement);
        auto* w = qobject_cast<QWidget*>(objet);
        // A release dragged off the control, or another button, is no click.
        if (w != nullptr && souris->button() == Qt::LeftButton &&
            w->rect().contains(souris->position().toPoint())) {
            vue_->Clic(*objet);
        }
    }
    return false;
}

VueQt::VueQt(const ConceptionFenetre& conception, IRecepteur& recepteur)
    : conception_(conception), recepteur_(recepteur) {
    const Qt::WindowFlags drapeaux = conception.bordure == Bordure::Dialogue
                                         ? Qt::Dialog | Qt::CustomizeWindowHint |
                                               Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                               Qt::WindowCloseButtonHint
                                         : Qt::WindowFlags(Qt::Window);
    form_ = new FormQt(*this, drapeaux);
    FormQt& form = *form_;
    form.setObjectName(VersQString(conception.nom));
    form.setWindowTitle(VersQString(conception.legende));
    form.setFont(PoliceQt(conception.police));
    form.setFixedSize(Twips(conception.largeur), Twips(conception.hauteur));
    if (!conception.icone.empty()) {
        form.setWindowIcon(IconeProgramme(conception.icone));
    }

    QLabel* dernierLabel = nullptr;
    for (const ConceptionControle& c : conception.controles) {
        QWidget* parent = &form;
        if (!c.conteneur.empty()) {
            if (ControleQt* conteneur = Trouver(c.conteneur, -1);
                conteneur && conteneur->Widget()) {
                parent = conteneur->Widget();
            }
        }
        const QString nom = VersQString(c.nom);
        const QString legende = VersQString(c.legende);
        QWidget* w = nullptr;
        QTimer* minuterie = nullptr;
        switch (c.genre) {
        case Genre::Label:
        case Genre::Image: {
            auto* label = new QLabel(legende, parent);
            // A picture is centred in its box; a caption that wraps, or a link, starts at the
            // top; a plain one-line caption sits in the middle of its row.
            if (c.genre == Genre::Image) {
                label->setAlignment(Qt::AlignCenter);
            } else if (c.retourLigne || c.lien) {
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            }
            label->setWordWrap(c.retourLigne);
            label->installEventFilter(&form);
            if (c.genre == Genre::Label) {
                dernierLabel = label;
            }
            w = label;
            break;
        }
        case Genre::ZoneTexte: {
            if (c.retourLigne) {
                auto* lignes = new QPlainTextEdit(legende, parent);
                QObject::connect(lignes, &QPlainTextEdit::textChanged, lignes, [f = &form, &c] {
                    f->Transmettre(c.nom, c.indice, Evenement::Change);
                });
                w = lignes;
                break;
            }
            auto* ligne = new QLineEdit(legende, parent);
            if (dernierLabel != nullptr) {
                // A screen reader says "Euros 1,91".
                ligne->setAccessibleName(dernierLabel->text());
                dernierLabel->setBuddy(ligne);
            }
            QObject::connect(ligne, &QLineEdit::textChanged, ligne, [f = &form, &c] {
                f->Transmettre(c.nom, c.indice, Evenement::Change);
            });
            w = ligne;
            break;
        }
        case Genre::Bouton:
        case Genre::CaseACocher:
        case Genre::BoutonOption: {
            QAbstractButton* bouton = nullptr;
            if (c.genre == Genre::Bouton) {
                auto* poussoir = new QPushButton(legende, parent);
                // Enter presses the button that has the focus.
                poussoir->setAutoDefault(true);
                poussoir->setDefault(c.defaut);
                bouton = poussoir;
            } else if (c.genre == Genre::CaseACocher) {
                bouton = new QCheckBox(legende, parent);
            } else {
                bouton = new QRadioButton(legende, parent);
            }
            QObject::connect(bouton, &QAbstractButton::clicked, bouton, [f = &form, &c] {
                f->Transmettre(c.nom, c.indice, Evenement::Click);
            });
            w = bouton;
            break;
        }
        case Genre::Cadre:
            w = new QGroupBox(legende, parent);
            break;
        case Genre::Ligne: {
            auto* ligne = new QFrame(parent);
            ligne->setFrameShape(QFrame::HLine);
            ligne->setFrameShadow(QFrame::Plain);
            ligne->setLineWidth(1);
            w = ligne;
            break;
        }
        case Genre::BarreOutils: {
            auto* barre = new QToolBar(parent);
            for (std::string_view cle : c.cles) {
                barre->addAction(VersQString(cle))->setObjectName(VersQString(cle));
            }
            w = barre;
            break;
        }
        case Genre::ListeVue: {
            auto* liste = new QTreeWidget(parent);
            liste->setColumnCount(static_cast<int>(c.cles.size()));
            QStringList entetes;
            for (std::string_view cle : c.cles) {
                entetes << VersQString(cle);
            }
            liste->setHeaderLabels(entetes);
            w = liste;
            break;
        }
        case Genre::ListeLecteurs: {
            auto* liste = Brancher(new ListeLecteursQt(parent), form, c);
            QObject::connect(liste, &QComboBox::activated, liste,
                             [liste](int i) { liste->Choisir(i); });
            w = liste;
            break;
        }
        case Genre::ListeDossiers: {
            auto* liste = Brancher(new ListeDossiersQt(parent), form, c);
            QObject::connect(
                liste, &QListWidget::itemDoubleClicked, liste,
                [liste](QListWidgetItem* element) { liste->Ouvrir(liste->row(element)); });
            w = liste;
            break;
        }
        case Genre::BarreProgression: {
            auto* barre = new QProgressBar(parent);
            barre->setRange(0, 10000);
            barre->setValue(0);
            barre->setTextVisible(false);
            w = barre;
            break;
        }
        case Genre::Minuterie:
            minuterie = new QTimer(&form);
            minuterie->setObjectName(nom);
            QObject::connect(minuterie, &QTimer::timeout, minuterie, [f = &form, &c] {
                f->Transmettre(c.nom, c.indice, Evenement::Timer);
            });
            break;
        }
        if (w != nullptr && c.genre != Genre::Label) {
            // Only the label right before a box names it, and it names that box only.
            dernierLabel = nullptr;
        }
        if (w != nullptr) {
            w->setObjectName(nom);
            w->setGeometry(Geometrie(c.position));
            if (c.police != nullptr) {
                w->setFont(PoliceQt(*c.police));
            }
            if (c.couleur != SansCouleur) {
                QPalette p = w->palette();
                p.setColor(QPalette::WindowText, QColor::fromRgb(static_cast<QRgb>(c.couleur)));
                w->setPalette(p);
            }
            if (c.lien) {
                w->setCursor(Qt::PointingHandCursor);
            }
            w->setToolTip(VersQString(c.infoBulle));
            w->setVisible(c.visible);
            w->setEnabled(c.actif);
        }
        controles_.push_back(std::make_unique<ControleQt>(
            c, c.police ? *c.police : conception.police, w, minuterie));
    }

    // Tab order and the first focus follow the tab indexes.
    std::vector<ControleQt*> ordre;
    for (const auto& c : controles_) {
        if (c->Widget() && PrendLeFocus(c->Conception().genre) &&
            c->Conception().tabulation != SansTabulation) {
            ordre.push_back(c.get());
        }
    }
    std::stable_sort(ordre.begin(), ordre.end(), [](ControleQt* a, ControleQt* b) {
        return a->Conception().tabulation < b->Conception().tabulation;
    });
    for (std::size_t i = 1; i < ordre.size(); ++i) {
        QWidget::setTabOrder(ordre[i - 1]->Widget(), ordre[i]->Widget());
    }
    if (!ordre.empty()) {
        ordre.front()->Widget()->setFocus(Qt::OtherFocusReason);
    }
}

VueQt::~VueQt() {
    controles_.clear();
    if (FormQt* form = form_.data()) {
        form_.clear();
        form->Detacher();
        form->hide();
        // Deferred: the unload may come from one of the form's own event handlers.
        form->deleteLater();
    }
}

ControleQt* VueQt::Trouver(std::string_view nom, int indice) {
    for (const auto& c : controles_) {
        if (c->Conception().nom == nom && c->Conception().indice == indice) {
            return c.get();
        }
    }
    return nullptr;
}

IControle& VueQt::Controle(std::string_view nom, int indice) {
    ControleQt* c = Trouver(nom, indice);
    if (c == nullptr) {
        throw Erreur(ErrArgument);
    }
    return *c;
}

QWidget* VueQt::Widget(std::string_view nom, int indice) {
    ControleQt* c = Trouver(nom, indice);
    return c ? c->Widget() : nullptr;
}

QTimer* VueQt::Minuterie(std::string_view nom) {
    ControleQt* c = Trouver(nom, -1);
    return c ? c->Minuterie() : nullptr;
}

std::string VueQt::Legende() const {
    return DepuisQString(form_->windowTitle());
}

void VueQt::DefinirLegende(const std::string& legende) {
    form_->setWindowTitle(VersQString(legende));
}

int VueQt::Hauteur() const {
    return form_->height() * 15;
}

void VueQt::DefinirHauteur(int twips) {
    form_->setFixedHeight(Twips(twips));
}

std::string VueQt::Icone() const {
    return std::string(conception_.icone);
}

void VueQt::Montrer() {
    form_->show();
    form_->raise();
    form_->activateWindow();
}

void VueQt::Cacher() {
    form_->hide();
}

void VueQt::AuPremierPlan() {
    // Above every window, then an ordinary window again: raised and activated, never moved,
    // resized or restored.
    form_->raise();
    form_->activateWindow();
}

void VueQt::Placer(QWidget* proprietaire) {
    QWidget& form = *form_;
    // Over the owner when the user can see it; at start the owner is still hidden, and the
    // middle of the screen is where the eye goes.
    QScreen* ecran = proprietaire != nullptr ? proprietaire->screen() : nullptr;
    if (ecran == nullptr) {
        ecran = QGuiApplication::primaryScreen();
    }
    const QRect disponible = ecran != nullptr ? ecran->availableGeometry() : QRect();
    const QRect zone = proprietaire != nullptr && proprietaire->isVisible()
                           ? proprietaire->frameGeometry()
                           : disponible;
    if (zone.isEmpty()) {
        return;
    }
    QRect cadre(QPoint(), form.size());
    cadre.moveCenter(zone.center());
    if (!disponible.isEmpty()) {
        cadre.moveRight(std::min(cadre.right(), disponible.right()));
        cadre.moveBottom(std::min(cadre.bottom(), disponible.bottom()));
        cadre.moveLeft(std::max(cadre.left(), disponible.left()));
        cadre.moveTop(std::max(cadre.top(), disponible.top()));
    }
    form.move(cadre.topLeft());
}

void VueQt::MontrerModal(IVueFormulaire* proprietaire) {
    auto* vueProprietaire = dynamic_cast<VueQt*>(proprietaire);
    QWidget* owner = vueProprietaire ? vueProprietaire->form_.data() : nullptr;
    QPointer<FormQt> garde = form_;
    if (owner != nullptr && garde->parentWidget() != owner) {
        // Owned: stays above its owner, out of the task bar.
        garde->setParent(owner, garde->windowFlags() | Qt::Dialog);
    }
    Placer(owner);
    garde->setWindowModality(Qt::ApplicationModal);
    QEventLoop boucle;
    QObject::connect(garde.data(), &FormQt::Cache, &boucle, &QEventLoop::quit);
    QObject::connect(garde.data(), &QObject::destroyed, &boucle, &QEventLoop::quit);
    garde->show();
    garde->raise();
    garde->activateWindow();
    if (garde && garde->isVisible()) {
        boucle.exec(QEventLoop::DialogExec);
    }
    if (garde) {
        garde->setWindowModality(Qt::NonModal);
    }
}

void VueQt::Signaler(std::string_view controle, int indice, Evenement evenement) {
    // The window runs its handler inside the boundary of unhandled errors: nothing comes back
    // through Qt.
    recepteur_.Recevoir(controle, indice, evenement);
}

void VueQt::Clic(QObject& objet) {
    for (const auto& c : controles_) {
        if (c->Widget() == &objet) {
            const ConceptionControle& d = c->Conception();
            Signaler(d.nom, d.indice, Evenement::Click);
            return;
        }
    }
}

void VueQt::Touche(QKeyEvent& touche) {
    touche.ignore();
    const bool sansModificateur = (touche.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!sansModificateur) {
        return;
    }
    // Keys that no control took: Enter presses the default button, Esc the cancel button.
    const bool entree = touche.key() == Qt::Key_Return || touche.key() == Qt::Key_Enter;
    const bool echap = touche.key() == Qt::Key_Escape;
    for (const auto& c : controles_) {
        const ConceptionControle& d = c->Conception();
        if ((entree && d.defaut) || (echap && d.annulation)) {
            if (auto* bouton = qobject_cast<QAbstractButton*>(c->Widget());
                bouton && bouton->isVisibleTo(form_) && bouton->isEnabled()) {
                touche.accept();
                bouton->click();
                return;
            }
        }
    }
}

std::unique_ptr<IVueFormulaire> FabriqueQt::Creer(const ConceptionFenetre& conception,
                                                  IRecepteur& recepteur) {
    return std::make_unique<VueQt>(conception, recepteur);
}

} // namespace monvalor
