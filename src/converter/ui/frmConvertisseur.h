// The converter window: nine labelled boxes, the clipboard timer, the start of the program.
#pragma once

#include "converter/Veilleur.h"
#include "platform/qt/Fenetre.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QLineEdit;

namespace monvalor {

class frmConvertisseur final : public QObject,
                               public Fenetre,
                               public InstanceParDefaut<frmConvertisseur>,
                               public IVueConvertisseur {
    Q_OBJECT
public:
    frmConvertisseur();
    ~frmConvertisseur() override;

    // Runs after the timer is armed, at the end of the load step. The start-up welcome hooks
    // in here; tests may leave it empty.
    std::function<void(frmConvertisseur&)> Bienvenue;

    // IVueConvertisseur
    std::string Texte(Boite boite) const override;
    void DefinirTexte(Boite boite, const std::string& texte) override;
    void AuPremierPlan() override;
    void DefinirIntervalle(int millisecondes) override;

    QTimer* Timer() const { return timer_; }
    // Runs one tick now (the timer's and the clipboard notification's handler).
    void Timer_Timer();

protected:
    void Construire(QWidget& form) override;
    void Form_Load() override;
    void Form_Unload() override;

private:
    void txtMontantLibre_Change();
    void txtTaux_Change();
    void PressePapierChange();
    QLineEdit* BoiteDe(Boite boite) const;

    QPointer<QTimer> timer_;
    bool dansTick_ = false;
    QString journal_;
};

} // namespace monvalor
