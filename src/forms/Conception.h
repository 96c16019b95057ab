// A window as designed: its caption, size, fonts and controls, as plain data. Each window keeps
// its table beside its behaviour; a toolkit face builds the native form from it. Lengths are in
// twips (1/1440 inch); texts are Windows-1252 (u8"..."_ansi) and stay in static storage.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace monvalor {

enum class Genre {
    Label,
    ZoneTexte,
    Bouton,
    CaseACocher,
    BoutonOption,
    Cadre,
    Image, // a picture box
    Ligne, // a drawn line: decoration
    Minuterie,
    BarreOutils,
    ListeVue,
    ListeLecteurs, // the drives; its text is the chosen drive
    ListeDossiers, // a drive's folders; its text is the current folder's path
    BarreProgression,
};

// Labels, buttons, check boxes, option buttons and frames have a caption; text boxes a text.
constexpr bool AUneLegende(Genre genre) {
    return genre == Genre::Label || genre == Genre::Bouton || genre == Genre::CaseACocher ||
           genre == Genre::BoutonOption || genre == Genre::Cadre;
}
constexpr bool AUnTexte(Genre genre) {
    return AUneLegende(genre) || genre == Genre::ZoneTexte;
}

// A font of the designs. The face is a design name ("Tahoma", "MS Sans Serif", "Times New
// Roman"); a face stands in for it where the system lacks it.
struct Police {
    std::string_view face{};
    double points = 8.25;
    bool gras = false;
    bool souligne = false;
    bool operator==(const Police&) const = default;
};

struct Rectangle {
    int gauche = 0;
    int haut = 0;
    int largeur = 0;
    int hauteur = 0;
    bool operator==(const Rectangle&) const = default;
};

inline constexpr int SansTabulation = -1;
inline constexpr int SansCouleur = -1;

struct ConceptionControle {
    Genre genre = Genre::Label;
    // The design name, accents included: object name and key of the language files. Members
    // of a control array share it and differ by their index.
    std::string_view nom{};
    std::string_view legende{}; // caption, or text for a text box
    Rectangle position{};
    int tabulation = SansTabulation; // tab index
    const Police* police = nullptr;  // nullptr: the window's font
    int indice = -1;                 // index in its control array, -1 for a lone control
    std::string_view conteneur{};    // the frame or picture box it stands in, "" for the form
    bool defaut = false;             // Enter presses it
    bool annulation = false;         // Esc presses it
    bool visible = true;
    bool actif = true;
    std::string_view infoBulle{};
    int couleur = SansCouleur; // text or line colour, 0xRRGGBB
    bool lien = false;         // a link: the hand cursor over it, a click opens something
    bool retourLigne = false;  // a label whose caption wraps at its width; a text box of lines
    // Toolbars: the keys of the buttons; list views: the keys of the column headers, in order.
    std::span<const std::string_view> cles{};
};

enum class Bordure {
    Fixe,     // a fixed window with minimise and close
    Dialogue, // a fixed dialog with close only
};

struct ConceptionFenetre {
    std::string_view nom{};
    std::string_view legende{};
    int largeur = 0; // client area
    int hauteur = 0;
    Police police{};
    Bordure bordure = Bordure::Fixe;
    bool barreDesTaches = true; // shown in the task bar
    std::string_view icone{};   // the program's icon by name, "" for none
    std::span<const ConceptionControle> controles{};
};

} // namespace monvalor
