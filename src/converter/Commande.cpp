#include "converter/Commande.h"

#include "converter/Conversions.h"
#include "support/Ansi.h"
#include "support/TexteSource.h"
#include "support/Version.h"

#include <ostream>

namespace monvalor {

namespace {

constexpr const char* kTauxInitial = "19,6";

void Aide(std::ostream& sortie) {
    sortie << "Usage : monvalor [OPTION]\n"
              "Convertit les montants copiés dans le presse-papiers : francs et euros "
              "(6,55957), TVA, montants HT et TTC, réduction.\n"
              "\n"
              "Sans option, ouvre la fenêtre du convertisseur.\n"
              "\n"
              "  --convertir MONTANT   affiche les conversions de MONTANT et quitte\n"
              "  --taux TAUX           taux en pourcentage pour --convertir (19,6 par défaut)\n"
              "  --aide, --help        affiche cette aide et quitte\n"
              "  --version             affiche la version et quitte\n"
              "\n"
              "Codes de sortie : 0 réussite, 2 erreur d'utilisation ou montant "
              "incorrect.\n";
}

int ErreurUsage(std::ostream& erreurs, const std::string& message) {
    erreurs << "monvalor : " << message << "\n"
            << "Essayez « monvalor --aide » pour plus d'informations.\n";
    return 2;
}

} // namespace

std::vector<std::pair<std::string, std::string>> LignesConversion(const std::string& montant,
                                                                  const std::string& taux) {
    const Conversions c = CalculerConversions(montant, taux);
    auto texte = [](const std::optional<std::string>& v) { return v.value_or(std::string()); };
    return {
        {"Presse Papier", montant},           {"Euros", texte(c.euros)},
        {"Francs", texte(c.francs)},          {"Taux", taux},
        {"TVA ou %", texte(c.tva)},           {"Montant HT", texte(c.montantHT)},
        {"Montant TTC", texte(c.montantTTC)}, {std::string(u8"Réduction"_ansi), texte(c.reduction)},
    };
}

ResultatCommande ExecuterLigneCommande(const std::vector<std::string>& bruts, std::ostream& sortie,
                                       std::ostream& erreurs) {
    // "--taux=5,5" reads as "--taux" "5,5".
    std::vector<std::string> arguments;
    for (const std::string& a : bruts) {
        const size_t egal = a.find('=');
        if (a.rfind("--", 0) == 0 && egal != std::string::npos) {
            arguments.push_back(a.substr(0, egal));
            arguments.push_back(a.substr(egal + 1));
        } else {
            arguments.push_back(a);
        }
    }
    const std::string* montant = nullptr;
    std::string taux = kTauxInitial;
    bool tauxDonne = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--aide" || a == "--help" || a == "-h") {
            Aide(sortie);
            return {ActionCommande::Terminee, 0};
        }
        if (a == "--version") {
            sortie << "Monvalor " << VersionProgramme.texte << "\n";
            return {ActionCommande::Terminee, 0};
        }
        if (a == "--convertir" || a == "--taux") {
            if (i + 1 >= arguments.size()) {
                return {ActionCommande::Terminee,
                        ErreurUsage(erreurs, "l'option " + a + " demande une valeur")};
            }
            const std::string& valeur = arguments[++i];
            if (a == "--convertir") {
                montant = &valeur;
            } else {
                // Read as the window reads what is pasted into it.
                taux = Utf8VersAnsiApproche(valeur);
                tauxDonne = true;
            }
            continue;
        }
        return {ActionCommande::Terminee, ErreurUsage(erreurs, "argument inconnu « " + a + " »")};
    }
    if (!montant) {
        if (tauxDonne) {
            return {ActionCommande::Terminee,
                    ErreurUsage(erreurs, "--taux ne s'emploie qu'avec --convertir")};
        }
        return {ActionCommande::Fenetre, 0};
    }
    // The argument is what a terminal pastes: a price copied from a web page keeps the narrow
    // no-break spaces of its digit groups.
    const std::string normalise = NormaliserMontant(Utf8VersAnsiApproche(*montant));
    if (!EstMontant(normalise)) {
        erreurs << "monvalor : « " << *montant << " » n'est pas un montant.\n";
        return {ActionCommande::Terminee, 2};
    }
    for (const auto& [libelle, texte] : LignesConversion(normalise, taux)) {
        sortie << AnsiVersUtf8(libelle) << '\t' << AnsiVersUtf8(texte) << '\n';
    }
    return {ActionCommande::Terminee, 0};
}

} // namespace monvalor
