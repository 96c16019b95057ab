// The converter window: nine labelled boxes, the clipboard timer, the start of the program.
#pragma once

#include "forms/Formulaire.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace monvalor {

extern const ConceptionFenetre ConceptionConvertisseur;

inline constexpr int IntervalleVeille = 500;
inline constexpr std::string_view TauxInitial = "19,6";
// The most characters the amount box holds (a Qt line edit's limit, and the classic text box's):
// a longer text would be cut there and converted as some other amount.
inline constexpr std::size_t LongueurMaxMontant = 32767;

class frmConvertisseur final : public Fenetre, public InstanceParDefaut<frmConvertisseur> {
public:
    frmConvertisseur();
    ~frmConvertisseur() override;

    // The clipboard watch: takes an amount copied to the clipboard, shows its conversions,
    // brings the window to the front and empties the clipboard.
    void Timer_Timer();
    // Both put the free-entry text on the clipboard, for the next tick to convert.
    void txtMontantLibre_Change();
    void txtTaux_Change();
    // The welcome of every start: the About window with the product's addresses, this
    // window's icon and how to use the program, shown over this window.
    void Bienvenue();

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void Gerer(std::string_view controle, int indice, Evenement evenement) override;

private:
    void Journaliser();

    bool dansTick_ = false;
    std::string journal_;
};

} // namespace monvalor
