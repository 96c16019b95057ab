// A window of the program: an object that lives for the whole run (its public fields survive
// unloading) and an on-screen form that exists only while it is loaded. The first touch of
// the form loads it and runs its load step; unloading destroys the form and its controls.
#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QEventLoop;

namespace monvalor {

// Geometry of the designs is in twips; Qt takes logical pixels, 15 twips each.
constexpr int Twips(int twips) {
    return (twips + 7) / 15;
}

// A design's font: its face first, then metric-compatible free faces where it is missing.
QFont PoliceDeConception(const QStringList& familles, qreal points);

// The one default instance of a window class: created at first use, its fields surviving
// every unload; tests drop it to start afresh.
template <typename T> class InstanceParDefaut {
public:
    static T& Defaut() {
        auto& instance = Stockage();
        if (!instance) {
            instance = std::make_unique<T>();
        }
        return *instance;
    }
    static void ReinitialiserDefaut() { Stockage().reset(); }

private:
    static std::unique_ptr<T>& Stockage() {
        static std::unique_ptr<T> instance;
        return instance;
    }
};

class Fenetre;

// The on-screen form; it tells its window object when the user closes or hides it.
class FormQt : public QWidget {
    Q_OBJECT
public:
    FormQt(Fenetre& fenetre, QWidget* parent, Qt::WindowFlags drapeaux);

signals:
    void Cache();

protected:
    void closeEvent(QCloseEvent* evenement) override;
    void hideEvent(QHideEvent* evenement) override;

private:
    Fenetre& fenetre_;
};

class Fenetre {
public:
    explicit Fenetre(QString nom);
    virtual ~Fenetre();
    Fenetre(const Fenetre&) = delete;
    Fenetre& operator=(const Fenetre&) = delete;

    // The design name, e.g. "frmAbout" (also the form's objectName).
    const QString& Nom() const { return nom_; }
    bool EstChargee() const { return !form_.isNull(); }
    // The form, loaded on first touch.
    QWidget& Form();
    void Charger();
    // Runs the query-unload and unload steps, then destroys the form.
    void Decharger();
    void Montrer();
    void Cacher();
    // Shows the form modally over the owner's form and returns when it is hidden or unloaded;
    // timers and the other windows keep running meanwhile.
    void MontrerModal(Fenetre* proprietaire);

    // A control of the loaded form by its design name, or nullptr.
    template <typename T> T* Controle(const QString& nom) {
        return form_ ? form_->findChild<T*>(nom) : nullptr;
    }

protected:
    // Builds the controls of the design into the new form.
    virtual void Construire(QWidget& form) = 0;
    virtual void Form_Load() {}
    virtual void Form_QueryUnload() {}
    virtual void Form_Unload() {}
    // The flags of the form when it is created (a plain window by default).
    virtual Qt::WindowFlags Drapeaux() const { return Qt::Window; }

private:
    friend class FormQt;
    void FermeParUtilisateur();

    QString nom_;
    QPointer<FormQt> form_;
    bool enChargement_ = false;
};

} // namespace monvalor
