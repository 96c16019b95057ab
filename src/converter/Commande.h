// The command line of Monvalor: conversions for scripts and machines without a display.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace monvalor {

enum class ActionCommande {
    Fenetre,  // no command-line request: open the window
    Terminee, // the command line did its work; exit with the code given
};

struct ResultatCommande {
    ActionCommande action = ActionCommande::Fenetre;
    int code = 0;
};

// Reads the arguments (UTF-8, without the program name) and carries out a command-line
// request, writing UTF-8 text to `sortie` and `erreurs`.
ResultatCommande ExecuterLigneCommande(const std::vector<std::string>& arguments,
                                       std::ostream& sortie, std::ostream& erreurs);

// The eight lines of a conversion, as the window shows them: label, tab, the box's text
// (Windows-1252). The rate text is taken as typed.
std::vector<std::pair<std::string, std::string>> LignesConversion(const std::string& montant,
                                                                  const std::string& taux);

} // namespace monvalor
