// The About window as designed: the title, version and description beside the icon, the two
// links under an etched rule, the legal notice and the three buttons.
#include "about/frmAbout.h"

#include "converter/Adresses.h"
#include "support/TexteSource.h"

namespace monvalor {

namespace {

constexpr Police kTahoma{"Tahoma", 8.25};
constexpr Police kLien{"Times New Roman", 9.75, false, true};
constexpr int kBleu = 0x0000FF;

constexpr ConceptionControle Texte(std::string_view nom, std::string_view legende,
                                   Rectangle position) {
    return {.genre = Genre::Label,
            .nom = nom,
            .legende = legende,
            .position = position,
            .retourLigne = true};
}

// The keyboard reaches the links after the buttons.
constexpr ConceptionControle Lien(std::string_view nom, std::string_view legende, int haut,
                                  std::string_view infoBulle, int tabulation) {
    return {.genre = Genre::Label,
            .nom = nom,
            .legende = legende,
            .position = {120, haut, 5535, 255},
            .tabulation = tabulation,
            .police = &kLien,
            .infoBulle = infoBulle,
            .couleur = kBleu,
            .lien = true};
}

constexpr ConceptionControle Bouton(std::string_view nom, std::string_view legende,
                                    Rectangle position, int tabulation, bool ok = false) {
    return {.genre = Genre::Bouton,
            .nom = nom,
            .legende = legende,
            .position = position,
            .tabulation = tabulation,
            .defaut = ok,
            .annulation = ok};
}

// An etched rule: a dark line with a light one just beneath it.
constexpr ConceptionControle Trait(int indice, int haut, int couleur) {
    return {.genre = Genre::Ligne,
            .nom = "Line1",
            .position = {120, haut, 5535, 15},
            .indice = indice,
            .couleur = couleur};
}

constexpr ConceptionControle kControles[] = {
    {.genre = Genre::Image, .nom = u8"Icône"_ansi, .position = {120, 120, 540, 540}},
    Texte("lblTitle", "Titre de l'application", {1290, 240, 3885, 480}),
    Texte("lblVersion", "Version", {1290, 780, 3885, 225}),
    Bouton("cmdVersion", u8"Mise à jour"_ansi, {120, 1080, 975, 495}, 2),
    Texte("lblDescription", "Description de l'application", {1320, 1125, 3885, 1650}),
    Lien("lblSite", PageAccueil, 2880, "Ouvrir le site web", 3),
    Lien("lblEmail", AdresseEmail, 3240, "Envoyer un courriel", 4),
    Texte("lblDisclaimer", "", {255, 3705, 3870, 1065}),
    Bouton("cmdOK", "OK", {4320, 3945, 1260, 345}, 0, true),
    Bouton("cmdSysInfo", u8"&Infos système..."_ansi, {4320, 4395, 1245, 345}, 1),
    Trait(0, 2820, 0x808080),
    Trait(1, 2835, 0xFFFFFF),
};

} // namespace

const ConceptionFenetre ConceptionAbout{
    .nom = "frmAbout",
    .legende = u8"À propos de"_ansi,
    .largeur = 5730,
    .hauteur = 5475,
    .police = kTahoma,
    .bordure = Bordure::Dialogue,
    .barreDesTaches = false,
    .controles = kControles,
};

} // namespace monvalor
