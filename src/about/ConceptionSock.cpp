// The download window as designed: the address, the progress frame with its figures, the button
// bar, and the headers pane below the visible area until "En Têtes" shows it.
#include "about/frmSock.h"

#include "support/TexteSource.h"

namespace monvalor {

namespace {

constexpr ConceptionControle Libelle(std::string_view nom, std::string_view legende,
                                     Rectangle position, std::string_view conteneur = "Frame") {
    return {.genre = Genre::Label,
            .nom = nom,
            .legende = legende,
            .position = position,
            .conteneur = conteneur};
}

constexpr ConceptionControle Bouton(std::string_view nom, std::string_view legende, int gauche,
                                    int largeur, int tabulation, bool actif = true) {
    return {.genre = Genre::Bouton,
            .nom = nom,
            .legende = legende,
            .position = {gauche, 0, largeur, 375},
            .tabulation = tabulation,
            .conteneur = "PictureBar",
            .actif = actif};
}

constexpr ConceptionControle kControles[] = {
    Libelle("lblUrl", u8"Entrez l'url à télécharger"_ansi, {120, 0, 1755, 195}, ""),
    {.genre = Genre::ZoneTexte,
     .nom = "txtUrl",
     .position = {120, 240, 6255, 285},
     .tabulation = 0},
    {.genre = Genre::Cadre,
     .nom = "Frame",
     .legende = "Progression",
     .position = {120, 600, 6255, 1335}},
    {.genre = Genre::BarreProgression,
     .nom = "ProgressBar",
     .position = {120, 240, 6015, 255},
     .conteneur = "Frame"},
    Libelle("lblTailleTotale", "Taille totale:", {120, 600, 1035, 195}),
    Libelle("lblSize", "", {1320, 600, 975, 255}),
    Libelle(u8"lblTailleReçue"_ansi, u8"Taille reçue:"_ansi, {2520, 600, 870, 195}),
    Libelle("lblRecieve", "", {3480, 600, 1095, 255}),
    Libelle("lblVitesse", "Vitesse:", {4680, 600, 570, 195}),
    Libelle("lblSpeed", "", {5280, 600, 855, 255}),
    Libelle("lblTempsRestant", "Temps restant:", {120, 960, 1215, 195}),
    Libelle("lblRemaining", "", {1560, 960, 1215, 255}),
    Libelle(u8"lblTempsPassé"_ansi, u8"Temps passé:"_ansi, {2880, 960, 1215, 195}),
    Libelle("lblElapsed", "", {4200, 960, 1215, 255}),
    {.genre = Genre::Image, .nom = "PictureBar", .position = {0, 1980, 6480, 480}},
    Bouton("cmdDownload", u8"&Télécharger"_ansi, 120, 1215, 1),
    {.genre = Genre::CaseACocher,
     .nom = "chkEnTetes",
     .legende = u8"En Têtes"_ansi,
     .position = {1440, 0, 975, 375},
     .tabulation = 2,
     .conteneur = "PictureBar"},
    // Suspending is not offered: the button stays, greyed.
    Bouton("cmdPause", "&Pause", 4080, 1095, 3, false),
    Bouton("cmdStop", u8"&Arrêter"_ansi, 5280, 1095, 4),
    {.genre = Genre::Cadre, .nom = "Frame2", .position = {0, 2520, 5055, 2655}},
    {.genre = Genre::ZoneTexte,
     .nom = "txtHead",
     .position = {120, 240, 4815, 2295},
     .tabulation = 5,
     .conteneur = "Frame2",
     .retourLigne = true},
};

} // namespace

const ConceptionFenetre ConceptionSock{
    .nom = "frmSock",
    .legende = u8"Téléchargement"_ansi,
    .largeur = 6480,
    .hauteur = 2460,
    .police = {"Tahoma", 8.25},
    .bordure = Bordure::Dialogue,
    .barreDesTaches = false,
    .controles = kControles,
};

} // namespace monvalor
