#include "forms/FormulaireMemoire.h"

#include "support/Erreur.h"

#include <algorithm>

namespace monvalor {

ControleMemoire::ControleMemoire(FormulaireMemoire& form, const ConceptionControle& conception)
    : form_(form), conception_(conception), texte_(conception.legende),
      visible_(conception.visible), actif_(conception.actif), infoBulle_(conception.infoBulle),
      police_(conception.police ? *conception.police : form.Conception().police),
      textesCles_(conception.cles.size()) {
    if (conception.genre == Genre::ListeLecteurs) {
        lecteurs_ = std::make_unique<ListeLecteurs>();
    } else if (conception.genre == Genre::ListeDossiers) {
        dossiers_ = std::make_unique<ListeDossiers>();
    }
}

namespace {

void Accepter(const ControleMemoire& c, bool possible = true) {
    if (c.enPanne || !possible) {
        throw Erreur(ErrArgument);
    }
}

} // namespace

void ControleMemoire::DefinirVisible(bool visible) {
    Accepter(*this);
    visible_ = visible;
}

void ControleMemoire::DefinirActif(bool actif) {
    Accepter(*this);
    actif_ = actif;
}

void ControleMemoire::DefinirInfoBulle(const std::string& infoBulle) {
    Accepter(*this);
    infoBulle_ = infoBulle;
}

void ControleMemoire::DefinirPolice(const Police& police) {
    Accepter(*this);
    police_ = police;
}

std::string ControleMemoire::Texte() const {
    if (lecteurs_) {
        return lecteurs_->Lecteur();
    }
    if (dossiers_) {
        return dossiers_->Chemin();
    }
    if (!AUnTexte(conception_.genre)) {
        throw Erreur(ErrArgument);
    }
    return texte_;
}

void ControleMemoire::DefinirTexte(const std::string& texte) {
    if (lecteurs_ || dossiers_) {
        // The list raises its change itself.
        Accepter(*this);
        lecteurs_ ? lecteurs_->DefinirLecteur(texte) : dossiers_->DefinirChemin(texte);
        return;
    }
    Accepter(*this, AUnTexte(conception_.genre));
    if (texte == texte_) {
        return;
    }
    texte_ = texte;
    if (conception_.genre == Genre::ZoneTexte) {
        form_.recepteur_.Recevoir(conception_.nom, conception_.indice, Evenement::Change);
    }
}

void ControleMemoire::DefinirImage(std::string_view icone) {
    Accepter(*this, conception_.genre == Genre::Image);
    image_.assign(icone);
}

void ControleMemoire::DefinirIntervalle(int millisecondes) {
    Accepter(*this, conception_.genre == Genre::Minuterie && millisecondes >= 0);
    intervalle_ = millisecondes;
}

void ControleMemoire::DefinirTexteCle(std::size_t position, const std::string& texte) {
    Accepter(*this, position < textesCles_.size());
    textesCles_[position] = texte;
}

double ControleMemoire::Max() const {
    Accepter(*this, conception_.genre == Genre::BarreProgression);
    return max_;
}

void ControleMemoire::DefinirMax(double max) {
    Accepter(*this, conception_.genre == Genre::BarreProgression);
    if (!(max > 0)) {
        throw Erreur(ErrValeurPropriete);
    }
    max_ = max;
    valeur_ = std::min(valeur_, max_);
}

double ControleMemoire::Valeur() const {
    Accepter(*this, conception_.genre == Genre::BarreProgression);
    return valeur_;
}

void ControleMemoire::DefinirValeur(double valeur) {
    Accepter(*this, conception_.genre == Genre::BarreProgression);
    if (!(valeur >= 0 && valeur <= max_)) {
        throw Erreur(ErrValeurPropriete);
    }
    valeur_ = valeur;
}

ListeLecteurs& ControleMemoire::Lecteurs() {
    Accepter(*this, lecteurs_ != nullptr);
    return *lecteurs_;
}

ListeDossiers& ControleMemoire::Dossiers() {
    Accepter(*this, dossiers_ != nullptr);
    return *dossiers_;
}

FormulaireMemoire::FormulaireMemoire(const ConceptionFenetre& conception, IRecepteur& recepteur,
                                     std::function<void(FormulaireMemoire&)> pendantModal)
    : conception_(conception), recepteur_(recepteur), pendantModal_(std::move(pendantModal)),
      legende_(conception.legende), hauteur_(conception.hauteur) {
    controles_.reserve(conception.controles.size());
    for (const ConceptionControle& c : conception.controles) {
        controles_.emplace_back(*this, c);
    }
    for (ControleMemoire& c : controles_) {
        auto changement = [this, &d = c.Conception()] {
            recepteur_.Recevoir(d.nom, d.indice, Evenement::Change);
        };
        if (c.lecteurs_) {
            c.lecteurs_->surChangement = changement;
        } else if (c.dossiers_) {
            c.dossiers_->surChangement = changement;
        }
    }
}

ControleMemoire& FormulaireMemoire::Memoire(std::string_view nom, int indice) {
    for (ControleMemoire& c : controles_) {
        if (c.Conception().nom == nom && c.Conception().indice == indice) {
            return c;
        }
    }
    throw Erreur(ErrArgument);
}

IControle& FormulaireMemoire::Controle(std::string_view nom, int indice) {
    return Memoire(nom, indice);
}

void FormulaireMemoire::AuPremierPlan() {
    if (premierPlanEnPanne) {
        throw Erreur(ErrArgument);
    }
    ++premierPlan_;
}

void FormulaireMemoire::MontrerModal(IVueFormulaire* proprietaire) {
    proprietaires_.push_back(proprietaire);
    visible_ = true;
    if (pendantModal_) {
        pendantModal_(*this);
    }
}

void FormulaireMemoire::Cliquer(std::string_view nom, int indice) {
    const ControleMemoire& c = Memoire(nom, indice);
    if (c.Visible() && c.Actif()) {
        recepteur_.Recevoir(c.Conception().nom, indice, Evenement::Click);
    }
}

void FormulaireMemoire::Taper(std::string_view nom, const std::string& texte) {
    Memoire(nom).DefinirTexte(texte);
}

void FormulaireMemoire::Tic(std::string_view minuterie) {
    const ControleMemoire& c = Memoire(minuterie);
    if (c.Intervalle() > 0) {
        recepteur_.Recevoir(c.Conception().nom, -1, Evenement::Timer);
    }
}

void FormulaireMemoire::Choisir(std::string_view nom, std::size_t position) {
    ControleMemoire& c = Memoire(nom);
    ActionSurListe([&] {
        if (c.lecteurs_) {
            if (position < c.lecteurs_->Lecteurs().size()) {
                c.lecteurs_->DefinirLecteur(TexteLecteur(c.lecteurs_->Lecteurs()[position]));
            }
        } else {
            c.Dossiers().Ouvrir(position);
        }
    });
}

void FormulaireMemoire::FermerParLaBarreDeTitre() {
    recepteur_.Recevoir("", -1, Evenement::Fermeture);
}

std::unique_ptr<IVueFormulaire> FabriqueMemoire::Creer(const ConceptionFenetre& conception,
                                                       IRecepteur& recepteur) {
    return std::make_unique<FormulaireMemoire>(conception, recepteur, pendantModal);
}

} // namespace monvalor
