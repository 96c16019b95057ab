// The files and the operations that the profile comparer runs through Windows' own profile
// functions and through ours.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace monvalor::profils {

// Where our engine departs from Windows on purpose; each has its reason in the comparer's table.
enum class Ecart {
    Aucun,
    Utf8SansBom,
    Refus,
    CasseAccents,
    HorsSection,
    Commentaire,
    CleRepetee,
    LectureSeule,
    DefautBlanc,
    EcritureUtf16,
};

// Where a file of the corpus lies, and how.
enum class Sorte { Ordinaire, LectureSeule, DossierAbsent, SansDossier };

struct Fixture {
    std::string nom;
    std::optional<std::string> octets; // nullopt: the file does not exist
    Sorte sorte = Sorte::Ordinaire;    // SansDossier: named without folder, in Windows' own
};

enum class Genre { Lecture, Ecriture };

struct Operation {
    std::string fichier; // the fixture's name
    Genre genre = Genre::Lecture;
    std::string section;
    std::string cle;
    std::optional<std::string> texte; // a read's default; a write's value (nullopt deletes)
    std::size_t taille = 1000;        // a read's buffer
    Ecart ecart = Ecart::Aucun;
};

std::vector<Fixture> Fixtures();
std::vector<Operation> Operations();

} // namespace monvalor::profils
