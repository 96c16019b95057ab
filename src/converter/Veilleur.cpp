#include "converter/Veilleur.h"

#include "converter/Conversions.h"
#include "platform/Services.h"

#include <optional>

namespace monvalor {

namespace {

// Runs one step of the tick on its own: whatever it throws, the next step still runs.
template <typename F> void Etape(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

bool QueDesEspaces(const std::string& texte) {
    return texte.find_first_not_of(' ') == std::string::npos;
}

} // namespace

bool Timer_Timer(IVueConvertisseur& vue, IPressePapier& pressePapier) {
    bool pris = false;
    std::optional<std::string> lu;
    try {
        lu = pressePapier.LireTexte();
    } catch (...) {
        lu.reset();
    }

    if (lu && !QueDesEspaces(*lu)) {
        std::string montant;
        bool accepte = false;
        try {
            montant = NormaliserMontant(*lu);
            accepte = EstMontant(montant);
        } catch (...) {
            accepte = false;
        }
        if (accepte) {
            pris = true;
            Etape([&] { vue.DefinirTexte(Boite::Montant, montant); });
            Etape([&] {
                const Conversions c =
                    CalculerConversions(vue.Texte(Boite::Montant), vue.Texte(Boite::Taux));
                const std::pair<Boite, const std::optional<std::string>*> sorties[] = {
                    {Boite::Euros, &c.euros},
                    {Boite::Francs, &c.francs},
                    {Boite::TVA, &c.tva},
                    {Boite::MontantHT, &c.montantHT},
                    {Boite::MontantTTC, &c.montantTTC},
                    {Boite::Reduction, &c.reduction},
                };
                for (const auto& sortie : sorties) {
                    if (*sortie.second) {
                        Etape([&] { vue.DefinirTexte(sortie.first, **sortie.second); });
                    }
                }
            });
            Etape([&] { vue.AuPremierPlan(); });
            Etape([&] { pressePapier.Vider(); });
        }
    }
    Etape([&] { vue.DefinirIntervalle(IntervalleVeille); });
    return pris;
}

void txtMontantLibre_Change(IVueConvertisseur& vue, IPressePapier& pressePapier) {
    pressePapier.EcrireTexte(vue.Texte(Boite::MontantLibre));
}

void txtTaux_Change(IVueConvertisseur& vue, IPressePapier& pressePapier) {
    txtMontantLibre_Change(vue, pressePapier);
}

} // namespace monvalor
