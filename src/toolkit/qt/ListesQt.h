// The drive list and the folder list of the Qt face: native widgets that draw what their
// toolkit-free models hold and hand the user's picks to them.
#pragma once

#include "forms/Conception.h"

#include <string>

class QObject;
class QWidget;

namespace monvalor {

class FormQt;

// What a form asks of either list: its value, the chosen drive or the current folder's path.
class ListeQt {
public:
    virtual ~ListeQt() = default;
    virtual std::string Valeur() const = 0;
    // A value that cannot be reached throws, and the list keeps what it had.
    virtual void DefinirValeur(const std::string& valeur) = 0;
};

// Each makes its list on the parent; the list tells the form of each change of its value.
QObject* CreerListeLecteurs(const ConceptionControle& c, QWidget& parent, FormQt& form);
QObject* CreerListeDossiers(const ConceptionControle& c, QWidget& parent, FormQt& form);

} // namespace monvalor
