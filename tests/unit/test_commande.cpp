// The command line: conversions printed for scripts, errors and exit codes.
#include "converter/Commande.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace monvalor;

namespace {

struct Sortie {
    ResultatCommande resultat;
    std::string sortie;
    std::string erreurs;
};

Sortie Executer(std::vector<std::string> arguments) {
    std::ostringstream sortie, erreurs;
    Sortie s;
    s.resultat = ExecuterLigneCommande(arguments, sortie, erreurs);
    s.sortie = sortie.str();
    s.erreurs = erreurs.str();
    return s;
}

} // namespace

TEST(LigneCommande, ConvertsInTheWindowsOrder) {
    struct Cas {
        std::vector<std::string> arguments;
        const char* attendu;
    };
    const Cas cas[] = {
        {{"--convertir", "100"},
         "Presse Papier\t100\nEuros\t15,24\nFrancs\t655,96\nTaux\t19,6\nTVA ou %\t19,6\n"
         "Montant HT\t83,61\nMontant TTC\t119,6\nR\xC3\xA9"
         "duction\t80,4\n"},
        {{"--taux", "5,5", "--convertir", "12.50"},
         "Presse Papier\t12,50\nEuros\t1,91\nFrancs\t81,99\nTaux\t5,5\nTVA ou %\t0,69\n"
         "Montant HT\t11,85\nMontant TTC\t13,19\nR\xC3\xA9"
         "duction\t11,81\n"},
        {{"--convertir=-50", "--taux=19,6"},
         "Presse Papier\t-50\nEuros\t-7,62\nFrancs\t-327,98\nTaux\t19,6\nTVA ou %\t-9,8\n"
         "Montant HT\t-41,81\nMontant TTC\t-59,8\nR\xC3\xA9"
         "duction\t-40,2\n"},
        // A rate that does not read leaves the four rate figures absent: label and tab only.
        {{"--convertir", "100", "--taux", "19.6"},
         "Presse Papier\t100\nEuros\t15,24\nFrancs\t655,96\nTaux\t19.6\nTVA ou %\t\n"
         "Montant HT\t\nMontant TTC\t\nR\xC3\xA9"
         "duction\t\n"},
        // Division by zero leaves only "Montant HT" absent.
        {{"--convertir", "100", "--taux", "-100"},
         "Presse Papier\t100\nEuros\t15,24\nFrancs\t655,96\nTaux\t-100\nTVA ou %\t-100\n"
         "Montant HT\t\nMontant TTC\t0\nR\xC3\xA9"
         "duction\t200\n"},
        // UTF-8 arguments: a euro sign and a no-break space in a grouped amount.
        {{"--convertir", "1\xC2\xA0"
                         "000 \xE2\x82\xAC"},
         "Presse Papier\t1\xC2\xA0"
         "000 \xE2\x82\xAC\nEuros\t152,45\nFrancs\t6559,57\n"
         "Taux\t19,6\nTVA ou %\t196\nMontant HT\t836,12\nMontant TTC\t1196\n"
         "R\xC3\xA9"
         "duction\t804\n"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.arguments.front());
        const Sortie s = Executer(c.arguments);
        EXPECT_EQ(s.resultat.action, ActionCommande::Terminee);
        EXPECT_EQ(s.resultat.code, 0);
        EXPECT_EQ(s.sortie, c.attendu);
        EXPECT_EQ(s.erreurs, "");
    }
}

TEST(LigneCommande, RefusesWhatIsNotAnAmountWithStatusTwo) {
    // "1=2" is an amount to refuse, not an option with a value.
    for (const char* texte : {"abc", "1.234,56", "", "   ", "12,5\xE2\x88\x9E", "\xFF", "1=2"}) {
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
        const char* dansSortie;
        const char* dansErreurs;
    };
    const Cas cas[] = {
        {{"--aide"}, 0, "--convertir MONTANT", ""},
        {{"--help"}, 0, "--convertir MONTANT", ""},
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
}

TEST(LigneCommande, NoArgumentsOpensTheWindow) {
    const Sortie s = Executer({});
    EXPECT_EQ(s.resultat.action, ActionCommande::Fenetre);
    EXPECT_EQ(s.sortie + s.erreurs, "");
}
