#include "support/Erreur.h"

#include "support/TexteSource.h"

namespace monvalor {

std::string DescriptionErreur(int numero) {
    switch (numero) {
    case 5:
        return std::string(u8"Argument ou appel de procédure incorrect"_ansi);
    case 6:
        return std::string(u8"Dépassement de capacité"_ansi);
    case 7:
        return std::string(u8"Mémoire insuffisante"_ansi);
    case 9:
        return std::string(u8"L'indice n'appartient pas à la sélection"_ansi);
    case 11:
        return std::string(u8"Division par zéro"_ansi);
    case 13:
        return std::string(u8"Incompatibilité de type"_ansi);
    case 52:
        return std::string(u8"Nom ou numéro de fichier incorrect"_ansi);
    case 53:
        return "Fichier introuvable";
    case 55:
        return std::string(u8"Fichier déjà ouvert"_ansi);
    case 57:
        return std::string(u8"Erreur d'entrée/sortie de périphérique"_ansi);
    case 62:
        return "Fin de fichier";
    case 67:
        return "Trop de fichiers";
    case 68:
        return std::string(u8"Périphérique non disponible"_ansi);
    case 70:
        return std::string(u8"Permission refusée"_ansi);
    case 75:
        return std::string(u8"Erreur d'accès chemin/fichier"_ansi);
    case 76:
        return std::string(u8"Chemin d'accès introuvable"_ansi);
    case 91:
        return std::string(u8"Variable objet ou variable de bloc With non définie"_ansi);
    case 380:
        return std::string(u8"Valeur de propriété non valide"_ansi);
    default:
        return std::string(u8"Erreur définie par l'application ou par l'objet"_ansi);
    }
}

Erreur::Erreur(int numero) : Erreur(numero, DescriptionErreur(numero)) {}

Erreur::Erreur(int numero, const std::string& description)
    : std::runtime_error(description), numero_(numero), description_(description) {}

void Lever(int numero) {
    throw Erreur(numero);
}

} // namespace monvalor
