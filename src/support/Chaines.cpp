#include "support/Chaines.h"

#include "support/Erreur.h"
#include "support/clsB64.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace monvalor {

namespace {

// Counters of the scrambling and hexadecimal routines are 16-bit.
constexpr std::size_t kLongueurMax16 = 32767;

std::string EnMinuscules(std::string_view texte) {
    std::string resultat(texte);
    for (char& c : resultat) {
        c = static_cast<char>(MinusculeAnsi(static_cast<unsigned char>(c)));
    }
    return resultat;
}

constexpr char kPointsDeSuspension = '\x85';

// What no box or label shows: C0 controls but TAB, CR and LF; DEL; the undefined slots of the
// code page, which the faces map to the C1 controls of the same value.
bool EstControle(unsigned char c) {
    switch (c) {
    case '\t':
    case '\r':
    case '\n':
        return false;
    case 0x7F:
    case 0x81:
    case 0x8D:
    case 0x8F:
    case 0x90:
    case 0x9D:
        return true;
    default:
        return c < 0x20;
    }
}

// Ends the shown text with the ellipsis, on its last line and within the bounds.
std::string Suspendre(std::string sortie, const BornesAffichage& bornes) {
    while (!sortie.empty() && (sortie.back() == '\r' || sortie.back() == '\n')) {
        sortie.pop_back();
    }
    const std::size_t finLigne = sortie.find_last_of("\r\n");
    const std::size_t colonne =
        finLigne == std::string::npos ? sortie.size() : sortie.size() - finLigne - 1;
    if (colonne > 0 && (colonne >= bornes.colonnes || sortie.size() >= bornes.total)) {
        sortie.back() = kPointsDeSuspension;
    } else {
        sortie.push_back(kPointsDeSuspension);
    }
    return sortie;
}

} // namespace

std::string BornerPourAffichage(std::string_view texte, const BornesAffichage& bornes) {
    std::string sortie;
    std::size_t lignes = 0;
    std::size_t i = 0;
    while (i < texte.size()) {
        if (lignes == bornes.lignes) {
            return Suspendre(std::move(sortie), bornes);
        }
        ++lignes;
        std::size_t colonne = 0;
        for (; i < texte.size() && texte[i] != '\r' && texte[i] != '\n'; ++i) {
            const auto c = static_cast<unsigned char>(texte[i]);
            if (EstControle(c)) {
                continue;
            }
            if (sortie.size() == bornes.total) {
                return Suspendre(std::move(sortie), bornes);
            }
            if (colonne == bornes.colonnes) {
                // The rest of the line is not shown.
                sortie.back() = kPointsDeSuspension;
                i = texte.find_first_of("\r\n", i);
                i = i == std::string_view::npos ? texte.size() : i;
                break;
            }
            sortie.push_back(static_cast<char>(c));
            ++colonne;
        }
        if (i < texte.size()) {
            const std::size_t fin = texte.compare(i, 2, "\r\n") == 0 ? 2 : 1;
            if (sortie.size() + fin > bornes.total) {
                return i + fin < texte.size() ? Suspendre(std::move(sortie), bornes) : sortie;
            }
            sortie.append(texte.substr(i, fin));
            i += fin;
        }
    }
    return sortie;
}

void Remplacer(std::string& texte, std::string_view recherche, std::string_view remplacement,
               bool casseExacte) {
    if (recherche.empty()) {
        return;
    }
    // Case folding maps each byte to one byte, so positions found in the folded copies are
    // positions in the originals.
    std::string texteReplie;
    std::string rechercheRepliee;
    std::string_view ouChercher = texte;
    std::string_view quoi = recherche;
    if (!casseExacte) {
        texteReplie = EnMinuscules(texte);
        rechercheRepliee = EnMinuscules(recherche);
        ouChercher = texteReplie;
        quoi = rechercheRepliee;
    }

    std::size_t p = ouChercher.find(quoi);
    if (p == std::string_view::npos) {
        return;
    }
    std::string sortie;
    sortie.reserve(texte.size());
    std::size_t debut = 0;
    while (p != std::string_view::npos) {
        sortie.append(texte, debut, p - debut);
        sortie.append(remplacement);
        debut = p + quoi.size();
        p = ouChercher.find(quoi, debut);
    }
    sortie.append(texte, debut, std::string::npos);
    texte = std::move(sortie);
}

std::string Extraire(std::string_view texte, std::int32_t premier, std::int32_t dernier) {
    const std::int64_t longueur = std::int64_t{dernier} - std::int64_t{premier} + 1;
    if (premier < 1 || longueur < 0) {
        throw Erreur(ErrArgument);
    }
    const auto debut = static_cast<std::size_t>(premier - 1);
    if (debut >= texte.size()) {
        return {};
    }
    return std::string(texte.substr(debut, static_cast<std::size_t>(longueur)));
}

TableauChaines::TableauChaines() : elements_(1) {}

std::size_t TableauChaines::Position(int i) const {
    if (i < LBound() || i > UBound()) {
        throw Erreur(ErrIndice);
    }
    return static_cast<std::size_t>(i - base_);
}

const std::string& TableauChaines::operator[](int i) const {
    return elements_[Position(i)];
}

std::string& TableauChaines::operator[](int i) {
    return elements_[Position(i)];
}

void Scinder(TableauChaines& tableau, std::string_view texte, std::string_view separateur) {
    if (separateur.empty()) {
        separateur = "\t";
    }
    std::size_t nombre = 1;
    for (std::size_t p = texte.find(separateur); p != std::string_view::npos;
         p = texte.find(separateur, p + separateur.size())) {
        ++nombre;
    }
    if (nombre > static_cast<std::size_t>(INT_MAX)) {
        throw Erreur(ErrDepassement);
    }

    std::vector<std::string> morceaux;
    morceaux.reserve(nombre);
    std::size_t debut = 0;
    for (std::size_t p = texte.find(separateur); p != std::string_view::npos;
         p = texte.find(separateur, debut)) {
        morceaux.emplace_back(texte.substr(debut, p - debut));
        debut = p + separateur.size();
    }
    morceaux.emplace_back(texte.substr(debut));

    tableau.elements_ = std::move(morceaux);
    // One empty piece means an empty text: it moves to index 0 so there are no pieces at all.
    tableau.base_ = (tableau.elements_.size() == 1 && tableau.elements_[0].empty()) ? 0 : 1;
}

TableauChaines Scinder(std::string_view texte, std::string_view separateur) {
    TableauChaines tableau;
    Scinder(tableau, texte, separateur);
    return tableau;
}

std::string Inverser(std::string_view texte) {
    return std::string(texte.rbegin(), texte.rend());
}

std::string Brouiller(std::string_view texte, std::string_view cle) {
    if (texte.size() > kLongueurMax16 || cle.size() > kLongueurMax16) {
        throw Erreur(ErrDepassement);
    }
    if (texte.empty()) {
        return {};
    }
    const std::size_t l = cle.size();
    if (l == 0) {
        throw Erreur(ErrDivision);
    }
    if (l == 1) {
        throw Erreur(ErrArgument);
    }
    std::string sortie(texte);
    for (std::size_t i = 1; i <= sortie.size(); ++i) {
        std::size_t m = i % l;
        if (m == 0) {
            m = 1;
        }
        // Key characters m and m + 1, positions from 1.
        const auto masque = static_cast<unsigned char>(cle[m - 1] ^ cle[m]);
        sortie[i - 1] = static_cast<char>(static_cast<unsigned char>(sortie[i - 1]) ^ masque);
    }
    return sortie;
}

namespace {

// One codec object per call, through its four steps: Init, the text into bytes, the coding
// itself, the bytes back into a text.
std::string ParLeCodec(std::string_view texte, bool encoder) {
    if (texte.empty()) {
        return {};
    }
    clsB64 codec;
    codec.Init();
    clsB64::Octets entree;
    clsB64::Octets sortie;
    std::string resultat;
    codec.StrToAry(texte, entree);
    if (encoder) {
        codec.Encode(entree, sortie);
    } else {
        codec.Decode(entree, sortie);
    }
    codec.AryToStr(sortie, resultat);
    return resultat;
}

} // namespace

std::string EncodeB64(std::string_view texte) {
    return ParLeCodec(texte, true);
}

std::string DecodeB64(std::string_view texte) {
    return ParLeCodec(texte, false);
}

std::int32_t ValeurHexa(std::string_view texte) {
    if (texte.size() > kLongueurMax16) {
        throw Erreur(ErrDepassement);
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::size_t n = texte.size();
    // `valeur` holds the digits read so far; the running total at position i is that value
    // times 16^(n - i). The total never falls, so it overflows at the first position where it
    // goes beyond the limit, before any later character is looked at. Leading zeros add
    // nothing, however many there are.
    std::int64_t valeur = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(texte[i]);
        std::int64_t chiffre;
        if (c >= '0' && c <= '9') {
            chiffre = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            chiffre = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            chiffre = c - 'A' + 10;
        } else {
            throw Erreur(ErrType);
        }
        valeur = valeur * 16 + chiffre;
        if (valeur == 0) {
            continue;
        }
        const std::size_t exposant = n - 1 - i;
        // 16^8 alone is beyond the limit.
        if (valeur > kMax || exposant >= 8 || (valeur << (4 * exposant)) > kMax) {
            throw Erreur(ErrDepassement);
        }
    }
    return static_cast<std::int32_t>(valeur);
}

} // namespace monvalor
