// The command line: conversions printed for scripts, errors and exit codes.
#include "converter/Commande.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace monvalor;

namespace {

struct Sortie {
    ResultatCommande resultat;
    std::string sortie, erreurs;
};

Sortie Executer(const std::vector<std::string>& arguments) {
    std::ostringstream sortie, erreurs;
    const ResultatCommande r = ExecuterLigneCommande(arguments, sortie, erreurs);
    return {r, sortie.str(), erreurs.str()};
}

} // namespace

// The eight lines, label and text, in the window's order. A rate that does not read is shown as
// typed and leaves the four rate figures absent; the arguments are UTF-8.
TEST(LigneCommande, ConvertsInTheWindowsOrder) {
    EXPECT_EQ(Executer({"--taux", "5,5", "--convertir", "12.50"}).sortie,
              "Presse Papier\t12,50\nEuros\t1,91\nFrancs\t81,99\nTaux\t5,5\nTVA ou %\t0,69\n"
              "Montant HT\t11,85\nMontant TTC\t13,19\nRéduction\t11,81\n");
    const Sortie s = Executer({"--convertir=1\u00A0000 €", "--taux=19.6"});
    EXPECT_EQ(s.resultat.code, 0);
    EXPECT_EQ(s.sortie, "Presse Papier\t1\u00A0000 €\nEuros\t152,45\nFrancs\t6559,57\n"
                        "Taux\t19.6\nTVA ou %\t\nMontant HT\t\nMontant TTC\t\nRéduction\t\n");
    EXPECT_EQ(s.erreurs, "");
    // A price pasted from a web page: narrow no-break spaces are shown as no-break spaces.
    const Sortie web = Executer({"--convertir", "1\u202F234,56\u202F€"});
    EXPECT_EQ(web.resultat.code, 0);
    EXPECT_EQ(web.sortie.substr(0, web.sortie.find("\nFrancs")),
              "Presse Papier\t1\u00A0234,56\u00A0€\nEuros\t188,21");
}

TEST(LigneCommande, RefusesWhatIsNotAnAmountWithStatusTwo) {
    // "1=2" is an amount to refuse, not an option with a value.
    for (const char* texte : {"abc", "1.234,56", "", "12,5\xE2\x88\x9E", "\xFF", "1=2"}) {
        SCOPED_TRACE(texte);
        const Sortie s = Executer({"--convertir", texte});
        EXPECT_EQ(s.resultat.code, 2);
        EXPECT_EQ(s.sortie, "");
        EXPECT_NE(s.erreurs.find("n'est pas un montant"), std::string::npos);
        EXPECT_EQ(std::count(s.erreurs.begin(), s.erreurs.end(), '\n'), 1);
    }
}

TEST(LigneCommande, UsageErrorsHelpAndVersion) {
    struct Cas {
        std::vector<std::string> arguments;
        int code;
        const char *dansSortie, *dansErreurs;
    };
    const Cas cas[] = {
        {{"--aide"}, 0, "--convertir MONTANT", ""},
        {{"--help"}, 0, "--convertir MONTANT", ""},
        {{"-h"}, 0, "--convertir MONTANT", ""},
        {{"--version"}, 0, "Monvalor 1.3.1", ""},
        {{"--convertir"}, 2, "", "demande une valeur"},
        {{"--taux", "5"}, 2, "", "--taux ne s'emploie qu'avec --convertir"},
        {{"--inconnu"}, 2, "", "argument inconnu"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.arguments.front());
        const Sortie s = Executer(c.arguments);
        EXPECT_EQ(s.resultat.action, ActionCommande::Terminee);
        EXPECT_EQ(s.resultat.code, c.code);
        EXPECT_NE(s.sortie.find(c.dansSortie), std::string::npos) << s.sortie;
        EXPECT_NE(s.erreurs.find(c.dansErreurs), std::string::npos) << s.erreurs;
    }
    const Sortie s = Executer({});
    EXPECT_EQ(s.resultat.action, ActionCommande::Fenetre);
    EXPECT_EQ(s.sortie + s.erreurs, "");
}
