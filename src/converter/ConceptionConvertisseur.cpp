// The converter window as designed: nine rows, a label at the left and a text box at the
// right, 240 twips apart; "Euros" and "Francs" in bold.
#include "converter/frmConvertisseur.h"

#include "support/TexteSource.h"

namespace monvalor {

namespace {

constexpr Police kSansSerif{"MS Sans Serif", 8.25};
constexpr Police kGras{"MS Sans Serif", 8.25, true};

constexpr ConceptionControle Label(std::string_view nom, std::string_view legende, int rang,
                                   int largeur, int tabulation, const Police* police = nullptr) {
    ConceptionControle c;
    c.genre = Genre::Label;
    c.nom = nom;
    c.legende = legende;
    c.position = {0, 240 * rang, largeur, 255};
    c.tabulation = tabulation;
    c.police = police;
    return c;
}

constexpr ConceptionControle Boite(std::string_view nom, int rang, int tabulation,
                                   std::string_view texte = {}) {
    ConceptionControle c;
    c.genre = Genre::ZoneTexte;
    c.nom = nom;
    c.legende = texte;
    c.position = {1080, 240 * rang, 1095, 255};
    c.tabulation = tabulation;
    return c;
}

constexpr ConceptionControle kControles[] = {
    Label("Label1", "Presse Papier", 0, 975, 1),
    Boite("txtMontant", 0, 0),
    Label("Label2", "Euros", 1, 855, 3, &kGras),
    Boite("txtEuros", 1, 2),
    Label("Label3", "Francs", 2, 855, 7, &kGras),
    Boite("txtFrancs", 2, 4),
    Label("Label8", "Taux", 3, 855, 5),
    Boite("txtTaux", 3, 6, TauxInitial),
    Label("Label4", "TVA ou %", 4, 855, 9),
    Boite("txtTVA", 4, 8),
    Label("Label5", "Montant HT", 5, 975, 11),
    Boite("txtMontantHT", 5, 10),
    Label("Label6", "Montant TTC", 6, 1095, 13),
    Boite("txtMontantTTC", 6, 12),
    Label("Label9", u8"Réduction"_ansi, 7, 1095, 17),
    Boite(u8"txtRéduction"_ansi, 7, 14),
    Label("Label7", "Montant libre", 8, 1095, 16),
    Boite("txtMontantLibre", 8, 15),
    {.genre = Genre::Minuterie, .nom = "Timer"},
};

} // namespace

const ConceptionFenetre ConceptionConvertisseur{
    .nom = "frmConvertisseur",
    .legende = "Didez Izevezirevade",
    .largeur = 2220,
    .hauteur = 2220,
    .police = kSansSerif,
    .bordure = Bordure::Fixe,
    .barreDesTaches = true,
    .icone = "monvalor",
    .controles = kControles,
};

} // namespace monvalor
