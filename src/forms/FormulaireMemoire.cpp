#include "forms/FormulaireMemoire.h"

#include "forms/Regles.h"
#include "support/Erreur.h"

#include <algorithm>

namespace monvalor {

ControleMemoire::ControleMemoire(FormulaireMemoire& form, const ConceptionControle& conception)
    : form_(form), conception_(conception),
      texte_(TexteDeBoite(conception, std::string(conception.legende))),
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

// A control out of order refuses everything; the others what their kind lacks.
void Accepter(const ControleMemoire& c, Propriete propriete, bool possible = true) {
    if (c.enPanne) {
        throw Erreur(ErrArgument);
    }
    Exiger(c.Conception(), propriete, possible);
}

} // namespace

bool ControleMemoire::Visible() const {
    Exiger(conception_, Propriete::Apparence);
    return visible_;
}

bool ControleMemoire::Actif() const {
    Exiger(conception_, Propriete::Apparence);
    return actif_;
}

std::string ControleMemoire::InfoBulle() const {
    Exiger(conception_, Propriete::Apparence);
    return infoBulle_;
}

Police ControleMemoire::LirePolice() const {
    Exiger(conception_, Propriete::Apparence);
    return police_;
}

void ControleMemoire::DefinirVisible(bool visible) {
    Accepter(*this, Propriete::Apparence);
    visible_ = visible;
}

void ControleMemoire::DefinirActif(bool actif) {
    Accepter(*this, Propriete::Apparence);
    actif_ = actif;
}

void ControleMemoire::DefinirInfoBulle(const std::string& infoBulle) {
    Accepter(*this, Propriete::Apparence);
    infoBulle_ = infoBulle;
}

void ControleMemoire::DefinirPolice(const Police& police) {
    Accepter(*this, Propriete::Apparence);
    police_ = police;
}

std::string ControleMemoire::Texte() const {
    Exiger(conception_, Propriete::Texte);
    if (lecteurs_) {
        return lecteurs_->Lecteur();
    }
    if (dossiers_) {
        return dossiers_->Chemin();
    }
    return texte_;
}

void ControleMemoire::DefinirTexte(const std::string& texte) {
    Accepter(*this, Propriete::Texte);
    if (lecteurs_ || dossiers_) {
        // The list raises its change itself.
        lecteurs_ ? lecteurs_->DefinirLecteur(texte) : dossiers_->DefinirChemin(texte);
        return;
    }
    std::string nouveau = TexteDeBoite(conception_, texte);
    if (nouveau == texte_) {
        return;
    }
    texte_ = std::move(nouveau);
    if (conception_.genre == Genre::ZoneTexte) {
        form_.recepteur_.Recevoir(conception_.nom, conception_.indice, Evenement::Change);
    }
}

void ControleMemoire::DefinirImage(std::string_view icone) {
    Accepter(*this, Propriete::Image);
    image_.assign(icone);
}

void ControleMemoire::DefinirIntervalle(int millisecondes) {
    if (enPanne) {
        throw Erreur(ErrArgument);
    }
    ExigerIntervalle(conception_, millisecondes);
    intervalle_ = millisecondes;
}

void ControleMemoire::DefinirTexteCle(std::size_t position, const std::string& texte) {
    if (enPanne) {
        throw Erreur(ErrArgument);
    }
    ExigerCle(conception_, position);
    textesCles_[position] = texte;
}

double ControleMemoire::Max() const {
    Accepter(*this, Propriete::Progression);
    return progression_.Max();
}

void ControleMemoire::DefinirMax(double max) {
    Accepter(*this, Propriete::Progression);
    progression_.DefinirMax(max);
}

double ControleMemoire::Valeur() const {
    Accepter(*this, Propriete::Progression);
    return progression_.Valeur();
}

void ControleMemoire::DefinirValeur(double valeur) {
    Accepter(*this, Propriete::Progression);
    progression_.DefinirValeur(valeur);
}

ListeLecteurs& ControleMemoire::Lecteurs() {
    Accepter(*this, Propriete::Texte, lecteurs_ != nullptr);
    return *lecteurs_;
}

ListeDossiers& ControleMemoire::Dossiers() {
    Accepter(*this, Propriete::Texte, dossiers_ != nullptr);
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
    if (const auto ordre = OrdreTabulation(conception.controles); !ordre.empty()) {
        focus_ = ordre.front();
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

void FormulaireMemoire::Appuyer(Touche touche) {
    const std::size_t i =
        ControleDeLaTouche(conception_.controles, touche, focus_, [this](std::size_t j) {
            return controles_[j].visible_ && controles_[j].actif_;
        });
    if (i != Aucun) {
        const ConceptionControle& d = controles_[i].Conception();
        recepteur_.Recevoir(d.nom, d.indice, Evenement::Click);
    }
}

void FormulaireMemoire::Tabuler() {
    const std::vector<std::size_t> ordre = OrdreTabulation(conception_.controles);
    if (ordre.empty()) {
        return;
    }
    // From a control out of the order, the first tab stop comes next.
    const auto ici = std::find(ordre.begin(), ordre.end(), focus_);
    const std::size_t depart =
        ici == ordre.end() ? ordre.size() - 1 : static_cast<std::size_t>(ici - ordre.begin());
    for (std::size_t pas = 1; pas <= ordre.size(); ++pas) {
        const std::size_t suivant = ordre[(depart + pas) % ordre.size()];
        if (controles_[suivant].visible_ && controles_[suivant].actif_) {
            focus_ = suivant;
            return;
        }
    }
}

const ConceptionControle* FormulaireMemoire::Focus() const {
    return focus_ != Aucun ? &controles_[focus_].Conception() : nullptr;
}

void FormulaireMemoire::DonnerFocus(std::string_view nom, int indice) {
    const ControleMemoire& c = Memoire(nom, indice);
    if (!PrendLeFocus(c.Conception())) {
        throw Erreur(ErrArgument);
    }
    focus_ = static_cast<std::size_t>(&c - controles_.data());
}

std::unique_ptr<IVueFormulaire> FabriqueMemoire::Creer(const ConceptionFenetre& conception,
                                                       IRecepteur& recepteur) {
    return std::make_unique<FormulaireMemoire>(conception, recepteur, pendantModal);
}

} // namespace monvalor
