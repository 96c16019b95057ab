// The Qt face of the windows: builds a native form from a window's design table and routes the
// form's events to its window object.
#pragma once

#include "forms/Formulaire.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QTimer;

namespace monvalor {

// Designs are in twips; Qt takes logical pixels, 15 twips each, and scales for high-DPI
// screens itself.
constexpr int Twips(int twips) {
    return (twips + 7) / 15;
}

// A design font: its face first, then metric-compatible free faces where it is missing.
QFont PoliceQt(const Police& police);

class VueQt;

// The on-screen form; closing it from the title bar is the window's business.
class FormQt final : public QWidget {
    Q_OBJECT
public:
    FormQt(VueQt& vue, Qt::WindowFlags drapeaux);
    // The window object is done with the form: what still reaches it goes nowhere.
    void Detacher() { vue_ = nullptr; }
    // An event of one of the form's controls, for its window while it has one.
    void Transmettre(std::string_view controle, int indice, Evenement evenement);

signals:
    void Cache();

protected:
    void closeEvent(QCloseEvent* evenement) override;
    void hideEvent(QHideEvent* evenement) override;
    void keyPressEvent(QKeyEvent* evenement) override;
    // Clicks on labels and pictures, which Qt does not report.
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    VueQt* vue_;
};

class ControleQt;

class VueQt final : public IVueFormulaire {
public:
    VueQt(const ConceptionFenetre& conception, IRecepteur& recepteur);
    ~VueQt() override;

    IControle& Controle(std::string_view nom, int indice = -1) override;
    std::string Legende() const override;
    void DefinirLegende(const std::string& legende) override;
    int Hauteur() const override;
    void DefinirHauteur(int twips) override;
    std::string Icone() const override;
    void Montrer() override;
    void Cacher() override;
    void MontrerModal(IVueFormulaire* proprietaire) override;
    void AuPremierPlan() override;

    QWidget& Form() const { return *form_; }
    // The widget of a control (nullptr for a timer or an unknown name).
    QWidget* Widget(std::string_view nom, int indice = -1);
    QTimer* Minuterie(std::string_view nom);

private:
    friend class FormQt;
    friend class ControleQt;
    void Signaler(std::string_view controle, int indice, Evenement evenement);
    void Touche(QKeyEvent& touche);
    void Clic(QObject& objet);
    void Placer(QWidget* proprietaire);
    void Construire();
    void Agencer();
    void Habiller(QWidget& w, const ConceptionControle& c);
    void Nommer();
    void Tabuler();
    ControleQt* Trouver(std::string_view nom, int indice);

    const ConceptionFenetre& conception_;
    IRecepteur& recepteur_;
    QPointer<FormQt> form_;
    std::vector<std::unique_ptr<ControleQt>> controles_;
};

class FabriqueQt final : public IFabriqueFormulaires {
public:
    std::unique_ptr<IVueFormulaire> Creer(const ConceptionFenetre& conception,
                                          IRecepteur& recepteur) override;
};

} // namespace monvalor
