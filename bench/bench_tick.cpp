// Cost of one clipboard tick, on doubles of the clipboard and the window: with an empty
// clipboard (the case of almost every tick) and with an amount. Each figure is printed beside
// a reference measured in the same run: a bare clipboard read for the empty tick, the six
// conversions alone for the tick that takes an amount.
#include "converter/Conversions.h"
#include "converter/Veilleur.h"
#include "platform/Services.h"

#include <chrono>
#include <cstdio>
#include <map>

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

class VueBanc final : public IVueConvertisseur {
public:
    std::string boites[9] = {"", "", "", "19,6", "", "", "", "", ""};
    std::string Texte(Boite b) const override { return boites[static_cast<int>(b)]; }
    void DefinirTexte(Boite b, const std::string& t) override { boites[static_cast<int>(b)] = t; }
    void AuPremierPlan() override {}
    void DefinirIntervalle(int) override {}
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
    PressePapierBanc pp;
    VueBanc vue;

    const double lecture = NanosecondesParAppel([&] { puits = pp.LireTexte()->size(); });
    const double vide = NanosecondesParAppel([&] { puits = Timer_Timer(vue, pp); });

    pp.texte = pp.recharge = "12.50";
    const double conversions =
        NanosecondesParAppel([&] { puits = CalculerConversions("12,50", "19,6").euros->size(); });
    const double montant = NanosecondesParAppel([&] { puits = Timer_Timer(vue, pp); });

    std::printf("%-38s %10s %14s %8s\n", "case", "ns/tick", "reference ns", "ratio");
    std::printf("%-38s %10.1f %14.1f %8.2f  (reference: one clipboard read)\n",
                "tick, empty clipboard", vide, lecture, vide / lecture);
    std::printf("%-38s %10.1f %14.1f %8.2f  (reference: the six conversions)\n",
                "tick, amount \"12.50\"", montant, conversions, montant / conversions);
    return 0;
}
