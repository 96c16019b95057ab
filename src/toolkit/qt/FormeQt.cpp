#include "toolkit/qt/FormeQt.h"

#include "forms/Regles.h"
#include "support/Erreur.h"
#include "toolkit/qt/GenresQt.h"
#include "toolkit/qt/TexteQt.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

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

// By its edges, so that controls that meet in twips meet in pixels.
QRect Geometrie(const Rectangle& r) {
    const int gauche = Twips(r.gauche), haut = Twips(r.haut);
    return {gauche, haut, Twips(r.gauche + r.largeur) - gauche, Twips(r.haut + r.hauteur) - haut};
}

QIcon IconeProgramme(std::string_view nom) {
    return QIcon(QStringLiteral(":/monvalor/") + VersQString(nom) + QStringLiteral(".png"));
}

// The size at which a picture box of the designs shows an icon.
constexpr int kCoteIcone = 32;

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
    ControleQt(VueQt& vue, const ConceptionControle& conception, const Police& police,
               QObject* objet)
        : vue_(vue), conception_(conception), police_(police), objet_(objet),
          infoBulle_(conception.infoBulle) {}

    const ConceptionControle& Conception() const { return conception_; }
    QWidget* Widget() const { return qobject_cast<QWidget*>(objet_.data()); }
    QTimer* Minuterie() const { return qobject_cast<QTimer*>(objet_.data()); }

    std::string Texte() const override {
        Exiger(conception_, Propriete::Texte);
        return DescriptionQt(conception_.genre).texte(Requis());
    }
    void DefinirTexte(const std::string& texte) override {
        Exiger(conception_, Propriete::Texte);
        const GenreQt& genre = DescriptionQt(conception_.genre);
        // The download window sets its figures many times a second: the same caption again
        // needs no new layout.
        const bool legendeChangee =
            AUneLegende(conception_.genre) && genre.texte(Requis()) != texte;
        genre.definirTexte(Requis(), texte);
        if (legendeChangee) {
            vue_.Agencer();
        }
    }

    bool Visible() const override { return !Apparence().isHidden(); }
    void DefinirVisible(bool visible) override { Apparence().setVisible(visible); }
    bool Actif() const override { return Apparence().isEnabled(); }
    void DefinirActif(bool actif) override { Apparence().setEnabled(actif); }
    // The tip as it was given: the widget holds its escaped form.
    std::string InfoBulle() const override {
        Apparence();
        return infoBulle_;
    }
    void DefinirInfoBulle(const std::string& infoBulle) override {
        Apparence().setToolTip(BulleQt(infoBulle));
        infoBulle_ = infoBulle;
    }
    Police LirePolice() const override {
        Apparence();
        return police_;
    }
    void DefinirPolice(const Police& police) override {
        Apparence().setFont(PoliceQt(police));
        police_ = police;
        vue_.Agencer();
    }

    void DefinirImage(std::string_view icone) override {
        Exiger(conception_, Propriete::Image);
        auto& image = static_cast<QLabel&>(Requis());
        image.setPixmap(
            IconeProgramme(icone).pixmap(QSize(kCoteIcone, kCoteIcone), image.devicePixelRatioF()));
    }

    void DefinirIntervalle(int millisecondes) override {
        ExigerIntervalle(conception_, millisecondes);
        QTimer* minuterie = Minuterie();
        if (minuterie == nullptr) {
            ProprieteAbsente();
        }
        if (millisecondes == 0) {
            minuterie->stop();
        } else {
            minuterie->start(millisecondes);
        }
    }

    double Max() const override {
        Barre();
        return progression_.Max();
    }
    void DefinirMax(double max) override {
        Barre();
        progression_.DefinirMax(max);
        Montrer();
    }
    double Valeur() const override {
        Barre();
        return progression_.Valeur();
    }
    void DefinirValeur(double valeur) override {
        Barre();
        progression_.DefinirValeur(valeur);
        Montrer();
    }

    void DefinirTexteCle(std::size_t position, const std::string& texte) override {
        ExigerCle(conception_, position);
        DescriptionQt(conception_.genre).definirCle(Requis(), position, texte);
    }

private:
    QProgressBar& Barre() const {
        Exiger(conception_, Propriete::Progression);
        return static_cast<QProgressBar&>(Requis());
    }
    void Montrer() { Barre().setValue(progression_.Position(EchelleProgressionQt)); }

    QWidget& Apparence() const {
        Exiger(conception_, Propriete::Apparence);
        return Requis();
    }
    QWidget& Requis() const {
        QWidget* w = Widget();
        if (w == nullptr) {
            ProprieteAbsente();
        }
        return *w;
    }

    VueQt& vue_;
    const ConceptionControle& conception_;
    Police police_;
    QPointer<QObject> objet_;
    Progression progression_;
    std::string infoBulle_;
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
    Construire();
    Nommer();
    Agencer();
    Tabuler();
}

void VueQt::Construire() {
    const auto& table = conception_.controles;
    const std::vector<std::size_t> conteneurs = Conteneurs(table);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ConceptionControle& c = table[i];
        QWidget* parent = form_.data();
        if (conteneurs[i] != Aucun && controles_[conteneurs[i]]->Widget() != nullptr) {
            parent = controles_[conteneurs[i]]->Widget();
        }
        QObject* objet = DescriptionQt(c.genre).creer(c, *parent, *form_);
        if (auto* w = qobject_cast<QWidget*>(objet)) {
            Habiller(*w, c);
        }
        controles_.push_back(std::make_unique<ControleQt>(
            *this, c, c.police ? *c.police : conception_.police, objet));
    }
}

// Each control where the design puts it, with the room its caption takes in the real font.
void VueQt::Agencer() {
    const std::vector<Rectangle> r =
        monvalor::Agencer(conception_, [this](std::size_t i, const Rectangle& actuel) {
            const QWidget* w = controles_[i]->Widget();
            if (w == nullptr) {
                return Besoin{};
            }
            const QSize place =
                PlaceLegendeQt(*w, controles_[i]->Conception().genre, Twips(actuel.largeur));
            return Besoin{place.width() * 15, place.height() * 15};
        });
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (QWidget* w = controles_[i]->Widget()) {
            w->setGeometry(Geometrie(r[i]));
        }
    }
}

// What every control shows alike: its place, font, colour, cursor, tip and state.
void VueQt::Habiller(QWidget& w, const ConceptionControle& c) {
    w.setObjectName(VersQString(c.nom));
    if (c.police != nullptr) {
        w.setFont(PoliceQt(*c.police));
    }
    if (c.couleur != SansCouleur) {
        QPalette p = w.palette();
        p.setColor(QPalette::WindowText, QColor::fromRgb(static_cast<QRgb>(c.couleur)));
        w.setPalette(p);
    }
    if (c.lien) {
        w.setCursor(Qt::PointingHandCursor);
    }
    w.setToolTip(BulleQt(c.infoBulle));
    w.setVisible(c.visible);
    w.setEnabled(c.actif);
}

// A screen reader says a box with its label ("Euros 1,91"), whose mnemonic leads to the box.
void VueQt::Nommer() {
    const std::vector<std::size_t> libelles = Libelles(conception_.controles);
    for (std::size_t i = 0; i < libelles.size(); ++i) {
        if (libelles[i] == Aucun) {
            continue;
        }
        auto* label = qobject_cast<QLabel*>(controles_[libelles[i]]->Widget());
        QWidget* boite = controles_[i]->Widget();
        if (label != nullptr && boite != nullptr) {
            boite->setAccessibleName(label->text());
            label->setBuddy(boite);
        }
    }
}

void VueQt::Tabuler() {
    const std::vector<std::size_t> ordre = OrdreTabulation(conception_.controles);
    for (std::size_t i = 1; i < ordre.size(); ++i) {
        QWidget::setTabOrder(controles_[ordre[i - 1]]->Widget(), controles_[ordre[i]]->Widget());
    }
    if (!ordre.empty()) {
        controles_[ordre.front()]->Widget()->setFocus(Qt::OtherFocusReason);
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

void VueQt::Touche(QKeyEvent& evenement) {
    evenement.ignore();
    const bool sansModificateur = (evenement.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool entree = evenement.key() == Qt::Key_Return || evenement.key() == Qt::Key_Enter;
    // A space held down opens a link once.
    const bool espace = evenement.key() == Qt::Key_Space && !evenement.isAutoRepeat();
    if (!sansModificateur || !(entree || espace || evenement.key() == Qt::Key_Escape)) {
        return;
    }
    std::size_t focus = Aucun;
    for (std::size_t j = 0; j < controles_.size(); ++j) {
        if (controles_[j]->Widget() != nullptr && controles_[j]->Widget() == form_->focusWidget()) {
            focus = j;
        }
    }
    // Keys that no control took: Enter and Space open the focused link, Enter presses the
    // default button, Esc the cancel button.
    using enum monvalor::Touche;
    const std::size_t i = ControleDeLaTouche(
        conception_.controles,
        entree   ? Entree
        : espace ? Espace
                 : Echap,
        focus, [this](std::size_t j) {
            auto* bouton = qobject_cast<QAbstractButton*>(controles_[j]->Widget());
            return bouton != nullptr && bouton->isVisibleTo(form_) && bouton->isEnabled();
        });
    if (i != Aucun) {
        evenement.accept();
        if (auto* bouton = qobject_cast<QAbstractButton*>(controles_[i]->Widget())) {
            bouton->click();
        } else {
            Clic(*controles_[i]->Widget());
        }
    }
}

std::unique_ptr<IVueFormulaire> FabriqueQt::Creer(const ConceptionFenetre& conception,
                                                  IRecepteur& recepteur) {
    return std::make_unique<VueQt>(conception, recepteur);
}

} // namespace monvalor
