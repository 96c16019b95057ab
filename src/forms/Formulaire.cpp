#include "forms/Formulaire.h"

#include "services/Services.h"

namespace monvalor {

void SignalerErreurFatale(const std::string& description) noexcept {
    Services& s = Plateforme();
    try {
        s.boiteMessage->Afficher(description, MsgCritique, std::string());
    } catch (...) {
        // The end comes all the same.
    }
    try {
        s.systeme->Terminer(1);
    } catch (...) {
    }
}

Fenetre::Fenetre(const ConceptionFenetre& conception) : conception_(conception) {}

Fenetre::~Fenetre() = default;

IVueFormulaire& Fenetre::Vue() {
    Charger();
    if (!vue_) {
        // Touched again from inside its own load step, or the load step unloaded it.
        throw Erreur(ErrArgument);
    }
    return *vue_;
}

void Fenetre::Charger() {
    if (vue_ || enChargement_) {
        return;
    }
    // The face may raise events while it builds the form: they find it not loaded yet.
    enChargement_ = true;
    try {
        vue_ = Plateforme().formulaires->Creer(conception_, *this);
    } catch (...) {
        enChargement_ = false;
        throw;
    }
    enChargement_ = false;
    Form_Load();
}

void Fenetre::Decharger() {
    if (!vue_) {
        return;
    }
    Form_QueryUnload();
    Form_Unload();
    vue_.reset();
}

void Fenetre::Cacher() {
    if (vue_) {
        vue_->Cacher();
    }
}

void Fenetre::MontrerModal(Fenetre* proprietaire) {
    IVueFormulaire& vue = Vue();
    vue.MontrerModal(
        proprietaire != nullptr && proprietaire->EstChargee() ? proprietaire->vue_.get() : nullptr);
}

void Fenetre::Recevoir(std::string_view controle, int indice, Evenement evenement) {
    SansErreurNonTraitee([&] {
        if (evenement == Evenement::Fermeture) {
            Decharger();
            return;
        }
        if (vue_) {
            Gerer(controle, indice, evenement);
        }
    });
}

} // namespace monvalor
