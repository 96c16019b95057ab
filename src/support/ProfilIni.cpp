#include "support/ProfilIni.h"

#include "services/FichiersSysteme.h"
#include "support/Ansi.h"
#include "support/Chaines.h"
#include "support/EcritureSure.h"
#include "support/Erreur.h"
#include "support/Fichiers.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace monvalor {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFinLigne = "\r\n";

// Gives the last line a line end before another is written after it. A lone CR there was
// already read as the line end: it only lacks its LF.
void TerminerDerniereLigne(std::string& texte) {
    if (texte.empty() || texte.back() == '\n') {
        return;
    }
    if (texte.back() == '\r') {
        texte.push_back('\n');
    } else {
        texte.append(kFinLigne);
    }
}

// The blanks Windows trims around names and values: Ctrl-Z, the old end-of-file mark, among them.
constexpr bool Blanc(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

// A line ends at CR LF, LF or a lone CR. The next line of `reste` without its line end;
// `reste` moves past both.
std::string_view LigneSuivante(std::string_view& reste) {
    const auto fin = std::min(reste.find_first_of("\r\n"), reste.size());
    const std::string_view ligne = reste.substr(0, fin);
    std::size_t saut = fin;
    if (fin < reste.size()) {
        saut += reste.substr(fin, 2) == "\r\n" ? 2 : 1;
    }
    reste.remove_prefix(saut);
    return ligne;
}

// What a C string would hold: Windows hands names and values over as such.
std::string_view AvantNul(std::string_view s) {
    return s.substr(0, std::min(s.find('\0'), s.size()));
}

std::string_view Rogner(std::string_view s) {
    std::size_t debut = 0;
    std::size_t fin = s.size();
    while (debut < fin && Blanc(s[debut])) {
        ++debut;
    }
    while (fin > debut && Blanc(s[fin - 1])) {
        --fin;
    }
    return s.substr(debut, fin - debut);
}

bool MemeNom(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && MinusculeAnsi(static_cast<unsigned char>(a[i])) !=
                                MinusculeAnsi(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

enum class Genre { Vide, Commentaire, Section, Entree };

struct LigneAnalysee {
    Genre genre = Genre::Vide;
    std::string_view nom;    // section or key, trimmed
    std::string_view valeur; // trimmed, quotes still there
    bool egal = false;       // a key line without '=' has no value at all
};

// `ligne` holds no line end.
LigneAnalysee Analyser(std::string_view ligne) {
    LigneAnalysee a;
    const std::string_view texte = Rogner(ligne);
    if (texte.empty()) {
        return a;
    }
    if (texte.front() == ';') {
        a.genre = Genre::Commentaire;
        return a;
    }
    // The name runs to the last ']'; without one, the line is no header but an ordinary line
    // of the section it stands in.
    const auto fin = texte.rfind(']');
    if (texte.front() == '[' && fin != std::string_view::npos) {
        a.genre = Genre::Section;
        a.nom = Rogner(AvantNul(texte.substr(1, fin - 1)));
        return a;
    }
    a.genre = Genre::Entree;
    const auto egal = texte.find('=');
    a.egal = egal != std::string_view::npos;
    if (!a.egal) {
        // A line without '=' names a key without value.
        a.nom = Rogner(AvantNul(texte));
    } else {
        a.nom = Rogner(AvantNul(texte.substr(0, egal)));
        a.valeur = Rogner(AvantNul(texte.substr(egal + 1)));
    }
    return a;
}

std::string_view SansGuillemets(std::string_view valeur) {
    if (valeur.size() >= 2 && valeur.front() == valeur.back() &&
        (valeur.front() == '"' || valeur.front() == '\'')) {
        return valeur.substr(1, valeur.size() - 2);
    }
    return valeur;
}

// Offsets of the lines of a text: each line runs from its start to just past its line end (or
// to the end of the text for a last line without one).
std::vector<std::size_t> DebutsDeLignes(std::string_view texte) {
    std::vector<std::size_t> debuts;
    std::string_view reste = texte;
    while (!reste.empty()) {
        debuts.push_back(texte.size() - reste.size());
        LigneSuivante(reste);
    }
    debuts.push_back(texte.size());
    return debuts;
}

std::string_view Contenu(std::string_view texte, const std::vector<std::size_t>& debuts,
                         std::size_t i) {
    std::string_view reste = texte.substr(debuts[i], debuts[i + 1] - debuts[i]);
    return LigneSuivante(reste);
}

// Where a key lives in a file: the line of the first section of that name, the last line of
// that section that is not blank or a comment, and the key's lines there (the first is the one
// read).
struct Emplacement {
    std::optional<std::size_t> section;
    std::size_t derniere = 0;
    std::vector<std::size_t> cles;
};

Emplacement Localiser(std::string_view texte, const std::vector<std::size_t>& debuts,
                      std::string_view section, std::string_view cle) {
    Emplacement e;
    const std::size_t n = debuts.size() - 1;
    for (std::size_t i = 0; i < n; ++i) {
        const LigneAnalysee a = Analyser(Contenu(texte, debuts, i));
        if (a.genre == Genre::Section) {
            if (e.section) {
                break;
            }
            if (MemeNom(a.nom, section)) {
                e.section = i;
                e.derniere = i;
            }
        } else if (a.genre == Genre::Entree && e.section) {
            e.derniere = i;
            if (MemeNom(a.nom, cle)) {
                e.cles.push_back(i);
            }
        }
    }
    return e;
}

bool Admissible(std::string_view section, std::string_view cle,
                const std::optional<std::string>& valeur) {
    // (NUL too: Windows would end the text there.)
    constexpr std::string_view kFins{"\r\n\0", 3};
    if (section.find_first_of(kFins) != std::string_view::npos ||
        cle.find_first_of(kFins) != std::string_view::npos ||
        (valeur && valeur->find_first_of(kFins) != std::string::npos)) {
        return false;
    }
    // Each of these would be read back as something else: a shorter key, a section header or
    // a comment. (A section's name runs to the last ']', so it may hold one.)
    if (cle.find('=') != std::string_view::npos) {
        return false;
    }
    const auto nom = Rogner(cle);
    return nom.empty() || (nom.front() != '[' && nom.front() != ';');
}

// A file saved as UTF-16 behind its byte order mark, as Notepad's "Unicode" is, in
// Windows-1252: '?' for each character that has no byte there. nullopt for any other file.
std::optional<std::string> DepuisUtf16(std::string_view octets) {
    const bool petitBoutiste = octets.starts_with("\xFF\xFE");
    if (!petitBoutiste && !octets.starts_with("\xFE\xFF")) {
        return std::nullopt;
    }
    const auto unite = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(octets[i]);
        const auto b = static_cast<unsigned char>(octets[i + 1]);
        return static_cast<char32_t>(petitBoutiste ? (b << 8 | a) : (a << 8 | b));
    };
    std::string texte;
    texte.reserve(octets.size() / 2);
    for (std::size_t i = 2; i + 1 < octets.size(); i += 2) {
        const char32_t code = unite(i);
        // A surrogate pair is one character beyond Windows-1252.
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < octets.size()) {
            const char32_t suite = unite(i + 2);
            i += suite >= 0xDC00 && suite <= 0xDFFF ? 2 : 0;
        }
        const int octet = code >= 0xD800 && code <= 0xDFFF ? -1 : OctetAnsi(code);
        texte.push_back(octet < 0 ? '?' : static_cast<char>(octet));
    }
    return texte;
}

// --- files ----------------------------------------------------------------------------------

// The file that a profile path names: a bare name lives in the Windows directory.
std::optional<fs::path> Resoudre(std::string_view fichier) {
    if (fichier.empty()) {
        return std::nullopt;
    }
    if (systeme::AUnRepertoire(fichier)) {
        return CheminSysteme(fichier);
    }
    const std::string repertoire = RepertoireWindows();
    if (repertoire.empty()) {
        return std::nullopt;
    }
    return CheminSysteme(JoindreChemin(repertoire, fichier));
}

// False when the file cannot be read whole (missing, a folder, a read error).
bool LireOctets(const fs::path& chemin, std::string& octets) {
    try {
        std::ifstream entree(chemin, std::ios::binary | std::ios::ate);
        const std::streamoff taille = entree ? static_cast<std::streamoff>(entree.tellg()) : -1;
        if (taille < 0 || !entree.seekg(0)) {
            return false;
        }
        octets.resize(static_cast<std::size_t>(taille));
        entree.read(octets.data(), taille);
        // A file that shrank meanwhile is read as far as it goes.
        octets.resize(static_cast<std::size_t>(entree.gcount()));
        return !entree.bad();
    } catch (...) {
        return false;
    }
}

bool Inscriptible(const fs::path& chemin, const fs::file_status& etat) {
    // A file without any write permission is a read-only file, whoever asks.
    constexpr auto kEcriture =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((etat.permissions() & kEcriture) == fs::perms::none) {
        return false;
    }
    return systeme::Inscriptible(chemin);
}

} // namespace

std::optional<std::string> LireProfilTexte(std::string_view octets, std::string_view section,
                                           std::string_view cle) {
    const auto utf16 = DepuisUtf16(octets);
    const std::string texte = utf16 ? *utf16 : DecoderFichierTexte(octets);
    section = Rogner(section);
    cle = Rogner(cle);
    std::string_view reste = texte;
    bool dansSection = false;
    while (!reste.empty()) {
        const std::string_view ligne = LigneSuivante(reste);
        // Outside the section only headers matter: look no further than the first character.
        std::size_t debut = 0;
        while (debut < ligne.size() && Blanc(ligne[debut])) {
            ++debut;
        }
        if (debut == ligne.size() || (!dansSection && ligne[debut] != '[')) {
            continue;
        }
        const LigneAnalysee a = Analyser(ligne.substr(debut));
        if (a.genre == Genre::Section) {
            if (dansSection) {
                break;
            }
            dansSection = MemeNom(a.nom, section);
        } else if (a.genre == Genre::Entree && MemeNom(a.nom, cle)) {
            // A key without '=' is found, and has no value: it reads as absent.
            if (!a.egal) {
                return std::nullopt;
            }
            return std::string(SansGuillemets(a.valeur));
        }
    }
    return std::nullopt;
}

std::optional<std::string> ModifierProfilTexte(std::string_view octets, std::string_view section,
                                               std::string_view cle,
                                               const std::optional<std::string>& valeur) {
    // Lines of one byte a character would corrupt a UTF-16 file.
    if (!Admissible(section, cle, valeur) || DepuisUtf16(octets)) {
        return std::nullopt;
    }
    section = Rogner(section);
    cle = Rogner(cle);
    bool utf8 = false;
    bool bom = false;
    const std::string texte = DecoderFichierTexte(octets, &utf8, &bom);
    const auto debutsTexte = DebutsDeLignes(texte);
    // The byte order mark stays in front of the first line, whatever becomes of it.
    const std::size_t marque = bom ? 3 : 0;
    auto debutsOctets = DebutsDeLignes(octets.substr(marque));
    for (auto& debut : debutsOctets) {
        debut += marque;
    }
    // Lines are found in the decoded text and copied from the bytes: both must line up.
    if (debutsTexte.size() != debutsOctets.size()) {
        return std::nullopt;
    }
    const auto encoder = [utf8](std::string ansi) {
        ansi.append(kFinLigne);
        return utf8 ? AnsiVersUtf8(ansi) : ansi;
    };
    auto ligneCle = [&] {
        std::string ligne(cle);
        ligne.push_back('=');
        ligne.append(*valeur);
        return encoder(std::move(ligne));
    };

    const Emplacement e = Localiser(texte, debutsTexte, section, cle);
    std::string sortie;
    if (!e.cles.empty() && valeur) {
        const std::size_t ligne = e.cles.front();
        sortie.append(octets.substr(0, debutsOctets[ligne]));
        sortie.append(ligneCle());
        sortie.append(octets.substr(debutsOctets[ligne + 1]));
    } else if (!e.cles.empty()) {
        // Every line of the key goes: were a repeated one left, it would be read in its place.
        std::size_t depuis = 0;
        for (const std::size_t ligne : e.cles) {
            sortie.append(octets.substr(depuis, debutsOctets[ligne] - depuis));
            depuis = debutsOctets[ligne + 1];
        }
        sortie.append(octets.substr(depuis));
    } else if (!valeur) {
        return std::string(octets);
    } else if (e.section) {
        const std::size_t apres = debutsOctets[e.derniere + 1];
        sortie.append(octets.substr(0, apres));
        TerminerDerniereLigne(sortie);
        sortie.append(ligneCle());
        sortie.append(octets.substr(apres));
    } else {
        sortie.append(octets);
        if (!texte.empty()) {
            TerminerDerniereLigne(sortie);
        }
        std::string entete = "[";
        entete.append(section);
        entete.push_back(']');
        sortie.append(encoder(std::move(entete)));
        sortie.append(ligneCle());
    }
    return sortie;
}

std::string LireProfil(std::string_view section, std::string_view cle, std::string_view defaut,
                       std::size_t taille, std::string_view fichier) {
    if (taille == 0) {
        return {};
    }
    std::optional<std::string> valeur;
    try {
        if (const auto chemin = Resoudre(fichier)) {
            std::string octets;
            if (LireOctets(*chemin, octets)) {
                valeur = LireProfilTexte(octets, section, cle);
            }
        }
    } catch (...) {
        valeur.reset();
    }
    std::string resultat;
    if (valeur) {
        resultat = std::move(*valeur);
    } else {
        const auto fin = defaut.find_last_not_of(' ');
        resultat.assign(defaut.substr(0, fin == std::string_view::npos ? 0 : fin + 1));
    }
    if (resultat.size() > taille - 1) {
        resultat.resize(taille - 1);
    }
    return resultat;
}

bool EcrireProfil(std::string_view section, std::string_view cle,
                  const std::optional<std::string>& valeur, std::string_view fichier) {
    try {
        if (!Admissible(section, cle, valeur)) {
            return false;
        }
        auto chemin = Resoudre(fichier);
        if (!chemin) {
            return false;
        }
        std::error_code erreur;
        // Write through a link to the file it points to, so that the link stays a link.
        for (int saut = 0; fs::is_symlink(fs::symlink_status(*chemin, erreur)); ++saut) {
            const fs::path cible = fs::read_symlink(*chemin, erreur);
            if (erreur || saut == 40) {
                return false;
            }
            chemin = cible.is_absolute() ? cible : chemin->parent_path() / cible;
        }
        const fs::file_status etat = fs::status(*chemin, erreur);
        const bool existe = fs::exists(etat);
        if (erreur && existe) {
            return false;
        }
        std::string octets;
        if (existe) {
            if (!fs::is_regular_file(etat) || !Inscriptible(*chemin, etat) ||
                !LireOctets(*chemin, octets)) {
                return false;
            }
        }
        const auto nouveaux = ModifierProfilTexte(octets, section, cle, valeur);
        if (!nouveaux) {
            return false;
        }
        if (existe && *nouveaux == octets) {
            return true;
        }
        if (!existe && !valeur) {
            return true;
        }
        return RemplacerFichier(*chemin, *nouveaux);
    } catch (...) {
        return false;
    }
}

} // namespace monvalor
