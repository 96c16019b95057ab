// A window of the program, without any toolkit: the object that lives for the whole run (its
// public fields survive unloading) and, while it is loaded, an on-screen form that a toolkit
// face built from the window's design table. The behaviour of a window speaks to its form only
// through the small view below, and receives the form's events through Evenement.
#pragma once

#include "forms/Conception.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace monvalor {

// One control of a loaded form. A property the control does not have throws Erreur 5.
class IControle {
public:
    virtual ~IControle() = default;
    // The caption, the text of a text box, the drive of a drive list or the path of a folder
    // list. Setting a list's value may fail (a drive that is not ready, a folder that is not
    // there); the list then keeps what it had.
    virtual std::string Texte() const = 0;
    virtual void DefinirTexte(const std::string& texte) = 0;
    virtual bool Visible() const = 0;
    virtual void DefinirVisible(bool visible) = 0;
    virtual bool Actif() const = 0;
    virtual void DefinirActif(bool actif) = 0;
    virtual std::string InfoBulle() const = 0;
    virtual void DefinirInfoBulle(const std::string& infoBulle) = 0;
    virtual Police LirePolice() const = 0;
    virtual void DefinirPolice(const Police& police) = 0;
    // Picture boxes: the picture, an icon by name.
    virtual void DefinirImage(std::string_view icone) = 0;
    // Timers: 0 stops it.
    virtual void DefinirIntervalle(int millisecondes) = 0;
    // Progress bars: the value, from 0 to the maximum (at first 100); a value beyond them is
    // refused, Erreur 380.
    virtual double Max() const = 0;
    virtual void DefinirMax(double max) = 0;
    virtual double Valeur() const = 0;
    virtual void DefinirValeur(double valeur) = 0;
    // Toolbars (a button's tool tip) and list views (a column header's text), by position.
    virtual void DefinirTexteCle(std::size_t position, const std::string& texte) = 0;
};

// A loaded form.
class IVueFormulaire {
public:
    virtual ~IVueFormulaire() = default;
    // A control by design name and, for a control array, index; Erreur 5 when there is none.
    virtual IControle& Controle(std::string_view nom, int indice = -1) = 0;
    virtual std::string Legende() const = 0;
    virtual void DefinirLegende(const std::string& legende) = 0;
    virtual int Hauteur() const = 0; // twips, client area
    virtual void DefinirHauteur(int twips) = 0;
    virtual std::string Icone() const = 0;
    virtual void Montrer() = 0;
    virtual void Cacher() = 0;
    // Shows the form modally over the owner's form (none: over the screen) and returns when it
    // has been hidden or unloaded; timers and the other windows keep running meanwhile.
    virtual void MontrerModal(IVueFormulaire* proprietaire) = 0;
    // Above every window, then an ordinary window again; never moved, resized nor restored.
    virtual void AuPremierPlan() = 0;
};

enum class Evenement {
    Click,
    Change,       // a text box's text or a list's value changed, by the user or the program
    Timer,        // a timer's tick
    Fermeture,    // the user closes the form from its title bar
    PressePapier, // the clipboard changed
};

// What a form tells its window.
class IRecepteur {
public:
    virtual ~IRecepteur() = default;
    virtual void Recevoir(std::string_view controle, int indice, Evenement evenement) = 0;
};

// A toolkit face: builds the native form of a design and routes its events to the receiver,
// which outlives the form.
class IFabriqueFormulaires {
public:
    virtual ~IFabriqueFormulaires() = default;
    virtual std::unique_ptr<IVueFormulaire> Creer(const ConceptionFenetre& conception,
                                                  IRecepteur& recepteur) = 0;
};

// The one boundary of unhandled errors: runs an event handler and, if an error escapes it,
// shows the error's description in a message box and ends the program. Nothing escapes.
template <typename F> void SansErreurNonTraitee(F&& gestionnaire) noexcept;
void SignalerErreurFatale(const std::string& description) noexcept;

class Fenetre : public IRecepteur {
public:
    explicit Fenetre(const ConceptionFenetre& conception);
    ~Fenetre() override;
    Fenetre(const Fenetre&) = delete;
    Fenetre& operator=(const Fenetre&) = delete;

    const ConceptionFenetre& Conception() const { return conception_; }
    bool EstChargee() const { return vue_ != nullptr; }
    // The form, loaded on first touch.
    IVueFormulaire& Vue();
    // A control of the form, loaded on first touch.
    IControle& Ctl(std::string_view nom, int indice = -1) { return Vue().Controle(nom, indice); }
    void Charger();
    // Runs the query-unload and unload steps, then destroys the form.
    void Decharger();
    void Montrer() { Vue().Montrer(); }
    void Cacher();
    void MontrerModal(Fenetre* proprietaire);

    // The form's events, each run inside the boundary of unhandled errors.
    void Recevoir(std::string_view controle, int indice, Evenement evenement) final;

protected:
    virtual void Form_Load() {}
    virtual void Form_QueryUnload() {}
    virtual void Form_Unload() {}
    // Calls the window's handler of the event, if it has one. Closing from the title bar
    // unloads the window before it is asked.
    virtual void Gerer(std::string_view controle, int indice, Evenement evenement) = 0;

private:
    const ConceptionFenetre& conception_;
    std::unique_ptr<IVueFormulaire> vue_;
    bool enChargement_ = false;
};

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

} // namespace monvalor

#include "support/Erreur.h"

#include <new>

namespace monvalor {

template <typename F> void SansErreurNonTraitee(F&& gestionnaire) noexcept {
    try {
        gestionnaire();
    } catch (const Erreur& e) {
        SignalerErreurFatale(e.Description());
    } catch (const std::bad_alloc&) {
        SignalerErreurFatale(DescriptionErreur(ErrMemoire));
    } catch (const std::exception& e) {
        SignalerErreurFatale(e.what());
    } catch (...) {
        SignalerErreurFatale(DescriptionErreur(ErrIndefinie));
    }
}

} // namespace monvalor
