// The folder chooser as designed: the path box and its "Ok" on top, the drives, the folders,
// then OK and Annuler.
#include "dialogs/frmRepertoire.h"

#include "support/TexteSource.h"

namespace monvalor {

namespace {

constexpr ConceptionControle kControles[] = {
    {.genre = Genre::ZoneTexte,
     .nom = u8"txtRépertoire"_ansi,
     .position = {120, 120, 3855, 315},
     .tabulation = 4},
    {.genre = Genre::Bouton,
     .nom = u8"cmdValideRépertoire"_ansi,
     .legende = "Ok",
     .position = {4080, 120, 375, 255},
     .tabulation = 5,
     .infoBulle = u8"Aller au dossier tapé à gauche"_ansi},
    {.genre = Genre::ListeLecteurs,
     .nom = "drvHisto",
     .position = {120, 480, 4335, 330},
     .tabulation = 3},
    {.genre = Genre::ListeDossiers,
     .nom = "dirHisto",
     .position = {120, 840, 4335, 3690},
     .tabulation = 2},
    {.genre = Genre::Bouton,
     .nom = "OKButton",
     .legende = "OK",
     .position = {120, 4680, 1215, 375},
     .tabulation = 0,
     .defaut = true},
    {.genre = Genre::Bouton,
     .nom = "CancelButton",
     .legende = "Annuler",
     .position = {3240, 4680, 1215, 375},
     .tabulation = 1,
     .annulation = true},
};

} // namespace

const ConceptionFenetre ConceptionRepertoire{
    .nom = "frmRepertoire",
    .legende = u8"Sélectionnez un répertoire"_ansi,
    .largeur = 4605,
    .hauteur = 5160,
    .police = {"MS Sans Serif", 8.25},
    .bordure = Bordure::Dialogue,
    .barreDesTaches = false,
    .controles = kControles,
};

} // namespace monvalor
