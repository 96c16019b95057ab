// Runtime errors of Monvalor: one exception type carrying the classic error number and its
// French description. Library routines throw it; window procedures catch it and show the
// description in a message box.
#pragma once

#include <stdexcept>
#include <string>

namespace monvalor {

// The error numbers the program raises; their French descriptions are in one table beside
// DescriptionErreur.
enum NumeroErreur : int {
    ErrIndefinie = 0,   // an error without a number of its own (the generic description)
    ErrArgument = 5,    // invalid procedure call or argument
    ErrDepassement = 6, // overflow
    ErrMemoire = 7,     // out of memory
    ErrIndice = 9,      // subscript out of range
    ErrDivision = 11,   // division by zero
    ErrType = 13,       // type mismatch
    ErrNomFichier = 52, // bad file name or number
    ErrFichierIntrouvable = 53,
    ErrFichierOuvert = 55,
    ErrEntreeSortie = 57, // device I/O error
    ErrFinFichier = 62,
    ErrTropDeFichiers = 67,
    ErrPeripherique = 68, // device unavailable: a drive that is not ready
    ErrPermission = 70,
    ErrAccesChemin = 75,
    ErrCheminIntrouvable = 76,
    ErrObjetNonDefini = 91,   // an object variable that refers to nothing
    ErrValeurPropriete = 380, // a property refuses the value
};

class Erreur : public std::runtime_error {
public:
    // Description taken from the table of known numbers.
    explicit Erreur(int numero);
    // Explicit description (Windows-1252 text), for errors that carry their own.
    Erreur(int numero, const std::string& description);

    int Numero() const noexcept { return numero_; }
    // French description, Windows-1252 bytes, as shown in message boxes.
    const std::string& Description() const noexcept { return description_; }

private:
    int numero_;
    std::string description_;
};

// French description of a known error number (Windows-1252 bytes); a generic text otherwise.
std::string DescriptionErreur(int numero);

[[noreturn]] void Lever(int numero);

} // namespace monvalor
