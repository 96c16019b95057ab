// Forms kept in memory, built from the design tables: the face in force when no toolkit is
// installed (the program without a display, the tests). They hold every property as a native
// form would, raise the same events, and let a caller act as the user would.
#pragma once

#include "forms/Formulaire.h"
#include "forms/ListesFichiers.h"
#include "forms/Regles.h"

#include <functional>
#include <string>
#include <vector>

namespace monvalor {

class FormulaireMemoire;

class ControleMemoire final : public IControle {
public:
    ControleMemoire(FormulaireMemoire& form, const ConceptionControle& conception);

    std::string Texte() const override;
    void DefinirTexte(const std::string& texte) override;
    bool Visible() const override;
    void DefinirVisible(bool visible) override;
    bool Actif() const override;
    void DefinirActif(bool actif) override;
    std::string InfoBulle() const override;
    void DefinirInfoBulle(const std::string& infoBulle) override;
    Police LirePolice() const override;
    void DefinirPolice(const Police& police) override;
    void DefinirImage(std::string_view icone) override;
    void DefinirIntervalle(int millisecondes) override;
    void DefinirTexteCle(std::size_t position, const std::string& texte) override;
    double Max() const override;
    void DefinirMax(double max) override;
    double Valeur() const override;
    void DefinirValeur(double valeur) override;

    // A control that refuses every new value, as a native one may: each setter throws.
    bool enPanne = false;

    const ConceptionControle& Conception() const { return conception_; }
    const std::string& Image() const { return image_; }
    int Intervalle() const { return intervalle_; }
    // The texts given to the toolbar's buttons or the list view's columns, "" where none.
    const std::vector<std::string>& TextesCles() const { return textesCles_; }
    // What a drive list or a folder list shows; Erreur 5 for any other control.
    ListeLecteurs& Lecteurs();
    ListeDossiers& Dossiers();

private:
    friend class FormulaireMemoire;
    FormulaireMemoire& form_;
    const ConceptionControle& conception_;
    std::string texte_;
    bool visible_;
    bool actif_;
    std::string infoBulle_;
    Police police_;
    std::string image_;
    int intervalle_ = 0;
    std::vector<std::string> textesCles_;
    Progression progression_;
    std::unique_ptr<ListeLecteurs> lecteurs_;
    std::unique_ptr<ListeDossiers> dossiers_;
};

class FormulaireMemoire final : public IVueFormulaire {
public:
    FormulaireMemoire(const ConceptionFenetre& conception, IRecepteur& recepteur,
                      std::function<void(FormulaireMemoire&)> pendantModal);

    IControle& Controle(std::string_view nom, int indice = -1) override;
    std::string Legende() const override { return legende_; }
    void DefinirLegende(const std::string& legende) override { legende_ = legende; }
    int Hauteur() const override { return hauteur_; }
    void DefinirHauteur(int twips) override { hauteur_ = twips; }
    std::string Icone() const override { return std::string(conception_.icone); }
    void Montrer() override { visible_ = true; }
    void Cacher() override { visible_ = false; }
    void MontrerModal(IVueFormulaire* proprietaire) override;
    void AuPremierPlan() override;

    // What the user would do: each raises the event the form would.
    void Cliquer(std::string_view nom, int indice = -1);
    void Taper(std::string_view nom, const std::string& texte);
    void Tic(std::string_view minuterie = "Timer");
    // Picks the drive at that position of a drive list, or double-clicks that entry of a
    // folder list; a failure shows in a message box, as the list's own.
    void Choisir(std::string_view nom, std::size_t position);
    void FermerParLaBarreDeTitre();
    // A key that no control took, as the form's keyboard handling would see it.
    void Appuyer(Touche touche);
    // Tab: the focus to the next tab stop that is shown and enabled, round to the first.
    void Tabuler();
    // The control that has the focus, the first in tab order when the form is built.
    const ConceptionControle* Focus() const;
    void DonnerFocus(std::string_view nom, int indice = -1);

    ControleMemoire& Memoire(std::string_view nom, int indice = -1);
    // A window system that refuses to raise the form.
    bool premierPlanEnPanne = false;
    const ConceptionFenetre& Conception() const { return conception_; }
    bool EstVisible() const { return visible_; }
    int FoisAuPremierPlan() const { return premierPlan_; }
    // The owner of each modal showing, in order (nullptr: over the screen).
    const std::vector<IVueFormulaire*>& Proprietaires() const { return proprietaires_; }

private:
    friend class ControleMemoire;
    const ConceptionFenetre& conception_;
    IRecepteur& recepteur_;
    std::function<void(FormulaireMemoire&)> pendantModal_;
    std::vector<ControleMemoire> controles_;
    std::string legende_;
    int hauteur_;
    bool visible_ = false;
    int premierPlan_ = 0;
    std::size_t focus_ = Aucun;
    std::vector<IVueFormulaire*> proprietaires_;
};

class FabriqueMemoire final : public IFabriqueFormulaires {
public:
    std::unique_ptr<IVueFormulaire> Creer(const ConceptionFenetre& conception,
                                          IRecepteur& recepteur) override;
    // Runs while a form is shown modally, as the user's doings would: the modal showing
    // returns when it does.
    std::function<void(FormulaireMemoire&)> pendantModal;
};

} // namespace monvalor
