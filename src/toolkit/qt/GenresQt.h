// How the Qt face makes and speaks to each kind of control: one description per kind, in one
// table indexed by Genre.
#pragma once

#include "forms/Conception.h"

#include <cstddef>
#include <string>

class QObject;
class QSize;
class QWidget;

namespace monvalor {

class FormQt;

struct GenreQt {
    Genre genre;
    // Makes the control on its parent (a timer on the form), its events wired to the form.
    QObject* (*creer)(const ConceptionControle& c, QWidget& parent, FormQt& form);
    // Its caption, text or value; nullptr for a kind that has none.
    std::string (*texte)(QWidget& w);
    void (*definirTexte)(QWidget& w, const std::string& texte);
    // A toolbar button's tip or a list view's column header, by position; nullptr: no keys.
    void (*definirCle)(QWidget& w, std::size_t position, const std::string& texte);
};

const GenreQt& DescriptionQt(Genre genre);

// The room, in logical pixels, a control's caption takes in its font as the style draws it:
// a caption that wraps, the height it needs at `largeur`. Empty for a kind without a caption.
QSize PlaceLegendeQt(const QWidget& w, Genre genre, int largeur);

// A progress bar counts in ten-thousandths of its maximum.
inline constexpr int EchelleProgressionQt = 10000;

} // namespace monvalor
