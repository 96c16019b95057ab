// Cost of one clipboard tick of the real converter window, on its form in memory and a
// clipboard double: with an empty clipboard (the case of almost every tick) and with an amount.
// Each figure is printed beside a reference measured in the same run: a bare clipboard read for
// the empty tick, the six conversions alone for the tick that takes an amount.
#include "converter/Conversions.h"
#include "converter/frmConvertisseur.h"
#include "services/Services.h"

#include <chrono>
#include <cstdio>

using namespace monvalor;

namespace {

class PressePapierBanc final : public IPressePapier {
public:
    std::string texte;
    std::string recharge; // put back after each emptying, so every tick sees an amount
    std::optional<std::string> LireTexte() override { return texte; }
    void EcrireTexte(const std::string& t) override { texte = t; }
    void Vider() override { texte = recharge; }
};

template <typename F> double NanosecondesParAppel(F&& f) {
    using Horloge = std::chrono::steady_clock;
    long n = 1000;
    for (;;) {
        const auto debut = Horloge::now();
        for (long i = 0; i < n; ++i) {
            f();
        }
        const double ns = std::chrono::duration<double, std::nano>(Horloge::now() - debut).count();
        if (ns > 2e8) {
            return ns / static_cast<double>(n);
        }
        n *= 4;
    }
}

volatile std::size_t puits;

} // namespace

int main() {
    auto pp = std::make_shared<PressePapierBanc>();
    Plateforme().pressePapier = pp;
    Plateforme().instancePrecedente = true; // loads the form without the welcome
    frmConvertisseur& frm = frmConvertisseur::Defaut();
    frm.Charger();

    const double lecture = NanosecondesParAppel([&] { puits = pp->LireTexte()->size(); });
    const double vide = NanosecondesParAppel([&] { frm.Timer_Timer(); });

    pp->texte = pp->recharge = "12.50";
    const double conversions =
        NanosecondesParAppel([&] { puits = CalculerConversions("12,50", "19,6").euros->size(); });
    const double montant = NanosecondesParAppel([&] { frm.Timer_Timer(); });

    std::printf("%-38s %10s %14s %8s\n", "case", "ns/tick", "reference ns", "ratio");
    std::printf("%-38s %10.1f %14.1f %8.2f  (reference: one clipboard read)\n",
                "tick, empty clipboard", vide, lecture, vide / lecture);
    std::printf("%-38s %10.1f %14.1f %8.2f  (reference: the six conversions)\n",
                "tick, amount \"12.50\"", montant, conversions, montant / conversions);
    frmConvertisseur::ReinitialiserDefaut();
    ReinitialiserServices();
    return 0;
}
