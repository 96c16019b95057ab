// The clipboard watcher of the converter window: the timer tick and the two change handlers.
// They work on a small view of the window so that they run the same over Qt widgets and over
// a test double.
#pragma once

#include <string>

namespace monvalor {

class IPressePapier;

enum class Boite {
    Montant,
    Euros,
    Francs,
    Taux,
    TVA,
    MontantHT,
    MontantTTC,
    Reduction,
    MontantLibre,
};

// What the watcher needs of the converter window. Texts are Windows-1252.
class IVueConvertisseur {
public:
    virtual ~IVueConvertisseur() = default;
    virtual std::string Texte(Boite boite) const = 0;
    virtual void DefinirTexte(Boite boite, const std::string& texte) = 0;
    // Raises the window above all others, then lets it be covered again like any window;
    // never moves nor resizes it.
    virtual void AuPremierPlan() = 0;
    virtual void DefinirIntervalle(int millisecondes) = 0;
};

constexpr int IntervalleVeille = 500;

// The tick. Returns true when an amount was taken from the clipboard (so that a caller can
// log it); the outcome is otherwise only what it does to the view and the clipboard.
bool Timer_Timer(IVueConvertisseur& vue, IPressePapier& pressePapier);

// Both put the free-entry text on the clipboard, for the next tick to convert.
void txtMontantLibre_Change(IVueConvertisseur& vue, IPressePapier& pressePapier);
void txtTaux_Change(IVueConvertisseur& vue, IPressePapier& pressePapier);

} // namespace monvalor
