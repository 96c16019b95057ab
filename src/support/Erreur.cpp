#include "support/Erreur.h"

#include "support/TexteSource.h"

namespace monvalor {

namespace {

struct ErreurConnue {
    NumeroErreur numero;
    std::string_view description; // Windows-1252
};

constexpr auto kGenerique = u8"Erreur définie par l'application ou par l'objet"_ansi;

constexpr ErreurConnue kErreurs[] = {
    {ErrIndefinie, kGenerique},
    {ErrArgument, u8"Argument ou appel de procédure incorrect"_ansi},
    {ErrDepassement, u8"Dépassement de capacité"_ansi},
    {ErrMemoire, u8"Mémoire insuffisante"_ansi},
    {ErrIndice, u8"L'indice n'appartient pas à la sélection"_ansi},
    {ErrDivision, u8"Division par zéro"_ansi},
    {ErrType, u8"Incompatibilité de type"_ansi},
    {ErrNomFichier, u8"Nom ou numéro de fichier incorrect"_ansi},
    {ErrFichierIntrouvable, "Fichier introuvable"},
    {ErrFichierOuvert, u8"Fichier déjà ouvert"_ansi},
    {ErrEntreeSortie, u8"Erreur d'entrée/sortie de périphérique"_ansi},
    {ErrFinFichier, "Fin de fichier"},
    {ErrTropDeFichiers, "Trop de fichiers"},
    {ErrPeripherique, u8"Périphérique non disponible"_ansi},
    {ErrPermission, u8"Permission refusée"_ansi},
    {ErrAccesChemin, u8"Erreur d'accès chemin/fichier"_ansi},
    {ErrCheminIntrouvable, u8"Chemin d'accès introuvable"_ansi},
    {ErrObjetNonDefini, u8"Variable objet ou variable de bloc With non définie"_ansi},
    {ErrValeurPropriete, u8"Valeur de propriété non valide"_ansi},
};

} // namespace

std::string DescriptionErreur(int numero) {
    for (const ErreurConnue& e : kErreurs) {
        if (e.numero == numero) {
            return std::string(e.description);
        }
    }
    return std::string(kGenerique);
}

Erreur::Erreur(int numero) : Erreur(numero, DescriptionErreur(numero)) {}

Erreur::Erreur(int numero, const std::string& description)
    : std::runtime_error(description), numero_(numero), description_(description) {}

void Lever(int numero) {
    throw Erreur(numero);
}

} // namespace monvalor
