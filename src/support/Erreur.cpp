#include "support/Erreur.h"

namespace monvalor {

std::string DescriptionErreur(int numero) {
    // Texts are Windows-1252: \xE9 is "é".
    switch (numero) {
    case 5:
        return "Argument ou appel de proc\xE9"
               "dure incorrect";
    case 6:
        return "D\xE9passement de capacit\xE9";
    case 7:
        return "M\xE9moire insuffisante";
    case 9:
        return "L'indice n'appartient pas \xE0 la s\xE9lection";
    case 11:
        return "Division par z\xE9ro";
    case 13:
        return "Incompatibilit\xE9 de type";
    case 52:
        return "Nom ou num\xE9ro de fichier incorrect";
    case 53:
        return "Fichier introuvable";
    case 55:
        return "Fichier d\xE9j\xE0 ouvert";
    case 57:
        return "Erreur d'entr\xE9"
               "e/sortie de p\xE9riph\xE9rique";
    case 62:
        return "Fin de fichier";
    case 70:
        return "Permission refus\xE9"
               "e";
    case 75:
        return "Erreur d'acc\xE8s chemin/fichier";
    case 76:
        return "Chemin d'acc\xE8s introuvable";
    default:
        return "Erreur d\xE9"
               "finie par l'application ou par l'objet";
    }
}

Erreur::Erreur(int numero) : Erreur(numero, DescriptionErreur(numero)) {}

Erreur::Erreur(int numero, const std::string& description)
    : std::runtime_error(description), numero_(numero), description_(description) {}

void Lever(int numero) {
    throw Erreur(numero);
}

} // namespace monvalor
