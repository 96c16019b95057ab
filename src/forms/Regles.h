// The rules of a form that hold whatever draws it: where each control stands, the order Tab
// walks the controls in and who has the focus first, which label names which box, which button
// a key presses, and which properties each kind of control has. Every face, the memory one
// included, asks these rather than deciding on its own.
#pragma once

#include "forms/Conception.h"

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace monvalor {

using TableControles = std::span<const ConceptionControle>;

// No control: a position past the table's end.
inline constexpr std::size_t Aucun = static_cast<std::size_t>(-1);

inline constexpr std::size_t NombreGenres = static_cast<std::size_t>(Genre::BarreProgression) + 1;

// A label that opens something: a click, or Enter or Space once the keyboard is on it.
constexpr bool EstLien(const ConceptionControle& c) {
    return c.genre == Genre::Label && c.lien;
}
// The controls the keyboard reaches: those of the kinds that take input, and links. Other
// labels never do.
constexpr bool PrendLeFocus(const ConceptionControle& c) {
    const Genre genre = c.genre;
    return genre == Genre::ZoneTexte || genre == Genre::Bouton || genre == Genre::CaseACocher ||
           genre == Genre::BoutonOption || genre == Genre::ListeVue ||
           genre == Genre::ListeLecteurs || genre == Genre::ListeDossiers || EstLien(c);
}
// A control Tab stops at: one of those, with a tab index.
constexpr bool DansLaTabulation(const ConceptionControle& c) {
    return PrendLeFocus(c) && c.tabulation != SansTabulation;
}
// Frames and picture boxes hold other controls.
constexpr bool EstConteneur(Genre genre) {
    return genre == Genre::Cadre || genre == Genre::Image;
}

// What a control may be asked, by kind.
enum class Propriete {
    Apparence,   // visible, enabled, tool tip, font: all but a timer, which is never seen
    Texte,       // a caption or text, a list's value
    Image,       // picture boxes
    Intervalle,  // timers
    Progression, // progress bars' value and maximum
    TexteCle,    // toolbars' buttons, list views' columns
};
constexpr bool APropriete(Genre genre, Propriete propriete) {
    switch (propriete) {
    case Propriete::Apparence:
        return genre != Genre::Minuterie;
    case Propriete::Texte:
        return AUnTexte(genre) || genre == Genre::ListeLecteurs || genre == Genre::ListeDossiers;
    case Propriete::Image:
        return genre == Genre::Image;
    case Propriete::Intervalle:
        return genre == Genre::Minuterie;
    case Propriete::Progression:
        return genre == Genre::BarreProgression;
    case Propriete::TexteCle:
        return genre == Genre::BarreOutils || genre == Genre::ListeVue;
    }
    return false;
}
// Erreur 5 when the control lacks the property, or when `possible` is false.
void Exiger(const ConceptionControle& c, Propriete propriete, bool possible = true);
// Erreur 5 unless the control has keys and one at that position.
void ExigerCle(const ConceptionControle& c, std::size_t position);
// Erreur 5 unless the interval is one a timer takes (0 stops it).
void ExigerIntervalle(const ConceptionControle& c, int millisecondes);

// A progress bar's value, from 0 to its maximum (at first 100): a maximum that is not
// positive, or a value beyond them, is Erreur 380 and changes nothing. A lower maximum pulls
// the value down with it.
class Progression {
public:
    double Max() const { return max_; }
    double Valeur() const { return valeur_; }
    void DefinirMax(double max);
    void DefinirValeur(double valeur);
    // The value on a bar that counts `echelle` steps to the maximum, rounded.
    int Position(int echelle) const;

private:
    double max_ = 100;
    double valeur_ = 0;
};

// A text box of lines holds Windows line ends, whatever the program gave it.
std::string FinsDeLigneWindows(const std::string& texte);
// The text a text box holds once given `texte`.
std::string TexteDeBoite(const ConceptionControle& c, const std::string& texte);

// Where each control stands: the position of its container (a frame or picture box of that
// name, not in an array, earlier in the table), or Aucun for the form.
std::vector<std::size_t> Conteneurs(TableControles table);

// The controls Tab walks, in order: the tab stops by tab index, table order between equals.
// The first has the focus when the form shows.
std::vector<std::size_t> OrdreTabulation(TableControles table);

// The label that names each control, or Aucun: a text box is named by a label right before it
// in the table, in the same container, and by nothing else. Screen readers say that label
// with the box, and its mnemonic leads to the box.
std::vector<std::size_t> Libelles(TableControles table);

// The order to make the controls in, for a face whose keyboard walks them in that order:
// containers before what they hold; on each, the tab stops in tab order, a box's label just
// before its box, a container where its first tab stop is, the others after them as designed.
std::vector<std::size_t> OrdreCreation(TableControles table);

// What a control needs to show its caption whole in the face's real font at its resolution,
// in twips; 0 where it needs nothing.
struct Besoin {
    int largeur = 0;
    int hauteur = 0;
};
using MesureBesoin = std::function<Besoin(std::size_t position, const Rectangle& rectangle)>;

// Where each control stands once every caption has the room its real font needs. As designed,
// except that a label gives up what it covers of a neighbour, where their overlap is thinner;
// then a control too small for its caption widens into free room on its right, then on its
// left, and grows down, then up: never over a neighbour, never out of its container. Positions
// stay relative to the container, as in the table.
std::vector<Rectangle> Agencer(const ConceptionFenetre& fenetre, const MesureBesoin& besoin);

enum class Touche { Entree, Echap, Espace };
// The control a key that no control took presses: Enter and Space the focused button or link,
// Enter else the default button; Esc the cancel one. Only a default or cancel button that
// `disponible` says can be pressed (shown, enabled); Aucun when there is none.
std::size_t ControleDeLaTouche(TableControles table, Touche touche, std::size_t focus,
                               const std::function<bool(std::size_t)>& disponible);

} // namespace monvalor
